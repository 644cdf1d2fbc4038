// Move-only owner of one resource handle. A small traits policy per handle kind says
// what "no handle" is and how to release one, so every kind gets the same semantics:
// no copies, release exactly once, explicit hand-over with Release().
#pragma once

#include <utility>

namespace dl {

// Traits must provide:
//   using Handle = ...;
//   static Handle Invalid() noexcept;
//   static void Close(Handle) noexcept;   // never called with Invalid()
template <typename Traits>
class UniqueOwner {
 public:
  using Handle = typename Traits::Handle;

  UniqueOwner() noexcept : handle_(Traits::Invalid()) {}
  explicit UniqueOwner(Handle handle) noexcept : handle_(handle) {}
  ~UniqueOwner() { Reset(); }

  UniqueOwner(const UniqueOwner&) = delete;
  UniqueOwner& operator=(const UniqueOwner&) = delete;

  UniqueOwner(UniqueOwner&& other) noexcept : handle_(other.Release()) {}
  UniqueOwner& operator=(UniqueOwner&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  Handle Get() const noexcept { return handle_; }
  bool IsValid() const noexcept { return handle_ != Traits::Invalid(); }
  explicit operator bool() const noexcept { return IsValid(); }

  // Gives up ownership without closing; the caller now owns the handle.
  [[nodiscard]] Handle Release() noexcept { return std::exchange(handle_, Traits::Invalid()); }

  // Closes the current handle (if any) and takes ownership of `handle`.
  void Reset(Handle handle = Traits::Invalid()) noexcept {
    Handle old = std::exchange(handle_, handle);
    if (old != Traits::Invalid()) Traits::Close(old);
  }

 private:
  Handle handle_;
};

}  // namespace dl
