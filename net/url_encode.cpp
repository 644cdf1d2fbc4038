#include "net/url_encode.h"

namespace dl {

namespace {
bool StaysAsIs(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_' || c == '.' || c == '~';
}
}  // namespace

bool UrlEncodeUtf8(const unsigned char* bytes, size_t length, char* out, size_t cap) {
  static const char kHex[] = "0123456789ABCDEF";
  if (cap == 0) return false;
  size_t used = 0;
  for (size_t i = 0; i < length; ++i) {
    const unsigned char c = bytes[i];
    const size_t need = StaysAsIs(c) || c == ' ' ? 1 : 3;
    // Keep one place for the terminator.
    if (need >= cap - used) {
      out[0] = '\0';
      return false;
    }
    if (StaysAsIs(c)) {
      out[used++] = static_cast<char>(c);
    } else if (c == ' ') {
      out[used++] = '+';
    } else {
      out[used++] = '%';
      out[used++] = kHex[c >> 4];
      out[used++] = kHex[c & 0x0F];
    }
  }
  out[used] = '\0';
  return true;
}

}  // namespace dl
