#include "config/site_settings_load.h"

#include <windows.h>

#include "config/install_base.h"
#include "config/share_id.h"

namespace dl {

namespace {
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
  return settings;
}

}  // namespace dl
