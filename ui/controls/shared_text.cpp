#include "ui/controls/shared_text.h"

#include <cstring>
#include <cwchar>

namespace dl {

void SharedText::Set(const wchar_t* text) {
  std::unique_ptr<wchar_t[]> copy;
  if (text != nullptr && text[0] != L'\0') {
    const size_t length = std::wcslen(text);
    copy.reset(new wchar_t[length + 1]);
    std::memcpy(copy.get(), text, (length + 1) * sizeof(wchar_t));
  }
  // The old buffer is freed after the lock is left, but no longer reachable by then.
  std::lock_guard<std::mutex> lock(mutex_);
  text_.swap(copy);
}

const wchar_t* SharedText::Get() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return text_.get();
}

size_t SharedText::CopyTo(wchar_t* out, size_t capacity) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const size_t length = text_ ? std::wcslen(text_.get()) : 0;
  if (out != nullptr && capacity > 0) {
    const size_t count = length < capacity ? length : capacity - 1;
    if (count > 0) std::memcpy(out, text_.get(), count * sizeof(wchar_t));
    out[count] = L'\0';
  }
  return length;
}

std::wstring SharedText::Copy() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return text_ ? std::wstring(text_.get()) : std::wstring();
}

}  // namespace dl
