// The settings of the one site this build serves, read once at start into an immutable value
// that is passed to whoever needs it: the string table's four texts, the build's server hosts
// and attempt limit, the package key, the share id from the program's name and the default
// install base.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace dl {

constexpr size_t kPackagePathCap = 1024;
constexpr size_t kBannerUrlCap = 2048;
constexpr size_t kInstallBaseCap = 260;

// String-table ids of the four build-time strings.
constexpr unsigned ID_CHANNAL = 20001;
constexpr unsigned ID_DOWNLOADURL = 20002;
constexpr unsigned ID_IFOFFICIAL = 20003;
constexpr unsigned ID_BANNERURL = 20004;

// The site's ECDSA P-256 public key (DL_PACKAGE_PUBLIC_KEY). A build without one installs
// packages unchecked, as builds did before packages were signed.
struct PackageKey {
  bool present = false;
  std::array<uint8_t, 64> point{};  // X||Y, 32 big-endian bytes each
};

// What the build fixed at configure time.
struct BuildSettings {
  std::string updateHost;      // official update server, "name" or "name:port"
  std::string testUpdateHost;  // taken when the string table selects the test server
  std::string statsHost;
  int maxDownloadAttempts = 100000;
  int giveUpAfterSeconds = 60;
  PackageKey packageKey;
};

// This build's own values (config/build_config.h).
BuildSettings CompiledBuildSettings();

struct SiteSettings {
  int channelId = 0;      // 0 when the string is missing
  int useTestServer = 0;  // 1 selects the test update server
  // One update host, or several separated by commas tried round robin (the site's CDN first,
  // its own server last).
  std::string updateHost;
  std::string statsHost;
  std::string packagePath;  // ANSI, e.g. "/update/x.zip"; at most kPackagePathCap - 1 bytes
  std::wstring bannerUrl;   // at most kBannerUrlCap - 1 characters
  int maxDownloadAttempts = 100000;
  // Seconds of trying without a byte before the download failure notice.
  int giveUpAfterSeconds = 60;
  PackageKey packageKey;
  std::string shareId;              // digits from the program's file name; empty when none
  std::wstring defaultInstallBase;  // ends with a backslash
};

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

// The string table's part of the settings on top of the build's: a missing string is reported
// and its value keeps its default (the official server, channel 0, empty texts); the remaining
// strings are still read. The share id and install base are left for the caller.
SiteSettings ReadSiteSettings(ConfigStrings& strings, const BuildSettings& build);

}  // namespace dl
