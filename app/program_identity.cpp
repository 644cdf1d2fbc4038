#include "app/program_identity.h"

#include <windows.h>

#include "app/install_base.h"
#include "app/share_id.h"
#include "app/site_config.h"
#include "app/site_record.h"
#include "base/bounded_text.h"

namespace dl {

namespace {
char g_modulePath[MAX_PATH];
}

bool ShareIdFromFileName(std::string* shareId) {
  DWORD n = GetModuleFileNameA(nullptr, g_modulePath, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  return ShareIdFromPath(g_modulePath, shareId);
}

bool ChooseDefaultInstallBase(wchar_t* label, size_t cap) {
  const wchar_t* base = InstallBaseForDriveType(GetDriveTypeA("D:"));
  CopyBounded(g_installBase, kInstallBaseCap, base);
  return FormatPathLabel(g_installBase, kSite.displayName, label, cap);
}

}  // namespace dl
