// The program's own path as the user's download left it (renamed, copied, nested). Input:
// the path bytes.
#include <cstdint>
#include <string>

#include "config/share_id.h"

namespace {
void Require(bool ok) {
  if (!ok) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path(reinterpret_cast<const char*>(data), size);
  std::string id = "untouched";
  const bool found = dl::ShareIdFromPath(path.c_str(), &id);
  // The candidate is a non-empty piece of the path's last part, free of every separator.
  const std::string text = path.c_str();
  const size_t nameEnd = text.find_last_not_of('\\');
  if (found) {
    Require(!id.empty() && id.find_first_of("\\_.") == std::string::npos);
    const size_t at = text.rfind(id, nameEnd);
    Require(at != std::string::npos && text.find('\\', at) > nameEnd);
  } else {
    Require(id == "untouched");
  }

  bool digits = true;
  for (char c : id) digits = digits && c >= '0' && c <= '9';
  Require(dl::IsAllDigits(id.c_str()) == (digits ? 1 : 0));
  return 0;
}
