// Shell pieces against the real platform: the debug log file, the string table of the
// built program, a missing string through the resource seam, the install base choice.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/debug_log.h"
#include "app/program_identity.h"
#include "app/resource_strings.h"
#include "app/site_config.h"
#include "tests/support/win_test_util.h"

namespace dl {
namespace {

class DebugLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dltest::FreshTempFolder(L"dl_log") + L"\\__lobby_dl_debug.log";
    narrow_.assign(path_.begin(), path_.end());
  }
  std::wstring path_;
  std::string narrow_;
};

// Logging is on only for a file someone prepared and nobody else writes to.
TEST_F(DebugLogTest, MissingOrHeldFileKeepsLoggingOff) {
  {
    DebugLog log;
    EXPECT_FALSE(log.Open(narrow_.c_str()));
    log.Write("IsWow64 = %s", "false");
  }
  EXPECT_FALSE(dltest::FileExists(path_));

  ASSERT_TRUE(dltest::WriteWholeFile(path_, "keep"));
  HANDLE other = CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  {
    DebugLog log;
    EXPECT_FALSE(log.Open(narrow_.c_str()));
    log.Write("hProcess = NULL");
  }
  CloseHandle(other);
  EXPECT_EQ(dltest::ReadWholeFile(path_), "keep");
}

TEST_F(DebugLogTest, LinesGoOverTheStartAndOverlongOnesAreCut) {
  const std::string old(100, 'x');
  ASSERT_TRUE(dltest::WriteWholeFile(path_, old));
  {
    DebugLog log;
    ASSERT_TRUE(log.Open(narrow_.c_str()));
    log.Write("IsWow64 = %s", "false");
    log.Write("not found x64 '%s'", "Tavoro");
  }
  const std::string lines = "IsWow64 = false\r\nnot found x64 'Tavoro'\r\n";
  EXPECT_EQ(dltest::ReadWholeFile(path_), lines + old.substr(lines.size()));  // the tail stays

  ASSERT_TRUE(dltest::WriteWholeFile(path_, ""));
  DebugLog log;
  ASSERT_TRUE(log.Open(narrow_.c_str()));
  log.Write("%s", std::string(10000, 'n').c_str());
  EXPECT_EQ(dltest::ReadWholeFile(path_), std::string(4095, 'n') + "\r\n");
}

// Records instead of showing the modal box, so the test does not block on it.
class RecordingStrings : public ResourceStrings {
 public:
  using ResourceStrings::ResourceStrings;
  void ReportMissing(const wchar_t* message) override { shown.emplace_back(message); }
  std::vector<std::wstring> shown;
};

TEST(StringTable, BuiltProgramCarriesTheConfiguredStringsAndOthersReportAllFour) {
  HMODULE module = LoadLibraryExW((dltest::ProgramFolder() + L"downloader.exe").c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr) << GetLastError();
  RecordingStrings strings(module);
  g_serverHost = "official.example";
  ReadSiteConfiguration(strings, "test.example");
  FreeLibrary(module);
  EXPECT_TRUE(strings.shown.empty());
  EXPECT_EQ(g_channelId, atoi(DL_TEST_CHANNEL));
  EXPECT_EQ(g_useTestServer, atoi(DL_TEST_USE_TEST_SERVER));
  EXPECT_STREQ(g_packagePath, DL_TEST_PACKAGE_PATH);
  EXPECT_EQ(std::wstring(g_bannerUrl),
            L"http://" DL_TEST_BANNER_HOST_W L"/banner_download/index.do?siteID=16&channelID=0");

  RecordingStrings none(GetModuleHandleW(nullptr));  // this test program has no table
  g_channelId = 0;
  ReadSiteConfiguration(none, "test.example");
  ASSERT_EQ(none.shown.size(), 4u);
  EXPECT_EQ(none.shown[0], L"读取ID_CHANNAL配置错误");
  EXPECT_EQ(none.shown[3], L"读取ID_BANNERURL配置错误");
  EXPECT_EQ(g_channelId, 0);
}

// Run by the bench twice: once with a D: drive in the prefix, once without.
TEST(InstallBase, FollowsWhetherDriveDExists) {
  const char* expect = getenv("DL_EXPECT_DRIVE");
  if (expect == nullptr) GTEST_SKIP() << "run through the drive-choice script";
  wchar_t label[300];
  ASSERT_TRUE(ChooseDefaultInstallBase(label, 300));
  const std::wstring base = std::wstring(expect[0] == 'D' ? L"D" : L"C") + L":\\Program Files\\";
  EXPECT_EQ(std::wstring(g_installBase), base);
  EXPECT_EQ(std::wstring(label), L"安装路径：" + base + L"Tavoro\\");
}

}  // namespace
}  // namespace dl
