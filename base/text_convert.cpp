#include "base/text_convert.h"

#include <windows.h>

#include <climits>

namespace dl {

namespace {

// Counts bytes (out null) or converts; -1 when a character has no form in the code page.
int Narrow(const wchar_t* text, int length, CodePage page, char* out, int cap) {
  const UINT codePage = static_cast<UINT>(page);
  // UTF-8 represents everything but lone surrogates, which the strict flag refuses; the ANSI
  // pages say through usedDefault when a character was replaced.
  BOOL usedDefault = FALSE;
  const DWORD flags = page == CodePage::kUtf8 ? WC_ERR_INVALID_CHARS : 0;
  const int n = WideCharToMultiByte(codePage, flags, text, length, out, cap, nullptr,
                                    page == CodePage::kUtf8 ? nullptr : &usedDefault);
  return n <= 0 || usedDefault ? -1 : n;
}

int Wide(const char* text, int length, CodePage page, wchar_t* out, int cap) {
  const int n =
      MultiByteToWideChar(static_cast<UINT>(page), MB_ERR_INVALID_CHARS, text, length, out, cap);
  return n <= 0 ? -1 : n;
}

int Room(size_t cap) { return cap > INT_MAX ? INT_MAX : static_cast<int>(cap); }

}  // namespace

bool ToNarrow(const wchar_t* text, CodePage page, char* out, size_t cap) {
  if (cap == 0) return false;
  if (text == nullptr || Narrow(text, -1, page, out, Room(cap)) < 0) {
    out[0] = '\0';
    return false;
  }
  return true;
}

bool ToWide(const char* text, CodePage page, wchar_t* out, size_t cap) {
  if (cap == 0) return false;
  if (text == nullptr || Wide(text, -1, page, out, Room(cap)) < 0) {
    out[0] = L'\0';
    return false;
  }
  return true;
}

bool ToNarrow(const std::wstring& text, CodePage page, std::string* out) {
  out->clear();
  if (text.empty()) return true;
  const int length = Room(text.size());
  const int n = Narrow(text.data(), length, page, nullptr, 0);
  if (n < 0) return false;
  out->resize(static_cast<size_t>(n));
  if (Narrow(text.data(), length, page, &(*out)[0], n) == n) return true;
  out->clear();
  return false;
}

bool ToWide(const std::string& text, CodePage page, std::wstring* out) {
  out->clear();
  if (text.empty()) return true;
  const int length = Room(text.size());
  const int n = Wide(text.data(), length, page, nullptr, 0);
  if (n < 0) return false;
  out->resize(static_cast<size_t>(n));
  if (Wide(text.data(), length, page, &(*out)[0], n) == n) return true;
  out->clear();
  return false;
}

size_t NarrowLength(const wchar_t* text, CodePage page) {
  if (text == nullptr) return 0;
  const int n = Narrow(text, -1, page, nullptr, 0);
  return n > 0 ? static_cast<size_t>(n - 1) : 0;
}

}  // namespace dl
