#include "config/site_settings_load.h"

#include <windows.h>

#include "config/install_base.h"
#include "config/share_id.h"

namespace dl {

namespace {

#ifdef DL_TEST_SERVER_SEAM
// Only in the end-to-end tests' build of the program, so that one loopback build also meets
// its servers over https: a variable that is set replaces the compiled-in update (or
// statistics) host setting. The released program has no such input.
void TakeTestServer(const char* variable, std::string* host) {
  char value[1024];  // a mirror list too
  const DWORD length = GetEnvironmentVariableA(variable, value, sizeof value);
  if (length > 0 && length < sizeof value) *host = value;
}
#endif

// The share id candidate from the program's name; empty when there is none or it is not digits.
std::string ShareIdFromFileName() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string shareId;
  if (n == 0 || n >= MAX_PATH || !ShareIdFromPath(path, &shareId)) return {};
  return IsAllDigits(shareId.c_str()) == 1 ? shareId : std::string();
}
}  // namespace

SiteSettings LoadSiteSettings(ConfigStrings& strings) {
  SiteSettings settings = ReadSiteSettings(strings, CompiledBuildSettings());
  settings.shareId = ShareIdFromFileName();
  settings.defaultInstallBase = InstallBaseForDriveType(GetDriveTypeA("D:"));
#ifdef DL_TEST_SERVER_SEAM
  TakeTestServer("DL_TEST_UPDATE_SERVER", &settings.updateHost);
  TakeTestServer("DL_TEST_STATS_SERVER", &settings.statsHost);
#endif
  return settings;
}

}  // namespace dl
