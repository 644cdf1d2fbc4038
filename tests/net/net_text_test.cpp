// The texts a download decides on (addresses, headers) and the report's texts and URL.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "net/diagnostic_text.h"
#include "net/http_parse.h"
#include "net/part_record.h"
#include "net/resume_decision.h"
#include "net/report_url.h"
#include "net/url_encode.h"

namespace {

std::string HostPort(const std::string& text) {
  char host[dl::kHostCap];
  int port = -1;
  if (!dl::ParseHostPort(text.c_str(), host, sizeof host, &port)) return "<failed>";
  return std::string(host) + " " + std::to_string(port);
}
std::string Server(const char* text) {
  char host[dl::kHostCap];
  int port = -1;
  bool secure = false;
  if (!dl::ParseServer(text, host, sizeof host, &port, &secure)) return "<failed>";
  return std::string(secure ? "tls " : "") + host + " " + std::to_string(port);
}
std::string Location(const char* text, size_t pathCap = 256) {
  char host[dl::kHostCap], path[256];
  if (!dl::SplitLocation(text, host, sizeof host, path, pathCap)) return "<failed>";
  return std::string(host) + " " + path;
}

TEST(HttpParse, AddressesAndHeadersAreReadOrRefusedNeverCut) {
  EXPECT_EQ(HostPort("update.example:8080"), "update.example 8080");
  EXPECT_EQ(HostPort("update.example"), "update.example 80");
  for (const std::string& bad :
       std::vector<std::string>{":8080", "host:", "host:0", "host:65536",
                                "host:99999999999999999999", std::string(256, 'h') + ":80"})
    EXPECT_EQ(HostPort(bad), "<failed>") << bad;
  // A host setting names TLS with its scheme only; the port then defaults to 443.
  EXPECT_EQ(Server("http://update.example"), "update.example 80");
  EXPECT_EQ(Server("HTTPS://update.example"), "tls update.example 443");
  EXPECT_EQ(Server("https://update.example:8443"), "tls update.example 8443");
  for (const char* bad : {"https://", "https://:443", "https://h:0", "ftp://update.example"})
    EXPECT_EQ(Server(bad), "<failed>") << bad;

  // A redirect's host keeps the https scheme, so that the next connection is made over TLS.
  EXPECT_EQ(Location("HTTP://Other.Example:81/a?x=1"), "Other.Example:81 /a?x=1");
  EXPECT_EQ(Location("HTTPS://Secure.Example:8443/a"), "HTTPS://Secure.Example:8443 /a");
  for (const char* bad :
       {"/update/x.zip", "http:///x", "", "https:///x", "ftp://h/x", "http://https://h/x"})
    EXPECT_EQ(Location(bad), "<failed>") << bad;
  EXPECT_EQ(Location("http://h/very/long/path", 8), "<failed>");

  uint64_t n = 7;
  EXPECT_TRUE(dl::ParseContentLength("5000000000", &n) && n == 5000000000ull);
  for (const char* bad : {"", "-1", "99999999999999999999"})
    EXPECT_FALSE(dl::ParseContentLength(bad, &n)) << bad;

  dl::ContentRange r;
  EXPECT_TRUE(dl::ParseContentRange("bytes 100-999/5000000000", &r) && r.hasRange && r.totalKnown &&
              r.first == 100 && r.last == 999 && r.total == 5000000000ull);
  EXPECT_TRUE(dl::ParseContentRange("bytes */40000", &r) && !r.hasRange && r.totalKnown &&
              r.total == 40000);
  EXPECT_TRUE(dl::ParseContentRange("bytes 0-9/*", &r) && !r.totalKnown);
  for (const char* bad :
       {"bytes 9-0/10", "items 0-9/10", "bytes 0-9/10 junk", "bytes -9/10", "bytes 0-9/x"}) {
    EXPECT_FALSE(dl::ParseContentRange(bad, &r)) << bad;
  }
}

std::string Date(const char* text) {
  dl::HttpTime t;
  if (!dl::ParseHttpDate(text, &t)) return "<failed>";
  char out[64];
  snprintf(out, sizeof out, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
           t.minute, t.second);
  return out;
}

// The three forms a server may send, and what no platform time could hold.
TEST(HttpParse, DatesInAllThreeFormsAndRetryAfter) {
  for (const char* same : {"Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT",
                           "Sun Nov  6 08:49:37 1994", "sun,  06   NOV 1994 08:49:37 GMT"})
    EXPECT_EQ(Date(same), "1994-11-06 08:49:37") << same;
  EXPECT_EQ(Date("Wednesday, 29-Feb-12 23:59:59 GMT"), "2012-02-29 23:59:59");
  for (const char* bad :
       {"", "Sun, 06 Nov 1994", "Sun, 06 Nov 1994 08:49:37 CET", "Sun, 06 Nob 1994 08:49:37 GMT",
        "Tue, 29 Feb 2011 08:49:37 GMT", "Sun, 06 Nov 1994 24:00:00 GMT",
        "Sun, 06 Nov 1994 08:49:60 GMT", "Sun, 00 Nov 1994 08:49:37 GMT",
        "Sun, 06 Nov 1500 08:49:37 GMT", "Sun, 06 Nov 1994 8h49:37 GMT", "Sun Nov  6 08:49:37",
        "Sun, 06 Nov 11111111111111111111111111111111111111 08:49:37 GMT"})
    EXPECT_EQ(Date(bad), "<failed>") << bad;
  dl::HttpTime epoch;
  ASSERT_TRUE(dl::ParseHttpDate("Thu, 01 Jan 1970 00:00:00 GMT", &epoch));
  EXPECT_EQ(dl::HttpTimeToUnix(epoch), 0);

  const int64_t now = 784111777;  // Sun, 06 Nov 1994 08:49:37 GMT
  uint64_t wait = 7;
  EXPECT_TRUE(dl::ParseRetryAfter(" 120 ", now, &wait) && wait == 120);
  EXPECT_TRUE(dl::ParseRetryAfter("Sun, 06 Nov 1994 08:50:07 GMT", now, &wait) && wait == 30);
  EXPECT_TRUE(dl::ParseRetryAfter("Sat, 05 Nov 1994 08:50:07 GMT", now, &wait) && wait == 0);
  for (const char* bad : {"", "-5", "12s", "soon"})
    EXPECT_FALSE(dl::ParseRetryAfter(bad, now, &wait));
}

// Random answers to a kept file: whatever the server says, the file never grows past the
// total, no read asks past it, and only a file as long as the total is complete.
TEST(ResumeDecision, NoAnswerMakesTheFileOutgrowTheTotalOrPassAsCompleteEarly) {
  using dl::KeptFileAction;
  using dl::RestAction;
  std::mt19937_64 random(16);
  const uint64_t sizes[] = {0, 1, 4095, 4096, 100000, 1ull << 32, ~0ull};
  auto pick = [&](uint64_t around) {
    switch (random() % 5) {
      case 0:
        return sizes[random() % 7];
      case 1:
        return around;
      case 2:
        return around + 1;
      case 3:
        return around - 1;
      default:
        return random() % 200000;
    }
  };
  int appended = 0;
  for (int i = 0; i < 200000; ++i) {
    const uint64_t total = pick(100000);
    dl::KeptFile kept{random() % 4 != 0, random() % 4 != 0, pick(total),
                      static_cast<dl::PartRecordState>(random() % 3)};
    const KeptFileAction action = dl::DecideKeptFile(kept, total, random() % 4 != 0);
    // A record naming another object outweighs a matching stamp; a matching one stands alone.
    if (action != KeptFileAction::kStartOver) {
      ASSERT_TRUE(kept.record == dl::PartRecordState::kSame ||
                  (kept.record == dl::PartRecordState::kNone && kept.stampMatches));
    }
    if (action == KeptFileAction::kComplete) {
      ASSERT_TRUE(kept.exists && kept.size == total);
      continue;
    }
    uint64_t offset = 0;
    if (action == KeptFileAction::kAskRest) {
      ASSERT_LT(kept.size, total);
      dl::RestAnswer answer;
      const int statuses[] = {200, 206, 206, 206, 416};
      answer.status = statuses[random() % 5];
      answer.succeeded = answer.status != 416 && random() % 8 != 0;
      answer.rangeRead = random() % 8 != 0;
      answer.range.hasRange = random() % 8 != 0;
      answer.range.first = pick(kept.size);
      answer.range.last = answer.range.first + pick(total - answer.range.first);
      answer.range.totalKnown = random() % 2 == 0;
      answer.range.total = pick(total);
      if (dl::DecideRestAnswer(answer, kept.size, total) == RestAction::kAppend) {
        ASSERT_TRUE(answer.status == 206 && answer.range.first == kept.size &&
                    answer.range.last < total);
        offset = kept.size;
        ++appended;
      }
    }
    // The transfer loop: each read asks for at most what is left; a server sends it all.
    ASSERT_LE(offset, total);
    const uint64_t left = dl::BytesLeft(offset, total);
    ASSERT_EQ(offset + left, total);
  }
  EXPECT_GT(appended, 300);  // the random answers do reach the append
  // The wrap that a 206 starting past the total once caused.
  EXPECT_EQ(dl::DecideKeptFile({true, true, 5000}, 4000, true), KeptFileAction::kStartOver);
  EXPECT_EQ(dl::BytesLeft(5000, 4000), 0u);
  dl::RestAnswer past{true, 206, true, {true, 5000, 5999, true, 6000}};
  EXPECT_EQ(dl::DecideRestAnswer(past, 5000, 4000), RestAction::kAskAgain);
  dl::RestAnswer rest{true, 206, true, {true, 3000, 3999, true, 4000}};
  EXPECT_EQ(dl::DecideRestAnswer(rest, 3000, 4000), RestAction::kAppend);
  dl::RestAnswer ignored{true, 200, false, {}};
  EXPECT_EQ(dl::DecideRestAnswer(ignored, 3000, 4000), RestAction::kWriteWhole);
}

std::string Record(const std::string& text) {
  dl::ObjectIdentity id;
  if (!dl::ParsePartRecord(text.data(), text.size(), &id)) return "<failed>";
  return std::to_string(id.length) + "|" + id.lastModified + "|" + id.etag;
}

// The record beside a partial package: read back exactly as written, or not at all, and what
// it makes the next request ask for.
TEST(PartRecord, RoundTripsRefusesWhatAKillOrAnEditLeavesAndConditionsTheRange) {
  dl::ObjectIdentity id;
  ASSERT_TRUE(dl::MakeIdentity(5000000000ull, "Tue, 08 Dec 2026 06:00:00 GMT", "\"5f-1a\"", &id));
  char text[dl::kPartRecordCap];
  size_t size = 0;
  ASSERT_TRUE(dl::FormatPartRecord(id, text, sizeof text, &size));
  const std::string whole(text, size);
  EXPECT_EQ(Record(whole), "5000000000|Tue, 08 Dec 2026 06:00:00 GMT|\"5f-1a\"");
  EXPECT_EQ(Record("length=0\nlast-modified=x\netag=\nend\n"), "0|x|");
  // Every cut short of the whole text fails: a kill while the record was written proves nothing.
  for (size_t cut = 0; cut < whole.size(); ++cut)
    EXPECT_EQ(Record(whole.substr(0, cut)), "<failed>") << cut;
  for (const char* bad :
       {"length=1\nlength=2\nlast-modified=x\netag=\nend\n",  // a field twice
        "length=1\nlast-modified=x\nend\n",                   // a field missing
        "length=1\nlast-modified=x\netag=\nsize=2\nend\n",    // an unknown field
        "length=-1\nlast-modified=x\netag=\nend\n", "length=\nlast-modified=x\netag=\nend\n",
        "length=99999999999999999999\nlast-modified=x\netag=\nend\n",
        "length=0000000000000000000000000000000000000001\nlast-modified=x\netag=\nend\n",
        "length=1\nlast-modified=x\retag=\nend\n",  // a control character
        "length=1\nlast-modified=x\netag=\nend\njunk"}) {
    EXPECT_EQ(Record(bad), "<failed>") << bad;
  }
  // Nothing that could split a request line or overflow the record is taken from a server.
  EXPECT_FALSE(dl::MakeIdentity(1, "x\r\nHost: evil", "", &id));
  EXPECT_FALSE(dl::MakeIdentity(1, "x", std::string(dl::kValidatorCap, 'e').c_str(), &id));

  dl::ObjectIdentity other = id;
  EXPECT_TRUE(dl::SameObject(id, other));
  for (auto change :
       {+[](dl::ObjectIdentity& o) { o.length++; }, +[](dl::ObjectIdentity& o) { o.etag[1] = '6'; },
        +[](dl::ObjectIdentity& o) { o.lastModified[5] = '9'; }}) {
    other = id;
    change(other);
    EXPECT_FALSE(dl::SameObject(id, other));
  }

  // A strong ETag is the range's condition; a weak one may not be, the date stands in.
  char headers[300];
  ASSERT_TRUE(dl::FormatResumeHeaders(12288, id, headers, sizeof headers));
  EXPECT_STREQ(headers, "range:bytes=12288-\r\nIf-Range: \"5f-1a\"");
  ASSERT_TRUE(dl::MakeIdentity(9, "Tue, 08 Dec 2026 06:00:00 GMT", "W/\"5f\"", &id));
  ASSERT_TRUE(dl::FormatResumeHeaders(1, id, headers, sizeof headers));
  EXPECT_STREQ(headers, "range:bytes=1-\r\nIf-Range: Tue, 08 Dec 2026 06:00:00 GMT");
  ASSERT_TRUE(dl::FormatResumeHeaders(1, dl::ObjectIdentity{}, headers, sizeof headers));
  EXPECT_STREQ(headers, "range:bytes=1-");
  EXPECT_FALSE(dl::FormatResumeHeaders(1, id, headers, 20));

  // The kept file's stamp, written as the server writes its date.
  dl::HttpTime t;
  ASSERT_TRUE(dl::ParseHttpDate("Sunday, 06-Nov-94 08:49:37 GMT", &t));
  char date[40];
  ASSERT_TRUE(dl::FormatHttpDate(t, date, sizeof date));
  EXPECT_STREQ(date, "Sun, 06 Nov 1994 08:49:37 GMT");
  ASSERT_TRUE(dl::ParseHttpDate("Tue, 29 Feb 2000 23:59:59 GMT", &t));
  ASSERT_TRUE(dl::FormatHttpDate(t, date, sizeof date));
  EXPECT_STREQ(date, "Tue, 29 Feb 2000 23:59:59 GMT");
  t.month = 13;
  EXPECT_FALSE(dl::FormatHttpDate(t, date, sizeof date));
}

std::wstring Build(const dl::ExtractionDiagnostics& values) {
  wchar_t out[dl::kDiagnosticTextCap];
  return dl::BuildDiagnosticText(values, out, dl::kDiagnosticTextCap) ? out : L"<failed>";
}

TEST(DiagnosticText, MeasurementsPrintSignedAndAnOverlongTextFailsWhole) {
  EXPECT_EQ(Build({L"C:\\游戏\\", 0xFFFFFFFFu, 0xFFFFFFFFu, 183, 0x80070005u, 3000000000u}),
            L"C:\\游戏\\|4294967295|attr:-1|create:183|errid:-2147024891|size:-1294967296");
  const std::wstring tail = L"|0|attr:0|create:0|errid:0|size:0";
  const std::wstring full(dl::kDiagnosticTextCap - 1 - tail.size(), L'a');
  EXPECT_EQ(Build({full.c_str()}), full + tail);
  EXPECT_EQ(Build({(full + L"a").c_str()}), L"<failed>");
}

std::string Encode(const std::string& bytes, size_t cap = dl::kEncodedTextCap) {
  std::string out(cap, 'x');
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  return dl::UrlEncodeUtf8(data, bytes.size(), &out[0], cap) ? out.c_str() : "<failed>";
}

// Only the unreserved characters stay, and nothing is cut: a text fits whole or fails.
TEST(UrlEncode, BytesAreEscapedAndSmallBuffersFailWhole) {
  EXPECT_EQ(Encode(std::string("az AZ09-_.~/+%&=?#\0\x7f\x80\xff\n", 23)),
            "az+AZ09-_.~%2F%2B%25%26%3D%3F%23%00%7F%80%FF%0A");
  EXPECT_EQ(Encode("ab", 3), "ab");
  EXPECT_EQ(Encode("abc", 3), "<failed>");
  EXPECT_EQ(Encode("a\\", 4), "<failed>");  // no half escapes
}

std::wstring Url(const char* host, const char* encoded, size_t cap = dl::kReportUrlCap) {
  std::wstring out(cap, L'x');
  const bool built =
      dl::BuildReportUrl(dl::ReportType::kExtracted, host, 16, encoded, -7, &out[0], cap);
  return built ? out.c_str() : L"<failed>";
}

// Nothing may change the path or split the query.
TEST(ReportUrl, TheRequestTextAndWhatCannotBePartOfIt) {
  EXPECT_EQ(Url("stats.example:8080", "D%3A%5CX%7C0"),
            L"http://stats.example:8080/ajax/quickDownLoadStatistics/quickDownStatistics.jsp"
            L"?SiteID=16&StatistsType=3&UnzipResult=D%3A%5CX%7C0&channalID=-7");
  EXPECT_EQ(Url("HTTPS://stats.example", "a"),
            L"https://stats.example/ajax/quickDownLoadStatistics/quickDownStatistics.jsp"
            L"?SiteID=16&StatistsType=3&UnzipResult=a&channalID=-7");
  EXPECT_EQ(Url("", "a"), L"<failed>");
  for (const char* bad : {"bad host", "h\xc3\xa9", "h/x", "h?x", "D:\\X\\|0", "a\nGET /", "a&b",
                          "a=b", "a#b", "https://"}) {
    EXPECT_EQ(Url(bad, "a"), L"<failed>") << bad;
    EXPECT_EQ(Url("h", bad), L"<failed>") << bad;
  }
  const std::string fits(dl::kReportUrlCap - 1 - Url("h", "").size(), 'a');
  EXPECT_EQ(Url("h", fits.c_str()).size(), dl::kReportUrlCap - 1);
  EXPECT_EQ(Url("h", (fits + "a").c_str()), L"<failed>");
}

}  // namespace
