// The header and address texts servers send, in the forms that decide a download: the
// resume decision hangs on the date, completion on the length, redirects on Location.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/http_parse.h"

namespace {

std::string HostPort(const std::string& text) {
  char host[dl::kHostCap] = "untouched";
  int port = -1;
  if (!dl::ParseHostPort(text.c_str(), host, sizeof host, &port)) return "<failed>";
  return std::string(host) + " " + std::to_string(port);
}

TEST(HostPort, PortFollowsTheColonOrIs80AndBadTextIsRefused) {
  EXPECT_EQ(HostPort("update.example:8080"), "update.example 8080");
  EXPECT_EQ(HostPort("update.example"), "update.example 80");
  EXPECT_EQ(HostPort("127.0.0.1:81/x"), "127.0.0.1 81");  // leading digits, as a scan reads
  for (const char* bad : {":8080", "", "host:", "host:http", "host:0", "host:65536",
                          "host:99999999999999999999999"}) {
    EXPECT_EQ(HostPort(bad), "<failed>") << bad;
  }
  EXPECT_FALSE(dl::ParseHostPort(nullptr, nullptr, 0, nullptr));
  // 255 characters fit the host buffer; 256 are refused, not cut.
  EXPECT_NE(HostPort(std::string(255, 'h')), "<failed>");
  EXPECT_EQ(HostPort(std::string(256, 'h') + ":80"), "<failed>");
}

std::string Location(const char* text, size_t pathCap = 256) {
  char host[dl::kHostCap];
  char path[256];
  if (!dl::SplitLocation(text, host, sizeof host, path, pathCap)) return "<failed>";
  return std::string(host) + " " + path;
}

TEST(Location, AbsoluteOrBareHostsSplitAndOthersFail) {
  EXPECT_EQ(Location("http://other.example:81/a/b.zip"), "other.example:81 /a/b.zip");
  EXPECT_EQ(Location("HTTP://Other.Example/a?x=1"), "Other.Example /a?x=1");
  EXPECT_EQ(Location("mirror.example:8080"), "mirror.example:8080 /");
  for (const char* bad : {"/update/x.zip", "http:///x", "", "https://secure.example/x"}) {
    EXPECT_EQ(Location(bad), "<failed>") << bad;
  }
  EXPECT_EQ(Location("http://h/very/long/path", 8), "<failed>");
}

TEST(HttpDate, FieldsOfTheHeaderAndTheFormsThatFail) {
  dl::HttpTime t;
  ASSERT_TRUE(dl::ParseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT", &t));
  EXPECT_EQ((std::vector<int>{t.year, t.month, t.day, t.hour, t.minute, t.second}),
            (std::vector<int>{1994, 11, 6, 8, 49, 37}));
  ASSERT_TRUE(dl::ParseHttpDate("Wed,  21   oct 2015 07:28:00 GMT", &t));  // blanks, case
  EXPECT_EQ((std::vector<int>{t.year, t.month, t.day}), (std::vector<int>{2015, 10, 21}));
  // An unknown month still reads the rest; the resume check then sees another version.
  ASSERT_TRUE(dl::ParseHttpDate("Sun, 06 Okt 1994 08:49:37 GMT", &t));
  EXPECT_EQ(t.month, 0);
  EXPECT_EQ(t.year, 1994);
  EXPECT_EQ(dl::MonthFromName("December"), 12);
  EXPECT_EQ(dl::MonthFromName("Ja"), 0);
  EXPECT_EQ(dl::MonthFromName(nullptr), 0);

  const std::string longWord = "Sun, 06 Nov " + std::string(40, '1') + " 08:49:37 GMT";
  for (const char* bad : {"", "Sun, 06 Nov 1994", longWord.c_str()}) {
    EXPECT_FALSE(dl::ParseHttpDate(bad, &t)) << bad;
  }
  EXPECT_FALSE(dl::ParseHttpDate(nullptr, &t));
}

TEST(LengthAndRange, BeyondThirtyTwoBitsAndMalformedText) {
  uint64_t n = 7;
  ASSERT_TRUE(dl::ParseContentLength("5000000000", &n));
  EXPECT_EQ(n, 5000000000ull);
  ASSERT_TRUE(dl::ParseContentLength(" 0", &n));
  EXPECT_EQ(n, 0u);
  n = 7;
  for (const char* bad : {"", "-1", "99999999999999999999"}) {
    EXPECT_FALSE(dl::ParseContentLength(bad, &n)) << bad;
  }
  EXPECT_EQ(n, 7u);

  dl::ContentRange r;
  ASSERT_TRUE(dl::ParseContentRange("bytes 100-999/1000", &r));
  EXPECT_TRUE(r.hasRange && r.totalKnown);
  EXPECT_EQ(r.first, 100u);
  EXPECT_EQ(r.last, 999u);
  EXPECT_EQ(r.total, 1000u);
  ASSERT_TRUE(dl::ParseContentRange("bytes */5000000000", &r));
  EXPECT_FALSE(r.hasRange);
  EXPECT_EQ(r.total, 5000000000ull);
  ASSERT_TRUE(dl::ParseContentRange("bytes 0-9/*", &r));
  EXPECT_FALSE(r.totalKnown);
  for (const char* bad : {"bytes 9-0/10", "items 0-9/10", "bytes 0-9/10 junk", "bytes -9/10"}) {
    EXPECT_FALSE(dl::ParseContentRange(bad, &r)) << bad;
  }

  char line[48];
  ASSERT_TRUE(dl::FormatRangeHeader(5000000000ull, line, sizeof line));
  EXPECT_STREQ(line, "range:bytes=5000000000-");
  EXPECT_FALSE(dl::FormatRangeHeader(123456, line, 10));
}

}  // namespace
