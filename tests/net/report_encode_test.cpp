// Percent-encoding of the diagnostic text and the two report URL forms.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "net/report_url.h"
#include "net/url_encode.h"

namespace {

std::string Encode(const std::string& bytes, size_t cap = dl::kEncodedTextCap) {
  std::string out(cap, 'x');
  const bool ok = dl::UrlEncodeUtf8(reinterpret_cast<const unsigned char*>(bytes.data()),
                                    bytes.size(), &out[0], cap);
  if (!ok) {
    EXPECT_EQ(out[0], '\0') << "a failed encoding must leave an empty text";
    return "<failed>";
  }
  return out.c_str();
}

TEST(UrlEncodeUtf8, KeepsOnlyUnreservedCharactersAndEscapesTheRest) {
  EXPECT_EQ(Encode("AZaz09-_.~"), "AZaz09-_.~");
  EXPECT_EQ(Encode("a b"), "a+b");
  EXPECT_EQ(Encode("+%&=?/:"), "%2B%25%26%3D%3F%2F%3A");
  EXPECT_EQ(Encode("\\|"), "%5C%7C");
  EXPECT_EQ(Encode("\xC3\xA9\xE6\xB8\xB8"), "%C3%A9%E6%B8%B8");  // UTF-8 of two characters
  EXPECT_EQ(Encode(std::string("a\0b\xff", 4)), "a%00b%FF");
  EXPECT_EQ(Encode(""), "");
}

TEST(UrlEncodeUtf8, DiagnosticTextOfASuccessfulInstall) {
  EXPECT_EQ(Encode("D:\\Program Files\\Tavoro\\|0|attr:0|create:0|errid:0|size:0"),
            "D%3A%5CProgram+Files%5CTavoro%5C%7C0%7Cattr%3A0%7Ccreate%3A0%7Cerrid%3A0%7Csize%3A0");
}

// Whatever the byte, the result is query-safe and decodes back to it.
TEST(UrlEncodeUtf8, EveryByteRoundTrips) {
  for (int b = 0; b < 256; ++b) {
    const std::string text = Encode(std::string(1, static_cast<char>(b)));
    for (char c : text) {
      EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c)) || std::strchr("-_.~+%", c))
          << "byte " << b << " gave " << text;
    }
    int decoded = -1;
    if (text.size() == 3 && text[0] == '%') {
      EXPECT_TRUE(std::strchr("0123456789ABCDEF", text[1]) &&
                  std::strchr("0123456789ABCDEF", text[2]))
          << "hex digits must be upper case: " << text;
      decoded = static_cast<int>(std::strtol(text.c_str() + 1, nullptr, 16));
    } else if (text == "+") {
      decoded = ' ';
    } else if (text.size() == 1) {
      decoded = static_cast<unsigned char>(text[0]);
    }
    EXPECT_EQ(decoded, b) << "byte " << b << " gave " << text;
  }
}

TEST(UrlEncodeUtf8, FailsCleanlyWhenTheBufferIsTooSmall) {
  EXPECT_EQ(Encode("ab", 3), "ab");
  EXPECT_EQ(Encode("abc", 3), "<failed>");
  EXPECT_EQ(Encode("a\\", 5), "a%5C");
  EXPECT_EQ(Encode("a\\", 4), "<failed>");  // no half escapes
  char none = 'x';
  EXPECT_FALSE(dl::UrlEncodeUtf8(reinterpret_cast<const unsigned char*>("a"), 1, &none, 0));
  EXPECT_EQ(none, 'x');
  // The longest UTF-8 text the report carries always fits.
  EXPECT_NE(Encode(std::string(1023, '\xff')), "<failed>");
}

const wchar_t kType3[] =
    L"http://stats.example:8080/ajax/quickDownLoadStatistics/quickDownStatistics.jsp"
    L"?SiteID=16&StatistsType=3&UnzipResult=D%3A%5CX%5C%7C0&channalID=200019";

std::wstring Url(dl::ReportType type, const char* host, const char* encoded, int channel,
                 size_t cap = dl::kReportUrlCap) {
  std::wstring out(cap, L'x');
  if (!dl::BuildReportUrl(type, host, 16, encoded, channel, &out[0], cap)) {
    EXPECT_EQ(out[0], L'\0') << "a failed URL must leave an empty text";
    return L"<failed>";
  }
  return out.c_str();
}

TEST(ReportUrl, TheTwoFormsDifferOnlyInTheType) {
  EXPECT_EQ(Url(dl::ReportType::kExtracted, "stats.example:8080", "D%3A%5CX%5C%7C0", 200019),
            kType3);
  std::wstring type4 = kType3;
  type4.replace(type4.find(L"StatistsType=3"), 14, L"StatistsType=4");
  EXPECT_EQ(Url(dl::ReportType::kNotExtracted, "stats.example:8080", "D%3A%5CX%5C%7C0", 200019),
            type4);
  EXPECT_EQ(Url(dl::ReportType::kExtracted, "s", "", -7),
            L"http://s/ajax/quickDownLoadStatistics/quickDownStatistics.jsp"
            L"?SiteID=16&StatistsType=3&UnzipResult=&channalID=-7");
}

TEST(ReportUrl, RefusesTextThatCannotBePartOfARequestLine) {
  EXPECT_EQ(Url(dl::ReportType::kExtracted, "", "a", 1), L"<failed>");
  EXPECT_EQ(Url(dl::ReportType::kExtracted, "bad host", "a", 1), L"<failed>");
  EXPECT_EQ(Url(dl::ReportType::kExtracted, "h\xc3\xa9", "a", 1), L"<failed>");
  EXPECT_EQ(Url(dl::ReportType::kExtracted, "h", "D:\\X\\|0", 1), L"<failed>");
  EXPECT_EQ(Url(dl::ReportType::kExtracted, "h", "a\nGET /", 1), L"<failed>");
  EXPECT_EQ(Url(dl::ReportType::kExtracted, "h", "a&SiteID=1", 1), L"<failed>");
  EXPECT_EQ(Url(dl::ReportType::kExtracted, "h/x?", "a", 1), L"<failed>");
}

TEST(ReportUrl, AnOverlongUrlFailsCleanly) {
  const size_t fixed = Url(dl::ReportType::kExtracted, "h", "", 1).size();
  const std::string fits(dl::kReportUrlCap - 1 - fixed, 'a');
  EXPECT_EQ(Url(dl::ReportType::kExtracted, "h", fits.c_str(), 1).size(), dl::kReportUrlCap - 1);
  EXPECT_EQ(Url(dl::ReportType::kExtracted, "h", (fits + "a").c_str(), 1), L"<failed>");
  const std::string longHost(dl::kReportUrlCap, 'h');
  EXPECT_EQ(Url(dl::ReportType::kExtracted, longHost.c_str(), "", 1), L"<failed>");
  EXPECT_EQ(Url(dl::ReportType::kExtracted, "h", "", 1, 10), L"<failed>");
}

}  // namespace
