#include "ui/installer/text_codepage.h"

#include <climits>

namespace dl {

bool ToAnsi(const wchar_t* text, char* out, size_t cap) {
  if (cap == 0) return false;
  out[0] = '\0';
  if (text == nullptr) return true;
  const int room = cap > INT_MAX ? INT_MAX : static_cast<int>(cap);
  if (WideCharToMultiByte(CP_ACP, 0, text, -1, out, room, nullptr, nullptr) == 0) {
    out[0] = '\0';
    return false;
  }
  return true;
}

size_t AnsiLength(const wchar_t* text) {
  if (text == nullptr) return 0;
  const int bytes = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  return bytes > 0 ? static_cast<size_t>(bytes - 1) : 0;
}

}  // namespace dl
