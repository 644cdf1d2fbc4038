// The texts a download decides on (addresses, headers) and the report's texts and URL.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "net/diagnostic_text.h"
#include "net/http_parse.h"
#include "net/report_url.h"
#include "net/url_encode.h"

namespace {

std::string HostPort(const std::string& text) {
  char host[dl::kHostCap];
  int port = -1;
  if (!dl::ParseHostPort(text.c_str(), host, sizeof host, &port)) return "<failed>";
  return std::string(host) + " " + std::to_string(port);
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
  EXPECT_EQ(Location("HTTP://Other.Example:81/a?x=1"), "Other.Example:81 /a?x=1");
  for (const char* bad : {"/update/x.zip", "http:///x", "", "https://secure.example/x"})
    EXPECT_EQ(Location(bad), "<failed>") << bad;
  EXPECT_EQ(Location("http://h/very/long/path", 8), "<failed>");

  dl::HttpTime t;
  ASSERT_TRUE(dl::ParseHttpDate("Wed,  21   oct 2015 07:28:09 GMT", &t));
  EXPECT_EQ(std::vector<int>({t.year, t.month, t.day, t.hour, t.minute, t.second}),
            std::vector<int>({2015, 10, 21, 7, 28, 9}));
  const std::string longWord = "Sun, 06 Nov " + std::string(40, '1') + " 08:49:37 GMT";
  for (const char* bad : {"", "Sun, 06 Nov 1994", longWord.c_str()})
    EXPECT_FALSE(dl::ParseHttpDate(bad, &t)) << bad;

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
  EXPECT_EQ(Url("", "a"), L"<failed>");
  for (const char* bad :
       {"bad host", "h\xc3\xa9", "h/x", "h?x", "D:\\X\\|0", "a\nGET /", "a&b", "a=b", "a#b"}) {
    EXPECT_EQ(Url(bad, "a"), L"<failed>") << bad;
    EXPECT_EQ(Url("h", bad), L"<failed>") << bad;
  }
  const std::string fits(dl::kReportUrlCap - 1 - Url("h", "").size(), 'a');
  EXPECT_EQ(Url("h", fits.c_str()).size(), dl::kReportUrlCap - 1);
  EXPECT_EQ(Url("h", (fits + "a").c_str()), L"<failed>");
}

}  // namespace
