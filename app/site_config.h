// Process-wide configuration values: filled once on the main thread during start-up and
// window construction, read by everyone afterwards. All are constant-initialised so that
// no other file's static initialisation can observe them half-built.
#pragma once

#include <cstddef>

namespace dl {

constexpr size_t kPackagePathCap = 1024;
constexpr size_t kBannerUrlCap = 2048;
constexpr size_t kInstallBaseCap = 260;

// String-table ids of the four build-time strings.
constexpr unsigned ID_CHANNAL = 20001;
constexpr unsigned ID_DOWNLOADURL = 20002;
constexpr unsigned ID_IFOFFICIAL = 20003;
constexpr unsigned ID_BANNERURL = 20004;

extern int g_channelId;                      // 0 until read
extern int g_useTestServer;                  // 1 selects the test update server
extern const char* g_serverHost;             // host[:port] of the update server
extern char g_packagePath[kPackagePathCap];  // ANSI, e.g. "/update/x.zip"
extern wchar_t g_bannerUrl[kBannerUrlCap];
extern wchar_t g_installBase[kInstallBaseCap];  // always ends with a backslash

// Where the string table's texts come from and where a missing one is reported.
// Load* follow the platform's string loading: they return the number of characters
// copied (terminator excluded), 0 or less when the string is missing.
class ConfigStrings {
 public:
  virtual ~ConfigStrings() = default;
  virtual int LoadNarrow(unsigned id, char* buf, int cap) = 0;
  virtual int LoadWide(unsigned id, wchar_t* buf, int cap) = 0;
  // Shows the user that a build-time string is missing; returns when dismissed.
  virtual void ReportMissing(const wchar_t* message) = 0;
};

// Fills g_channelId, g_useTestServer, g_serverHost (switching to testHost when the
// switch reads 1), g_packagePath and g_bannerUrl. A missing string is reported and its
// value keeps its default; the remaining strings are still read.
void ReadSiteConfiguration(ConfigStrings& strings, const char* testHost);

}  // namespace dl
