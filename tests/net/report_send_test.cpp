// Installation reports against the local statistics server (nginx logs every request URI
// of the report path to DL_SERVERS_DIR/stats.log) and against a closed port.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app/site_config.h"
#include "net/diagnostic_text.h"
#include "net/report.h"
#include "net/url_encode.h"
#include "tests/net/server_env.h"

namespace {

const char kPathAndSite[] = "/ajax/quickDownLoadStatistics/quickDownStatistics.jsp?SiteID=16";

class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    port_ = nettest::Env("DL_NGINX_PORT");
    log_ = nettest::Env("DL_SERVERS_DIR_WIN") + "\\stats.log";
    ASSERT_FALSE(port_.empty()) << "the local servers are not running (no DL_NGINX_PORT)";
    host_ = "127.0.0.1:" + port_;
    dl::g_channelId = 200019;
    // Unique per run, so other runs' lines in the shared log never match.
    marker_ = "T" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
  }

  std::string Encoded(const dl::ExtractionDiagnostics& values) {
    wchar_t text[dl::kDiagnosticTextCap];
    EXPECT_TRUE(dl::BuildDiagnosticText(values, text, dl::kDiagnosticTextCap));
    char encoded[dl::kEncodedTextCap];
    EXPECT_TRUE(dl::EncodeDiagnosticText(text, encoded, sizeof encoded));
    return encoded;
  }

  std::string ReadLog() {
    std::ifstream in(log_, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
  }

  // nginx writes the log line as it finishes the request, which can trail the answer a bit.
  bool WaitForLine(const std::string& line) {
    for (int i = 0; i < 40; ++i) {
      if (("\n" + ReadLog()).find("\n" + line + "\n") != std::string::npos) return true;
      Sleep(50);
    }
    return false;
  }

  std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

  std::string port_, log_, host_, marker_;
};

TEST_F(ReportTest, BothTypesArriveWithTheExactQuery) {
  dl::ExtractionDiagnostics success;
  const std::wstring folder = L"D:\\Program Files\\" + Wide(marker_) + L"\\";
  success.installFolder = folder.c_str();
  success.lastError = 5;
  ASSERT_TRUE(
      dl::SendInstallReport(dl::ReportType::kExtracted, Encoded(success).c_str(), host_.c_str()));
  EXPECT_TRUE(WaitForLine(
      std::string(kPathAndSite) + "&StatistsType=3&UnzipResult=D%3A%5CProgram+Files%5C" + marker_ +
      "%5C%7C0%7Cattr%3A0%7Ccreate%3A0%7Cerrid%3A5%7Csize%3A0" + "&channalID=200019"));

  dl::ExtractionDiagnostics failure;
  failure.installFolder = folder.c_str();
  failure.extractResult = 1;
  failure.attributes = 0xFFFFFFFFu;
  failure.createResult = 3;
  failure.lastError = 3;
  failure.packageSize = 1234;
  ASSERT_TRUE(dl::SendInstallReport(dl::ReportType::kNotExtracted, Encoded(failure).c_str(),
                                    host_.c_str()));
  EXPECT_TRUE(WaitForLine(
      std::string(kPathAndSite) + "&StatistsType=4&UnzipResult=D%3A%5CProgram+Files%5C" + marker_ +
      "%5C%7C1%7Cattr%3A-1%7Ccreate%3A3%7Cerrid%3A3%7Csize%3A1234" + "&channalID=200019"));
}

// A folder name travels the way the platform's ANSI code page can express it.
TEST_F(ReportTest, NonAsciiFolderGoesThroughTheAnsiCodePage) {
  const std::wstring folder = L"C:\\\u00e9\u6e38" + Wide(marker_) + L"\\";
  std::string expected;
  switch (GetACP()) {
    case 1252:
      expected = "C%3A%5C%C3%A9%3F";
      break;  // the CJK character is lost as '?'
    case 936:
      expected = "C%3A%5C%3F%E6%B8%B8";
      break;  // and here the accented one is
    default:
      GTEST_SKIP() << "no expectation for ANSI code page " << GetACP();
  }
  dl::ExtractionDiagnostics values;
  values.installFolder = folder.c_str();
  ASSERT_TRUE(
      dl::SendInstallReport(dl::ReportType::kExtracted, Encoded(values).c_str(), host_.c_str()));
  EXPECT_TRUE(WaitForLine(std::string(kPathAndSite) + "&StatistsType=3&UnzipResult=" + expected +
                          marker_ + "%5C%7C0%7Cattr%3A0%7Ccreate%3A0%7Cerrid%3A0%7Csize%3A0" +
                          "&channalID=200019"));
}

// A URL that does not fit is never sent, not even cut short.
TEST_F(ReportTest, AnOverlongReportSendsNothing) {
  const std::string overlong = marker_ + "L" + std::string(dl::kReportUrlCap, 'a');
  EXPECT_FALSE(
      dl::SendInstallReport(dl::ReportType::kNotExtracted, overlong.c_str(), host_.c_str()));
  // A later report arriving proves the log is current.
  const std::string after = marker_ + "A";
  ASSERT_TRUE(dl::SendInstallReport(dl::ReportType::kNotExtracted, after.c_str(), host_.c_str()));
  ASSERT_TRUE(WaitForLine(std::string(kPathAndSite) + "&StatistsType=4&UnzipResult=" + after +
                          "&channalID=200019"));
  EXPECT_EQ(ReadLog().find(marker_ + "L"), std::string::npos);
}

TEST_F(ReportTest, AnUnreachableHostReturnsPromptlyAndChangesNothingElse) {
  const int port = nettest::ClosedPort();
  ASSERT_NE(port, 0);
  const std::string closed = "127.0.0.1:" + std::to_string(port);
  wchar_t dirBefore[MAX_PATH] = {}, dirAfter[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, dirBefore);
  const std::string lost = marker_ + "U";

  const ULONGLONG start = GetTickCount64();
  EXPECT_TRUE(dl::SendInstallReport(dl::ReportType::kExtracted, lost.c_str(), closed.c_str()));
  EXPECT_LT(GetTickCount64() - start, 5000u);

  GetCurrentDirectoryW(MAX_PATH, dirAfter);
  EXPECT_STREQ(dirBefore, dirAfter);
  EXPECT_EQ(dl::g_channelId, 200019);
  // The next report of the same process still goes through.
  const std::string next = marker_ + "N";
  ASSERT_TRUE(dl::SendInstallReport(dl::ReportType::kExtracted, next.c_str(), host_.c_str()));
  EXPECT_TRUE(WaitForLine(std::string(kPathAndSite) + "&StatistsType=3&UnzipResult=" + next +
                          "&channalID=200019"));
  EXPECT_EQ(ReadLog().find(lost), std::string::npos);
}

}  // namespace
