#include "app/program_path.h"

#include <cstring>

#include "base/bounded_text.h"

namespace dl {

bool SiblingPath(const char* modulePath, const char* name, char* out, size_t cap) {
  if (cap == 0) return false;
  const char* slash = std::strrchr(modulePath, '\\');
  size_t folder = slash ? static_cast<size_t>(slash - modulePath) : 0;
  bool ok = folder < cap;
  if (ok) {
    std::memcpy(out, modulePath, folder);
    out[folder] = '\0';
    ok = (slash == nullptr || AppendBounded(out, cap, "\\")) && AppendBounded(out, cap, name);
  }
  if (!ok) out[0] = '\0';
  return ok;
}

}  // namespace dl
