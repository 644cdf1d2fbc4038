// The report's texts: the diagnostic text, its percent-encoding and the two URL forms.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "net/diagnostic_text.h"
#include "net/report_url.h"
#include "net/url_encode.h"

namespace {

std::wstring Build(const dl::ExtractionDiagnostics& values) {
  std::wstring out(dl::kDiagnosticTextCap, L'x');
  if (!dl::BuildDiagnosticText(values, &out[0], out.size())) {
    EXPECT_EQ(out[0], L'\0') << "a failed text must be empty";
    return L"<failed>";
  }
  return out.c_str();
}

// The result prints unsigned, the four measurements signed, whatever their bits.
TEST(DiagnosticText, MeasurementsKeepTheirSignsAndAnOverlongTextFails) {
  dl::ExtractionDiagnostics values;
  values.installFolder = L"C:\\游戏\\Tavoro\\";
  values.extractResult = 0xFFFFFFFFu;
  values.attributes = 0xFFFFFFFFu;  // the attribute query failed
  values.createResult = 183;
  values.lastError = 0x80070005u;
  values.packageSize = 3000000000u;
  EXPECT_EQ(Build(values),
            L"C:\\游戏\\Tavoro\\|4294967295|attr:-1|create:183|errid:-2147024891"
            L"|size:-1294967296");

  const std::wstring tail = L"|0|attr:0|create:0|errid:0|size:0";
  std::wstring folder(dl::kDiagnosticTextCap - 1 - tail.size(), L'a');
  dl::ExtractionDiagnostics plain;
  plain.installFolder = folder.c_str();
  EXPECT_EQ(Build(plain), folder + tail);  // exactly full
  folder += L'a';
  plain.installFolder = folder.c_str();
  EXPECT_EQ(Build(plain), L"<failed>");  // a number would be cut
}

std::string Encode(const std::string& bytes, size_t cap = dl::kEncodedTextCap) {
  std::string out(cap, 'x');
  if (!dl::UrlEncodeUtf8(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                         &out[0], cap)) {
    EXPECT_EQ(out[0], '\0') << "a failed encoding must leave an empty text";
    return "<failed>";
  }
  return out.c_str();
}

// Whatever the byte, the result is query-safe and decodes back to it; only the unreserved
// characters stay as they are.
TEST(UrlEncodeUtf8, EveryByteRoundTripsAndSmallBuffersFailWhole) {
  for (int b = 0; b < 256; ++b) {
    const std::string text = Encode(std::string(1, static_cast<char>(b)));
    const bool unreserved = std::isalnum(b) || (b != 0 && std::strchr("-_.~", b) != nullptr);
    int decoded = -1;
    if (text.size() == 3 && text[0] == '%' && std::strchr("0123456789ABCDEF", text[1]) &&
        std::strchr("0123456789ABCDEF", text[2])) {
      decoded = static_cast<int>(std::strtol(text.c_str() + 1, nullptr, 16));
    } else if (text == "+") {
      decoded = ' ';
    } else if (text.size() == 1 && unreserved) {
      decoded = static_cast<unsigned char>(text[0]);
    }
    EXPECT_EQ(decoded, b) << "byte " << b << " gave " << text;
    EXPECT_EQ(text.size() == 1, unreserved || b == ' ') << "byte " << b << " gave " << text;
  }
  EXPECT_EQ(Encode(std::string("D:\\a b|\xC3\xA9\0", 10)), "D%3A%5Ca+b%7C%C3%A9%00");

  EXPECT_EQ(Encode("ab", 3), "ab");
  EXPECT_EQ(Encode("abc", 3), "<failed>");
  EXPECT_EQ(Encode("a\\", 5), "a%5C");
  EXPECT_EQ(Encode("a\\", 4), "<failed>");  // no half escapes
  char none = 'x';
  EXPECT_FALSE(dl::UrlEncodeUtf8(reinterpret_cast<const unsigned char*>("a"), 1, &none, 0));
  EXPECT_EQ(none, 'x');
  EXPECT_NE(Encode(std::string(1023, '\xff')), "<failed>");  // the longest text always fits
}

std::wstring Url(dl::ReportType type, const char* host, const char* encoded, int channel,
                 size_t cap = dl::kReportUrlCap) {
  std::wstring out(cap, L'x');
  if (!dl::BuildReportUrl(type, host, 16, encoded, channel, &out[0], cap)) {
    EXPECT_EQ(out[0], L'\0') << "a failed URL must leave an empty text";
    return L"<failed>";
  }
  return out.c_str();
}

TEST(ReportUrl, TheTwoFormsAndWhatCannotBePartOfARequestLine) {
  const wchar_t kPath[] =
      L"/ajax/quickDownLoadStatistics/quickDownStatistics.jsp?SiteID=16&StatistsType=";
  EXPECT_EQ(Url(dl::ReportType::kExtracted, "stats.example:8080", "D%3A%5CX%5C%7C0", 200019),
            std::wstring(L"http://stats.example:8080") + kPath +
                L"3&UnzipResult=D%3A%5CX%5C%7C0&channalID=200019");
  EXPECT_EQ(Url(dl::ReportType::kNotExtracted, "s", "", -7),
            std::wstring(L"http://s") + kPath + L"4&UnzipResult=&channalID=-7");

  for (const char* host : {"", "bad host", "h\xc3\xa9", "h/x?"}) {
    EXPECT_EQ(Url(dl::ReportType::kExtracted, host, "a", 1), L"<failed>") << host;
  }
  for (const char* encoded : {"D:\\X\\|0", "a\nGET /", "a&SiteID=1"}) {
    EXPECT_EQ(Url(dl::ReportType::kExtracted, "h", encoded, 1), L"<failed>") << encoded;
  }
  const size_t fixed = Url(dl::ReportType::kExtracted, "h", "", 1).size();
  const std::string fits(dl::kReportUrlCap - 1 - fixed, 'a');
  EXPECT_EQ(Url(dl::ReportType::kExtracted, "h", fits.c_str(), 1).size(), dl::kReportUrlCap - 1);
  EXPECT_EQ(Url(dl::ReportType::kExtracted, "h", (fits + "a").c_str(), 1), L"<failed>");
  EXPECT_EQ(Url(dl::ReportType::kExtracted, std::string(dl::kReportUrlCap, 'h').c_str(), "", 1),
            L"<failed>");
}

}  // namespace
