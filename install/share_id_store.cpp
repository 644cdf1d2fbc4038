#include "install/share_id_store.h"

#include <windows.h>

#include <cstring>

#include "config/site_record.h"
#include "base/text_convert.h"
#include "base/win_handles.h"

namespace dl {

void StoreShareId(const char* shareId) {
  HKEY raw = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE", 0, KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY,
                    &raw) != ERROR_SUCCESS) {
    return;
  }
  UniqueRegKey software(raw);

  char path[1024] = {};
  if (!ToNarrow(kSite.shareKeyPath, CodePage::kAnsi, path, sizeof path)) return;
  raw = nullptr;
  if (RegCreateKeyA(software.Get(), path, &raw) != ERROR_SUCCESS) return;
  UniqueRegKey key(raw);
  RegSetValueExA(key.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(shareId),
                 static_cast<DWORD>(std::strlen(shareId)));
}

}  // namespace dl
