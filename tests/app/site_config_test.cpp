// Reading the build-time strings: defaults, the test-server switch and the messages a
// missing string shows.
#include "app/site_config.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace dl {
namespace {

class FakeStrings : public ConfigStrings {
 public:
  std::map<unsigned, std::string> narrow;
  std::map<unsigned, std::wstring> wide;
  std::vector<std::wstring> shown;

  template <typename Char, typename Text>
  static int Load(const std::map<unsigned, Text>& texts, unsigned id, Char* buf, int cap) {
    auto it = texts.find(id);
    if (it == texts.end() || cap <= 0) return 0;
    const size_t n = std::min<size_t>(it->second.size(), static_cast<size_t>(cap - 1));
    std::copy(it->second.begin(), it->second.begin() + n, buf);
    buf[n] = Char{0};
    return static_cast<int>(n);
  }
  int LoadNarrow(unsigned id, char* buf, int cap) override { return Load(narrow, id, buf, cap); }
  int LoadWide(unsigned id, wchar_t* buf, int cap) override { return Load(wide, id, buf, cap); }
  void ReportMissing(const wchar_t* message) override { shown.emplace_back(message); }
};

class SiteConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_channelId = 0;
    g_useTestServer = 0;
    g_serverHost = "official.example";
    g_packagePath[0] = '\0';
    g_bannerUrl[0] = L'\0';
    strings.narrow = {{ID_CHANNAL, "200019"},
                      {ID_IFOFFICIAL, "0"},
                      {ID_DOWNLOADURL, "/update/rolk_lobby_full.zip"}};
    strings.wide = {{ID_BANNERURL, L"http://b.example/banner_download/index.do?siteID=16"}};
  }
  FakeStrings strings;
};

TEST_F(SiteConfigTest, AllStringsPresentFillEveryValueSilently) {
  ReadSiteConfiguration(strings, "test.example");
  EXPECT_EQ(g_channelId, 200019);
  EXPECT_EQ(g_useTestServer, 0);
  EXPECT_STREQ(g_serverHost, "official.example");
  EXPECT_STREQ(g_packagePath, "/update/rolk_lobby_full.zip");
  EXPECT_EQ(std::wstring(g_bannerUrl), L"http://b.example/banner_download/index.do?siteID=16");
  EXPECT_TRUE(strings.shown.empty());
}

TEST_F(SiteConfigTest, OnlyTheValueOneSelectsTheTestServer) {
  const std::pair<const char*, const char*> kCases[] = {{"1", "test.example"},
                                                        {"01", "test.example"},
                                                        {"2", "official.example"},
                                                        {"0", "official.example"},
                                                        {"x", "official.example"}};
  for (const auto& c : kCases) {
    g_serverHost = "official.example";
    strings.narrow[ID_IFOFFICIAL] = c.first;
    ReadSiteConfiguration(strings, "test.example");
    EXPECT_STREQ(g_serverHost, c.second) << "switch " << c.first;
  }
}

// Each missing string shows its own message, in reading order, keeps its value's default
// and leaves the others to be read.
TEST_F(SiteConfigTest, MissingStringsAreReportedAndTheRestIsStillRead) {
  strings.narrow.erase(ID_CHANNAL);
  ReadSiteConfiguration(strings, "test.example");
  EXPECT_EQ(g_channelId, 0);
  EXPECT_STREQ(g_packagePath, "/update/rolk_lobby_full.zip");
  EXPECT_EQ(strings.shown, std::vector<std::wstring>{L"读取ID_CHANNAL配置错误"});

  strings.shown.clear();
  strings.narrow.clear();
  strings.wide.clear();
  g_packagePath[0] = '\0';
  ReadSiteConfiguration(strings, "test.example");
  EXPECT_STREQ(g_serverHost, "official.example");
  EXPECT_EQ(g_packagePath[0], '\0');
  EXPECT_EQ(g_bannerUrl[0], L'\0');
  EXPECT_EQ(strings.shown, (std::vector<std::wstring>{
                               L"读取ID_CHANNAL配置错误", L"读取ID_IFOFFICIAL配置错误",
                               L"读取ID_DOWNLOADURL配置错误", L"读取ID_BANNERURL配置错误"}));
}

TEST_F(SiteConfigTest, ChannelReadsLeadingDigitsAndOverlongTextsStayInTheirBuffers) {
  strings.narrow[ID_CHANNAL] = "12ab";
  ReadSiteConfiguration(strings, "test.example");
  EXPECT_EQ(g_channelId, 12);
  strings.narrow[ID_CHANNAL] = "abc";
  ReadSiteConfiguration(strings, "test.example");
  EXPECT_EQ(g_channelId, 0);
  EXPECT_TRUE(strings.shown.empty()) << "a non-numeric channel is no missing string";

  strings.narrow[ID_DOWNLOADURL] = std::string(5000, 'p');
  strings.wide[ID_BANNERURL] = std::wstring(5000, L'b');
  ReadSiteConfiguration(strings, "test.example");
  EXPECT_EQ(std::strlen(g_packagePath), kPackagePathCap - 1);
  EXPECT_EQ(std::wcslen(g_bannerUrl), kBannerUrlCap - 1);
}

}  // namespace
}  // namespace dl
