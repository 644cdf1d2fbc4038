#include "app/site_config.h"

#include <cstdlib>
#include <cstring>

namespace dl {

int g_channelId = 0;
int g_useTestServer = 0;
const char* g_serverHost = "";
char g_packagePath[kPackagePathCap] = {};
wchar_t g_bannerUrl[kBannerUrlCap] = {};
wchar_t g_installBase[kInstallBaseCap] = {};

namespace {
constexpr size_t kNumberCap = 1024;

// Reads an integer string; returns false (value untouched) when it is missing.
bool LoadNumber(ConfigStrings& strings, unsigned id, int* value) {
  char buf[kNumberCap] = {};
  if (strings.LoadNarrow(id, buf, static_cast<int>(sizeof buf)) <= 0) return false;
  buf[kNumberCap - 1] = '\0';
  *value = std::atoi(buf);
  return true;
}
}  // namespace

void ReadSiteConfiguration(ConfigStrings& strings, const char* testHost) {
  if (!LoadNumber(strings, ID_CHANNAL, &g_channelId)) {
    strings.ReportMissing(L"读取ID_CHANNAL配置错误");
  }
  if (!LoadNumber(strings, ID_IFOFFICIAL, &g_useTestServer)) {
    strings.ReportMissing(L"读取ID_IFOFFICIAL配置错误");
  }
  if (g_useTestServer == 1) g_serverHost = testHost;

  if (strings.LoadNarrow(ID_DOWNLOADURL, g_packagePath, static_cast<int>(kPackagePathCap)) <= 0) {
    g_packagePath[0] = '\0';
    strings.ReportMissing(L"读取ID_DOWNLOADURL配置错误");
  }
  g_packagePath[kPackagePathCap - 1] = '\0';

  if (strings.LoadWide(ID_BANNERURL, g_bannerUrl, static_cast<int>(kBannerUrlCap)) <= 0) {
    g_bannerUrl[0] = L'\0';
    strings.ReportMissing(L"读取ID_BANNERURL配置错误");
  }
  g_bannerUrl[kBannerUrlCap - 1] = L'\0';
}

}  // namespace dl
