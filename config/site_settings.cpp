#include "config/site_settings.h"

#include <cstdlib>
#include <vector>

#include "config/build_config.h"

namespace dl {

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

// The text of a string, cut to what its fixed buffer holds; empty when missing.
template <typename Char, typename Load>
std::basic_string<Char> LoadText(size_t cap, Load load) {
  std::vector<Char> buf(cap, Char{0});
  if (load(buf.data(), static_cast<int>(cap)) <= 0) return {};
  buf[cap - 1] = Char{0};
  return buf.data();
}
}  // namespace

BuildSettings CompiledBuildSettings() {
  return {DL_UPDATE_HOST,     DL_TEST_UPDATE_HOST,
          DL_STATS_HOST,      DL_MAX_DOWNLOAD_ATTEMPTS,
          DL_GIVE_UP_AFTER_S, {DL_PACKAGE_KEY_PRESENT != 0, DL_PACKAGE_KEY_POINT}};
}

SiteSettings ReadSiteSettings(ConfigStrings& strings, const BuildSettings& build) {
  SiteSettings settings;
  settings.statsHost = build.statsHost;
  settings.maxDownloadAttempts = build.maxDownloadAttempts;
  settings.giveUpAfterSeconds = build.giveUpAfterSeconds;
  settings.packageKey = build.packageKey;
  if (!LoadNumber(strings, ID_CHANNAL, &settings.channelId)) {
    strings.ReportMissing(L"读取ID_CHANNAL配置错误");
  }
  if (!LoadNumber(strings, ID_IFOFFICIAL, &settings.useTestServer)) {
    strings.ReportMissing(L"读取ID_IFOFFICIAL配置错误");
  }
  settings.updateHost = settings.useTestServer == 1 ? build.testUpdateHost : build.updateHost;

  settings.packagePath = LoadText<char>(kPackagePathCap, [&](char* buf, int cap) {
    return strings.LoadNarrow(ID_DOWNLOADURL, buf, cap);
  });
  if (settings.packagePath.empty()) strings.ReportMissing(L"读取ID_DOWNLOADURL配置错误");
  settings.bannerUrl = LoadText<wchar_t>(kBannerUrlCap, [&](wchar_t* buf, int cap) {
    return strings.LoadWide(ID_BANNERURL, buf, cap);
  });
  if (settings.bannerUrl.empty()) strings.ReportMissing(L"读取ID_BANNERURL配置错误");
  return settings;
}

}  // namespace dl
