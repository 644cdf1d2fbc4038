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
  void SetUp() override { folder = dltest::FreshTempFolder(L"dl_log"); }
  std::string Path() {
    std::wstring w = folder + L"\\__lobby_dl_debug.log";
    return std::string(w.begin(), w.end());
  }
  std::wstring folder;
};

TEST_F(DebugLogTest, MissingFileKeepsLoggingOffAndCreatesNothing) {
  DebugLog log;
  EXPECT_FALSE(log.Open(Path().c_str()));
  log.Write("IsWow64 = %s", "false");
  EXPECT_FALSE(dltest::FileExists(folder + L"\\__lobby_dl_debug.log"));
}

TEST_F(DebugLogTest, LinesGoOverTheStartAndTheOldTailStays) {
  std::wstring path = folder + L"\\__lobby_dl_debug.log";
  const std::string old(100, 'x');
  ASSERT_TRUE(dltest::WriteWholeFile(path, old));
  {
    DebugLog log;
    ASSERT_TRUE(log.Open(Path().c_str()));
    log.Write("IsWow64 = %s", "false");
    log.Write("sendmessage WM_APP+2");
  }
  std::string expected = "IsWow64 = false\r\nsendmessage WM_APP+2\r\n";
  std::string after = dltest::ReadWholeFile(path);
  ASSERT_EQ(after.size(), old.size());
  EXPECT_EQ(after.substr(0, expected.size()), expected);
  EXPECT_EQ(after.substr(expected.size()), old.substr(expected.size()));
}

TEST_F(DebugLogTest, EmptyFileGetsExactlyTheLines) {
  std::wstring path = folder + L"\\__lobby_dl_debug.log";
  ASSERT_TRUE(dltest::WriteWholeFile(path, ""));
  DebugLog log;
  ASSERT_TRUE(log.Open(Path().c_str()));
  log.Write("not found x64 '%s'", "Tavoro");
  EXPECT_EQ(dltest::ReadWholeFile(path), "not found x64 'Tavoro'\r\n");
}

TEST_F(DebugLogTest, FileHeldForWritingElsewhereKeepsLoggingOff) {
  std::wstring path = folder + L"\\__lobby_dl_debug.log";
  ASSERT_TRUE(dltest::WriteWholeFile(path, "keep"));
  HANDLE other = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  DebugLog log;
  EXPECT_FALSE(log.Open(Path().c_str()));
  log.Write("hProcess = NULL");
  CloseHandle(other);
  EXPECT_EQ(dltest::ReadWholeFile(path), "keep");
}

TEST_F(DebugLogTest, OverlongLineIsCutAtTheLineLimit) {
  std::wstring path = folder + L"\\__lobby_dl_debug.log";
  ASSERT_TRUE(dltest::WriteWholeFile(path, ""));
  DebugLog log;
  ASSERT_TRUE(log.Open(Path().c_str()));
  std::string huge(10000, 'n');
  log.Write("%s", huge.c_str());
  EXPECT_EQ(dltest::ReadWholeFile(path), std::string(4095, 'n') + "\r\n");
}

// Records instead of showing the modal box, so the test does not block on it.
class RecordingStrings : public ResourceStrings {
 public:
  using ResourceStrings::ResourceStrings;
  void ReportMissing(const wchar_t* message) override { shown.emplace_back(message); }
  std::vector<std::wstring> shown;
};

TEST(StringTable, BuiltProgramCarriesTheConfiguredStrings) {
  std::wstring exe = dltest::ProgramFolder() + L"downloader.exe";
  HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr) << GetLastError();
  RecordingStrings strings(module);
  g_serverHost = "official.example";
  ReadSiteConfiguration(strings, "test.example");
  FreeLibrary(module);
  EXPECT_TRUE(strings.shown.empty());
  EXPECT_EQ(g_channelId, atoi(DL_TEST_CHANNEL));
  EXPECT_EQ(g_useTestServer, atoi(DL_TEST_USE_TEST_SERVER));
  EXPECT_STREQ(g_packagePath, DL_TEST_PACKAGE_PATH);
  std::wstring banner =
      L"http://" DL_TEST_BANNER_HOST_W L"/banner_download/index.do?siteID=16&channelID=0";
  EXPECT_EQ(std::wstring(g_bannerUrl), banner);
}

TEST(StringTable, ModuleWithoutStringsReportsAllFourAndKeepsDefaults) {
  RecordingStrings strings(GetModuleHandleW(nullptr));  // this test program has no table
  g_channelId = 0;
  g_serverHost = "official.example";
  ReadSiteConfiguration(strings, "test.example");
  ASSERT_EQ(strings.shown.size(), 4u);
  EXPECT_EQ(strings.shown[0], L"读取ID_CHANNAL配置错误");
  EXPECT_EQ(strings.shown[3], L"读取ID_BANNERURL配置错误");
  EXPECT_EQ(g_channelId, 0);
  EXPECT_STREQ(g_serverHost, "official.example");
}

// Run by the bench twice: once with a D: drive in the prefix, once without.
TEST(InstallBase, FollowsWhetherDriveDExists) {
  const char* expect = getenv("DL_EXPECT_DRIVE");
  if (expect == nullptr) GTEST_SKIP() << "run through the drive-choice script";
  wchar_t label[300];
  ASSERT_TRUE(ChooseDefaultInstallBase(label, 300));
  std::wstring base = std::wstring(expect[0] == 'D' ? L"D" : L"C") + L":\\Program Files\\";
  EXPECT_EQ(std::wstring(g_installBase), base);
  EXPECT_EQ(std::wstring(label), L"安装路径：" + base + L"Tavoro\\");
}

}  // namespace
}  // namespace dl
