// The compiled-in record of the one site this build serves: names, registry path,
// tips and the local package name. Read-only after start-up.
#pragma once

namespace dl {

constexpr int SITE_ID = 16;
constexpr int kTipCount = 5;

struct SiteRecord {
  const wchar_t* editionText;
  const wchar_t* displayName;
  const wchar_t* shareKeyPath;  // below HKEY_CURRENT_USER\SOFTWARE
  const wchar_t* tips[kTipCount];
  const char* packageFileName;
};

extern const SiteRecord kSite;

}  // namespace dl
