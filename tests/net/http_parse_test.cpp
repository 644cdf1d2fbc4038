// The header and address texts servers send, in the forms that decide a download: the
// resume decision hangs on the date, completion on the length, redirects on Location.
#include <gtest/gtest.h>

#include <string>

#include "net/http_parse.h"

namespace {

struct HostPort {
  bool ok;
  std::string host;
  int port;
};

HostPort Split(const char* text) {
  char host[dl::kHostCap];
  int port = -1;
  const bool ok = dl::ParseHostPort(text, host, sizeof host, &port);
  return {ok, host, port};
}

TEST(HostPort, PortFollowsColonOrDefaultsTo80) {
  HostPort a = Split("update.example:8080");
  EXPECT_TRUE(a.ok);
  EXPECT_EQ(a.host, "update.example");
  EXPECT_EQ(a.port, 8080);
  HostPort b = Split("update.example");
  EXPECT_TRUE(b.ok);
  EXPECT_EQ(b.host, "update.example");
  EXPECT_EQ(b.port, 80);
  // Leading digits count, as a decimal scan would read them.
  EXPECT_EQ(Split("127.0.0.1:81/x").port, 81);
}

TEST(HostPort, RejectsWhatCannotNameAServer) {
  EXPECT_FALSE(Split(":8080").ok);
  EXPECT_FALSE(Split("").ok);
  EXPECT_FALSE(Split("host:").ok);
  EXPECT_FALSE(Split("host:http").ok);
  EXPECT_FALSE(Split("host:0").ok);
  EXPECT_FALSE(Split("host:65536").ok);
  EXPECT_FALSE(Split("host:99999999999999999999999").ok);
  EXPECT_FALSE(dl::ParseHostPort(nullptr, nullptr, 0, nullptr));
  // 255 characters fit the host buffer, 256 do not and are refused, not cut.
  EXPECT_TRUE(Split(std::string(255, 'h').c_str()).ok);
  EXPECT_FALSE(Split((std::string(256, 'h') + ":80").c_str()).ok);
}

struct Location {
  bool ok;
  std::string host;
  std::string path;
};

Location SplitLoc(const char* text, size_t pathCap = 256) {
  char host[dl::kHostCap];
  char path[512];
  const bool ok = dl::SplitLocation(text, host, sizeof host, path, pathCap);
  return {ok, host, path};
}

TEST(Location, AbsoluteAndBareForms) {
  Location a = SplitLoc("http://other.example:81/a/b.zip");
  EXPECT_TRUE(a.ok);
  EXPECT_EQ(a.host, "other.example:81");
  EXPECT_EQ(a.path, "/a/b.zip");
  Location b = SplitLoc("HTTP://Other.Example/a?x=1");
  EXPECT_TRUE(b.ok);
  EXPECT_EQ(b.host, "Other.Example");
  EXPECT_EQ(b.path, "/a?x=1");
  Location c = SplitLoc("mirror.example:8080");
  EXPECT_TRUE(c.ok);
  EXPECT_EQ(c.host, "mirror.example:8080");
  EXPECT_EQ(c.path, "/");
}

TEST(Location, NoHostOrOtherSchemeFails) {
  EXPECT_FALSE(SplitLoc("/update/x.zip").ok);
  EXPECT_FALSE(SplitLoc("http:///x").ok);
  EXPECT_FALSE(SplitLoc("").ok);
  EXPECT_FALSE(SplitLoc("https://secure.example/x").ok);
  EXPECT_FALSE(SplitLoc("http://h/very/long/path", 8).ok);
}

TEST(Month, FirstThreeLettersInAnyCase) {
  const char* names[] = {"Jan", "feb", "MAR", "April", "may", "Jun",
                         "jul", "Aug", "sEp", "oct",   "Nov", "December"};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(dl::MonthFromName(names[i]), i + 1) << names[i];
  EXPECT_EQ(dl::MonthFromName("OCT"), 10);
  EXPECT_EQ(dl::MonthFromName("Okt"), 0);
  EXPECT_EQ(dl::MonthFromName("Ja"), 0);
  EXPECT_EQ(dl::MonthFromName(""), 0);
  EXPECT_EQ(dl::MonthFromName(nullptr), 0);
}

TEST(HttpDate, UsualHeaderForm) {
  dl::HttpTime t;
  ASSERT_TRUE(dl::ParseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT", &t));
  EXPECT_EQ(t.year, 1994);
  EXPECT_EQ(t.month, 11);
  EXPECT_EQ(t.day, 6);
  EXPECT_EQ(t.hour, 8);
  EXPECT_EQ(t.minute, 49);
  EXPECT_EQ(t.second, 37);
  EXPECT_EQ(t.dayOfWeek, 0);
  EXPECT_EQ(t.milliseconds, 0);
  ASSERT_TRUE(dl::ParseHttpDate("Wed,  21   oct 2015 07:28:00 GMT", &t));
  EXPECT_EQ(t.month, 10);
  EXPECT_EQ(t.day, 21);
  EXPECT_EQ(t.year, 2015);
}

TEST(HttpDate, UnknownMonthStillReadsTheRest) {
  dl::HttpTime t;
  ASSERT_TRUE(dl::ParseHttpDate("Sun, 06 Foo 1994 08:49:37 GMT", &t));
  EXPECT_EQ(t.month, 0);
  EXPECT_EQ(t.year, 1994);
}

TEST(HttpDate, MissingOrOverlongWordsFail) {
  dl::HttpTime t;
  EXPECT_FALSE(dl::ParseHttpDate("", &t));
  EXPECT_FALSE(dl::ParseHttpDate("Sun, 06 Nov 1994", &t));
  EXPECT_FALSE(dl::ParseHttpDate(nullptr, &t));
  const std::string longWord = "Sun, 06 Nov " + std::string(40, '1') + " 08:49:37 GMT";
  EXPECT_FALSE(dl::ParseHttpDate(longWord.c_str(), &t));
}

TEST(ContentLength, BeyondThirtyTwoBitsAndBadText) {
  uint64_t n = 7;
  ASSERT_TRUE(dl::ParseContentLength("5000000000", &n));
  EXPECT_EQ(n, 5000000000ull);
  ASSERT_TRUE(dl::ParseContentLength(" 0", &n));
  EXPECT_EQ(n, 0u);
  n = 7;
  EXPECT_FALSE(dl::ParseContentLength("", &n));
  EXPECT_FALSE(dl::ParseContentLength("-1", &n));
  EXPECT_FALSE(dl::ParseContentLength("99999999999999999999", &n));
  EXPECT_EQ(n, 7u);
}

TEST(ContentRange, RangeUnsatisfiedAndMalformed) {
  dl::ContentRange r;
  ASSERT_TRUE(dl::ParseContentRange("bytes 100-999/1000", &r));
  EXPECT_TRUE(r.hasRange);
  EXPECT_EQ(r.first, 100u);
  EXPECT_EQ(r.last, 999u);
  EXPECT_TRUE(r.totalKnown);
  EXPECT_EQ(r.total, 1000u);
  ASSERT_TRUE(dl::ParseContentRange("bytes */5000000000", &r));
  EXPECT_FALSE(r.hasRange);
  EXPECT_EQ(r.total, 5000000000ull);
  ASSERT_TRUE(dl::ParseContentRange("bytes 0-9/*", &r));
  EXPECT_FALSE(r.totalKnown);
  EXPECT_FALSE(dl::ParseContentRange("bytes 9-0/10", &r));
  EXPECT_FALSE(dl::ParseContentRange("items 0-9/10", &r));
  EXPECT_FALSE(dl::ParseContentRange("bytes 0-9/10 junk", &r));
  EXPECT_FALSE(dl::ParseContentRange("bytes -9/10", &r));
}

TEST(RangeHeader, ExactLineAndBound) {
  char line[48];
  ASSERT_TRUE(dl::FormatRangeHeader(5000000000ull, line, sizeof line));
  EXPECT_STREQ(line, "range:bytes=5000000000-");
  ASSERT_TRUE(dl::FormatRangeHeader(0, line, sizeof line));
  EXPECT_STREQ(line, "range:bytes=0-");
  EXPECT_FALSE(dl::FormatRangeHeader(123456, line, 10));
}

}  // namespace
