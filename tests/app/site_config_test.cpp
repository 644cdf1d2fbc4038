// Reading the build-time strings: defaults, the test-server switch and the messages a
// missing string shows.
#include "app/site_config.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace dl {
namespace {

class FakeStrings : public ConfigStrings {
 public:
  std::map<unsigned, std::string> narrow;
  std::map<unsigned, std::wstring> wide;
  std::vector<std::wstring> shown;

  int LoadNarrow(unsigned id, char* buf, int cap) override {
    auto it = narrow.find(id);
    if (it == narrow.end() || cap <= 0) return 0;
    int n = static_cast<int>(std::min<size_t>(it->second.size(), static_cast<size_t>(cap - 1)));
    std::memcpy(buf, it->second.data(), static_cast<size_t>(n));
    buf[n] = '\0';
    return n;
  }
  int LoadWide(unsigned id, wchar_t* buf, int cap) override {
    auto it = wide.find(id);
    if (it == wide.end() || cap <= 0) return 0;
    int n = static_cast<int>(std::min<size_t>(it->second.size(), static_cast<size_t>(cap - 1)));
    std::wmemcpy(buf, it->second.data(), static_cast<size_t>(n));
    buf[n] = L'\0';
    return n;
  }
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
  const struct {
    const char* value;
    const char* host;
  } cases[] = {{"1", "test.example"},
               {"2", "official.example"},
               {"0", "official.example"},
               {"x", "official.example"},
               {"01", "test.example"}};
  for (const auto& c : cases) {
    g_serverHost = "official.example";
    strings.narrow[ID_IFOFFICIAL] = c.value;
    ReadSiteConfiguration(strings, "test.example");
    EXPECT_STREQ(g_serverHost, c.host) << "switch " << c.value;
  }
}

TEST_F(SiteConfigTest, MissingSwitchKeepsTheOfficialHostAndSaysSo) {
  strings.narrow.erase(ID_IFOFFICIAL);
  ReadSiteConfiguration(strings, "test.example");
  EXPECT_STREQ(g_serverHost, "official.example");
  ASSERT_EQ(strings.shown.size(), 1u);
  EXPECT_EQ(strings.shown[0], L"读取ID_IFOFFICIAL配置错误");
}

TEST_F(SiteConfigTest, EachMissingStringShowsItsOwnMessageInReadingOrder) {
  strings.narrow.clear();
  strings.wide.clear();
  ReadSiteConfiguration(strings, "test.example");
  EXPECT_EQ(g_channelId, 0);
  EXPECT_EQ(g_packagePath[0], '\0');
  EXPECT_EQ(g_bannerUrl[0], L'\0');
  const std::vector<std::wstring> expected = {
      L"读取ID_CHANNAL配置错误", L"读取ID_IFOFFICIAL配置错误", L"读取ID_DOWNLOADURL配置错误",
      L"读取ID_BANNERURL配置错误"};
  EXPECT_EQ(strings.shown, expected);
}

TEST_F(SiteConfigTest, MissingChannelLeavesZeroButReadsTheRest) {
  strings.narrow.erase(ID_CHANNAL);
  ReadSiteConfiguration(strings, "test.example");
  EXPECT_EQ(g_channelId, 0);
  EXPECT_STREQ(g_packagePath, "/update/rolk_lobby_full.zip");
  ASSERT_EQ(strings.shown.size(), 1u);
  EXPECT_EQ(strings.shown[0], L"读取ID_CHANNAL配置错误");
}

TEST_F(SiteConfigTest, NonNumericChannelIsZeroNotAnError) {
  strings.narrow[ID_CHANNAL] = "12ab";
  ReadSiteConfiguration(strings, "test.example");
  EXPECT_EQ(g_channelId, 12);
  strings.narrow[ID_CHANNAL] = "abc";
  ReadSiteConfiguration(strings, "test.example");
  EXPECT_EQ(g_channelId, 0);
  EXPECT_TRUE(strings.shown.empty());
}

TEST_F(SiteConfigTest, OverlongTextsStayTerminatedInsideTheirBuffers) {
  strings.narrow[ID_DOWNLOADURL] = std::string(5000, 'p');
  strings.wide[ID_BANNERURL] = std::wstring(5000, L'b');
  ReadSiteConfiguration(strings, "test.example");
  EXPECT_EQ(std::strlen(g_packagePath), kPackagePathCap - 1);
  EXPECT_EQ(std::wcslen(g_bannerUrl), kBannerUrlCap - 1);
}

}  // namespace
}  // namespace dl
