// Libraries that are not KnownDLLs are loaded from the system folder explicitly, never by a
// bare name: a bare name is looked up beside the program first, and the program is often
// started from a download folder where any earlier download may have left a file of that name.
// Each library the program uses gets one binding (a struct of typed pointers resolved once) on
// top of this.
#pragma once

#include <windows.h>

#include "base/win_handles.h"

namespace dl {

// Loads `fileName` (a bare file name such as L"wininet.dll") from the system folder only.
// Uses LOAD_LIBRARY_SEARCH_SYSTEM32 where the loader knows it; where it refuses the flag
// (Windows 7 without its loader update) loads the full path under GetSystemDirectoryW. Returns
// no module on failure, with the loader's last error.
UniqueModule LoadSystemLibrary(const wchar_t* fileName);

// One system library, owned for the life of the object, and its exports.
class SystemLibrary {
 public:
  explicit SystemLibrary(const wchar_t* fileName);

  // The export `name` as the pointer type `Fn` (declare it as decltype(&::Export) so the calling
  // convention comes from the platform's header), or null when the library or export is missing.
  template <typename Fn>
  Fn Resolve(const char* name) const {
    if (!module_) return nullptr;
    // Through void*: the platform hands out every export as one generic type.
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_.Get(), name)));
  }

  // The last error a call through a missing export reports: the load's failure, or
  // ERROR_PROC_NOT_FOUND when the library loaded without that export.
  DWORD missingError() const { return loadError_; }

 private:
  UniqueModule module_;
  DWORD loadError_ = ERROR_PROC_NOT_FOUND;
};

// Calls `fn` when it was resolved; otherwise fails the way the platform call fails: sets the
// library's missing error as last error and returns `failure`.
template <typename Fn, typename Result, typename... Args>
Result CallBound(const SystemLibrary& library, Fn fn, Result failure, Args... args) {
  if (fn == nullptr) {
    SetLastError(library.missingError());
    return failure;
  }
  return fn(args...);
}

}  // namespace dl
