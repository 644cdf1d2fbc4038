// Installation reports against the local statistics server (nginx logs every request URI
// of the report path to DL_SERVERS_DIR/stats.log) and against a closed port.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/site_config.h"
#include "net/diagnostic_text.h"
#include "net/report.h"
#include "net/url_encode.h"
#include "tests/net/server_env.h"

namespace {

const char kPathAndSite[] = "/ajax/quickDownLoadStatistics/quickDownStatistics.jsp?SiteID=16";
std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(nettest::NginxHost().empty()) << "the local servers are not running";
    host_ = nettest::NginxHost();
    dl::g_channelId = 200019;
    marker_ = "T" + nettest::RunMarker();  // other runs' lines in the shared log never match
  }

  static std::string Encoded(const dl::ExtractionDiagnostics& values) {
    wchar_t text[dl::kDiagnosticTextCap];
    EXPECT_TRUE(dl::BuildDiagnosticText(values, text, dl::kDiagnosticTextCap));
    char encoded[dl::kEncodedTextCap];
    EXPECT_TRUE(dl::EncodeDiagnosticText(text, encoded, sizeof encoded));
    return encoded;
  }
  static std::string Log() { return nettest::ReadText(nettest::ServersDir() + "\\stats.log"); }
  // The whole log line, waiting for nginx, which logs as it finishes the request.
  static bool Arrived(int type, const std::string& encoded) {
    const std::string line = std::string(kPathAndSite) + "&StatistsType=" + std::to_string(type) +
                             "&UnzipResult=" + encoded + "&channalID=200019";
    for (int i = 0; i < 40; ++i) {
      if (("\n" + Log()).find("\n" + line + "\n") != std::string::npos) return true;
      Sleep(50);
    }
    return false;
  }

  std::string host_, marker_;
};

TEST_F(ReportTest, BothTypesArriveWithTheExactQuery) {
  const std::wstring folder = L"D:\\Program Files\\" + Wide(marker_) + L"\\";
  dl::ExtractionDiagnostics success;
  success.installFolder = folder.c_str();
  success.lastError = 5;
  ASSERT_TRUE(
      dl::SendInstallReport(dl::ReportType::kExtracted, Encoded(success).c_str(), host_.c_str()));
  EXPECT_TRUE(Arrived(3, "D%3A%5CProgram+Files%5C" + marker_ +
                             "%5C%7C0%7Cattr%3A0%7Ccreate%3A0%7Cerrid%3A5%7Csize%3A0"));

  // The failure form, with a measurement that prints negative.
  success.extractResult = 1;
  success.attributes = 0xFFFFFFFFu;
  success.packageSize = 1234;
  ASSERT_TRUE(dl::SendInstallReport(dl::ReportType::kNotExtracted, Encoded(success).c_str(),
                                    host_.c_str()));
  EXPECT_TRUE(Arrived(4, "D%3A%5CProgram+Files%5C" + marker_ +
                             "%5C%7C1%7Cattr%3A-1%7Ccreate%3A0%7Cerrid%3A5%7Csize%3A1234"));
}

// A folder name travels the way the platform's ANSI code page can express it.
TEST_F(ReportTest, NonAsciiFolderGoesThroughTheAnsiCodePage) {
  std::string expected;
  switch (GetACP()) {
    case 1252:
      expected = "C%3A%5C%C3%A9%3F";  // the CJK character is lost as '?'
      break;
    case 936:
      expected = "C%3A%5C%3F%E6%B8%B8";  // and here the accented one is
      break;
    default:
      GTEST_SKIP() << "no expectation for ANSI code page " << GetACP();
  }
  const std::wstring folder = L"C:\\\u00e9\u6e38" + Wide(marker_) + L"\\";
  dl::ExtractionDiagnostics values;
  values.installFolder = folder.c_str();
  ASSERT_TRUE(
      dl::SendInstallReport(dl::ReportType::kExtracted, Encoded(values).c_str(), host_.c_str()));
  EXPECT_TRUE(
      Arrived(3, expected + marker_ + "%5C%7C0%7Cattr%3A0%7Ccreate%3A0%7Cerrid%3A0%7Csize%3A0"));
}

// A URL that does not fit is never sent, not even cut short; a host nobody listens on costs
// little time, and the next report of the process still goes through.
TEST_F(ReportTest, OverlongOrUnreachableReportsChangeNothingElse) {
  const std::string overlong = marker_ + "L" + std::string(dl::kReportUrlCap, 'a');
  EXPECT_FALSE(
      dl::SendInstallReport(dl::ReportType::kNotExtracted, overlong.c_str(), host_.c_str()));

  const std::string closed = "127.0.0.1:" + std::to_string(nettest::ClosedPort());
  wchar_t dirBefore[MAX_PATH] = {}, dirAfter[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, dirBefore);
  const ULONGLONG start = GetTickCount64();
  EXPECT_TRUE(
      dl::SendInstallReport(dl::ReportType::kExtracted, (marker_ + "U").c_str(), closed.c_str()));
  EXPECT_LT(GetTickCount64() - start, 5000u);
  GetCurrentDirectoryW(MAX_PATH, dirAfter);
  EXPECT_STREQ(dirBefore, dirAfter);

  ASSERT_TRUE(
      dl::SendInstallReport(dl::ReportType::kExtracted, (marker_ + "N").c_str(), host_.c_str()));
  ASSERT_TRUE(Arrived(3, marker_ + "N"));  // the log is current
  EXPECT_EQ(Log().find(marker_ + "L"), std::string::npos);
  EXPECT_EQ(Log().find(marker_ + "U"), std::string::npos);
}

}  // namespace
