// The shell's pure pieces: share id, build-time strings, install base, bounded paths and texts.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "config/install_base.h"
#include "app/program_path.h"
#include "config/share_id.h"
#include "config/site_settings.h"
#include "base/bounded_text.h"

namespace dl {
namespace {

TEST(ShareIdFromPath, TakesTheLastUnderscorePieceOfTheFileName) {
  const std::pair<const char*, const char*> kCases[] = {
      {"C:\\Downloads\\Setup_123456.exe", "123456"},
      {"C:\\some_dir\\Setup.exe", "Setup"},
      {"C:\\x\\\\\\Setup__42..exe", "42"},
      {"C:\\x\\Setup_.exe", "exe"},
      {"C:\\x\\___", nullptr},
      {"", nullptr}};
  for (const auto& c : kCases) {
    std::string id = "untouched";
    EXPECT_EQ(ShareIdFromPath(c.first, &id), c.second != nullptr) << c.first;
    EXPECT_EQ(id, c.second ? c.second : "untouched") << c.first;
  }
  EXPECT_EQ(IsAllDigits("123456"), 1);
  for (const char* text : {"12a", "-1", "\xef\xbc\x91", "9\xb9"}) {  // full-width 1, superscript
    EXPECT_EQ(IsAllDigits(text), 0) << text;
  }
}

struct FakeStrings : ConfigStrings {
  std::map<unsigned, std::string> texts = {{ID_CHANNAL, "12ab"}, {ID_IFOFFICIAL, "1"}};
  std::vector<std::wstring> shown;
  template <typename Char>
  int Load(unsigned id, Char* buf, int cap) {
    const std::string text = texts.count(id) ? texts[id] : "";
    const int n = std::min(static_cast<int>(text.size()), cap - 1);
    std::copy(text.begin(), text.begin() + n, buf);
    buf[n] = Char{0};
    return n;
  }
  int LoadNarrow(unsigned id, char* buf, int cap) override { return Load(id, buf, cap); }
  int LoadWide(unsigned id, wchar_t* buf, int cap) override { return Load(id, buf, cap); }
  void ReportMissing(const wchar_t* message) override { shown.emplace_back(message); }
};

// A missing string is reported and keeps its value's default; the others are still read.
TEST(SiteSettings, MissingStringsAreReportedAndOthersReadAsFarAsTheyFit) {
  FakeStrings strings;
  strings.texts[ID_BANNERURL] = std::string(5000, 'b');
  const BuildSettings build = {"official.example",  "test.example", "stats.example", 7, 9,
                               {true, {0x04, 0x11}}};
  SiteSettings settings = ReadSiteSettings(strings, build);
  EXPECT_EQ(strings.shown, std::vector<std::wstring>{L"读取ID_DOWNLOADURL配置错误"});
  EXPECT_EQ(settings.channelId, 12);  // leading digits, as the platform's number reader takes them
  EXPECT_EQ(settings.updateHost, "test.example");
  EXPECT_EQ(settings.statsHost, "stats.example");
  EXPECT_EQ(settings.maxDownloadAttempts, 7);
  EXPECT_EQ(settings.giveUpAfterSeconds, 9);
  EXPECT_TRUE(settings.packageKey.present);
  EXPECT_EQ(settings.packageKey.point, build.packageKey.point);
  EXPECT_EQ(settings.packagePath, "");
  EXPECT_EQ(settings.bannerUrl.size(), kBannerUrlCap - 1);
  for (const char* other : {"01", "2", "x"}) {  // only the value one selects the test server
    strings.texts[ID_IFOFFICIAL] = other;
    settings = ReadSiteSettings(strings, build);
    EXPECT_EQ(settings.updateHost, atoi(other) == 1 ? "test.example" : "official.example") << other;
  }
}

TEST(ShellPaths, InstallBaseSiblingPathsAndBoundedTextsAreRefusedNotCut) {
  EXPECT_EQ(std::wstring(InstallBaseForDriveType(kDriveNoRootDir)), L"C:\\Program Files\\");
  EXPECT_EQ(std::wstring(InstallBaseForDriveType(2)), L"D:\\Program Files\\");  // card reader
  wchar_t label[20];
  EXPECT_FALSE(FormatPathLabel(L"D:\\Program Files\\", L"Tavoro", label, 20));
  EXPECT_EQ(label[0], L'\0');
  wchar_t out[260];
  EXPECT_FALSE(SiblingPath(L"C:\\Apps\\Setup.exe", L"crash.dat", out, 16));
  EXPECT_EQ(out[0], L'\0');
  // A double-byte character whose second byte is 0x5C stays whole in the folder's name.
  ASSERT_TRUE(SiblingPath(L"C:\\\u8868\\Setup.exe", L"crash.dat", out, 260));
  EXPECT_EQ(std::wstring(out), L"C:\\\u8868\\crash.dat");
  char buf[6] = "ab";
  EXPECT_TRUE(AppendBounded(buf, sizeof buf, "cde"));
  EXPECT_FALSE(AppendBounded(buf, sizeof buf, "f"));
  EXPECT_STREQ(buf, "abcde");
  EXPECT_FALSE(FormatBounded(buf, sizeof buf, "%d", 123456));
}

}  // namespace
}  // namespace dl
