#include "app/program_path.h"

#include <cwchar>

#include "base/bounded_text.h"

namespace dl {

bool SiblingPath(const wchar_t* modulePath, const wchar_t* name, wchar_t* out, size_t cap) {
  if (cap == 0) return false;
  const wchar_t* slash = std::wcsrchr(modulePath, L'\\');
  size_t folder = slash ? static_cast<size_t>(slash - modulePath) : 0;
  bool ok = folder < cap;
  if (ok) {
    std::wmemcpy(out, modulePath, folder);
    out[folder] = L'\0';
    ok = (slash == nullptr || AppendBounded(out, cap, L"\\")) && AppendBounded(out, cap, name);
  }
  if (!ok) out[0] = L'\0';
  return ok;
}

}  // namespace dl
