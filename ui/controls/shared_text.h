// A text that one thread replaces while another draws or reads it: the buffer is only freed
// under the lock, and readers on other threads take a copy or use the text under the lock.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

namespace dl {

class SharedText {
 public:
  SharedText() = default;
  SharedText(const SharedText&) = delete;
  SharedText& operator=(const SharedText&) = delete;

  // Stores a copy of a non-empty text; null or empty leaves no text.
  void Set(const wchar_t* text);

  // The stored buffer or null, valid until the next Set: for the thread that also sets it.
  const wchar_t* Get() const;

  // Copies at most capacity - 1 characters and a terminator into out (nothing when capacity
  // is 0); returns the whole text's length, so a result >= capacity means it was cut. An
  // absent text copies as "".
  size_t CopyTo(wchar_t* out, size_t capacity) const;
  std::wstring Copy() const;

  // Calls use(text) with the lock held; text is null when there is none. use must not call
  // back into this object.
  template <typename Use>
  void With(Use&& use) const {
    std::lock_guard<std::mutex> lock(mutex_);
    use(static_cast<const wchar_t*>(text_.get()));
  }

 private:
  mutable std::mutex mutex_;
  std::unique_ptr<wchar_t[]> text_;
};

}  // namespace dl
