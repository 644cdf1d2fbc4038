#include "base/bounded_text.h"

#include <cstdio>
#include <cstring>
#include <cwchar>

namespace dl {

bool FormatBoundedV(char* buf, size_t cap, const char* format, va_list args) {
  if (cap == 0) return false;
  int n = std::vsnprintf(buf, cap, format, args);
  if (n < 0) {
    buf[0] = '\0';
    return false;
  }
  return static_cast<size_t>(n) < cap;
}

bool FormatBounded(char* buf, size_t cap, const char* format, ...) {
  va_list args;
  va_start(args, format);
  bool ok = FormatBoundedV(buf, cap, format, args);
  va_end(args);
  return ok;
}

namespace {
template <typename Ch>
size_t Length(const Ch* s) {
  size_t n = 0;
  while (s[n]) ++n;
  return n;
}

template <typename Ch>
bool Append(Ch* buf, size_t cap, const Ch* src) {
  if (cap == 0) return false;
  size_t have = 0;
  while (have < cap && buf[have]) ++have;
  if (have == cap) return false;  // not terminated: refuse to guess
  size_t add = Length(src);
  if (add >= cap - have) return false;
  std::memcpy(buf + have, src, (add + 1) * sizeof(Ch));
  return true;
}

template <typename Ch>
bool Copy(Ch* buf, size_t cap, const Ch* src) {
  if (cap == 0) return false;
  size_t n = Length(src);
  if (n >= cap) {
    buf[0] = 0;
    return false;
  }
  std::memcpy(buf, src, (n + 1) * sizeof(Ch));
  return true;
}
}  // namespace

bool AppendBounded(char* buf, size_t cap, const char* src) { return Append(buf, cap, src); }
bool AppendBounded(wchar_t* buf, size_t cap, const wchar_t* src) { return Append(buf, cap, src); }
bool CopyBounded(char* buf, size_t cap, const char* src) { return Copy(buf, cap, src); }

bool AppendAscii(wchar_t* buf, size_t cap, const char* ascii) {
  size_t have = 0;
  while (have < cap && buf[have] != L'\0') ++have;
  const size_t add = Length(ascii);
  if (have == cap || add >= cap - have) return false;
  for (size_t i = 0; i <= add; ++i) {
    buf[have + i] = static_cast<wchar_t>(static_cast<unsigned char>(ascii[i]));
  }
  return true;
}
bool CopyBounded(wchar_t* buf, size_t cap, const wchar_t* src) { return Copy(buf, cap, src); }

}  // namespace dl
