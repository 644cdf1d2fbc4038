// Owners for the Win32 handle kinds the program holds. Release keeps the thread's last
// error intact so a failure code read after a scope ends is still the caller's.
#pragma once

#include <windows.h>

#include "base/unique_owner.h"

namespace dl {

namespace detail {
class LastErrorKeeper {
 public:
  LastErrorKeeper() : error_(GetLastError()) {}
  ~LastErrorKeeper() { SetLastError(error_); }
  LastErrorKeeper(const LastErrorKeeper&) = delete;
  LastErrorKeeper& operator=(const LastErrorKeeper&) = delete;

 private:
  DWORD error_;
};
}  // namespace detail

// Kernel objects whose "none" is null (threads, processes, events, mutexes).
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept {
    detail::LastErrorKeeper keep;
    CloseHandle(h);
  }
};
using UniqueHandle = UniqueOwner<KernelHandleTraits>;

// Files from CreateFile, whose "none" is INVALID_HANDLE_VALUE.
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) noexcept {
    detail::LastErrorKeeper keep;
    CloseHandle(h);
  }
};
using UniqueFile = UniqueOwner<FileHandleTraits>;

struct RegKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept {
    detail::LastErrorKeeper keep;
    RegCloseKey(h);
  }
};
using UniqueRegKey = UniqueOwner<RegKeyTraits>;

struct ModuleTraits {
  using Handle = HMODULE;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept {
    detail::LastErrorKeeper keep;
    FreeLibrary(h);
  }
};
using UniqueModule = UniqueOwner<ModuleTraits>;

struct GdiObjectTraits {
  using Handle = HGDIOBJ;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept {
    detail::LastErrorKeeper keep;
    DeleteObject(h);
  }
};
using UniqueGdiObject = UniqueOwner<GdiObjectTraits>;

// An icon loaded at a size of the program's choosing (not shared with the system's cache).
struct IconTraits {
  using Handle = HICON;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept {
    detail::LastErrorKeeper keep;
    DestroyIcon(h);
  }
};
using UniqueIcon = UniqueOwner<IconTraits>;

}  // namespace dl
