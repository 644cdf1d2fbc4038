// Shell pieces on the real platform: the debug log, the built program's strings, drive D:.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "config/debug_log.h"
#include "config/resource_strings.h"
#include "config/site_settings.h"
#include "config/site_settings_load.h"
#include "tests/support/win_test_util.h"

namespace dl {
namespace {

TEST(DebugLog, OnlyAPreparedFileIsWrittenOverFromItsStart) {
  const std::wstring path = dltest::FreshTempFolder(L"dl_log") + L"\\__lobby_dl_debug.log";
  const std::string narrow(path.begin(), path.end());
  EXPECT_FALSE(DebugLog().Open(narrow.c_str()));
  EXPECT_FALSE(dltest::FileExists(path));
  const std::string old(5000, 'x');
  ASSERT_TRUE(dltest::WriteWholeFile(path, old));
  {
    DebugLog log;
    ASSERT_TRUE(log.Open(narrow.c_str()));
    log.Write("IsWow64 = %s", "false");
    log.Write("%s", std::string(5000, 'n').c_str());  // cut at 4095 bytes and its line end
  }
  const std::string lines = "IsWow64 = false\r\n" + std::string(4095, 'n') + "\r\n";
  EXPECT_EQ(dltest::ReadWholeFile(path), lines + old.substr(lines.size()));  // the tail stays
}

struct RecordingStrings : ResourceStrings {  // no modal box in a test
  using ResourceStrings::ResourceStrings;
  void ReportMissing(const wchar_t* message) override { shown.emplace_back(message); }
  std::vector<std::wstring> shown;
};

TEST(StringTable, BuiltProgramCarriesTheConfiguredStrings) {
  HMODULE module = LoadLibraryExW((dltest::ProgramFolder() + L"downloader.exe").c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr) << GetLastError();
  RecordingStrings strings(module);
  const SiteSettings settings = ReadSiteSettings(strings, CompiledBuildSettings());
  FreeLibrary(module);
  EXPECT_TRUE(strings.shown.empty());
  EXPECT_EQ(settings.channelId, atoi(DL_TEST_CHANNEL));
  EXPECT_EQ(settings.useTestServer, atoi(DL_TEST_USE_TEST_SERVER));
  EXPECT_EQ(settings.packagePath, DL_TEST_PACKAGE_PATH);
  EXPECT_EQ(settings.bannerUrl, DL_TEST_BANNER_URL_W);
}

TEST(InstallBase, FollowsWhetherDriveDExists) {
  const char* expect = getenv("DL_EXPECT_DRIVE");
  if (expect == nullptr) GTEST_SKIP() << "run through the drive-choice script";
  const std::wstring base = std::wstring(expect[0] == 'D' ? L"D" : L"C") + L":\\Program Files\\";
  RecordingStrings strings;
  EXPECT_EQ(LoadSiteSettings(strings).defaultInstallBase, base);
}

}  // namespace
}  // namespace dl
