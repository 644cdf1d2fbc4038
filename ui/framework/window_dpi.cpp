#include "ui/framework/window_dpi.h"

#include "base/system_library.h"
#include "ui/controls/display_scale.h"

namespace dl {

namespace {

// user32 is loaded with the program (it is imported); its newer exports may be missing.
template <typename Fn>
Fn User32Export(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (user32 == nullptr) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using SetProcessDpiAwarenessContextFn = BOOL(WINAPI*)(HANDLE);
using IsProcessDPIAwareFn = BOOL(WINAPI*)();
using SetProcessDPIAwareFn = BOOL(WINAPI*)();
using SetProcessDpiAwarenessFn = HRESULT(WINAPI*)(int);

// The awareness contexts are small negative pseudo-handles.
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
const HANDLE kPerMonitorAware = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3));
constexpr int kProcessPerMonitorDpiAware = 2;

unsigned ScreenDpi(HWND window) {
  HDC dc = GetDC(window);
  if (dc == nullptr) return kLayoutDpi;
  const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
  ReleaseDC(window, dc);
  return dpi > 0 ? static_cast<unsigned>(dpi) : kLayoutDpi;
}

}  // namespace

unsigned WindowDpi(HWND window) {
  static const GetDpiForWindowFn forWindow = User32Export<GetDpiForWindowFn>("GetDpiForWindow");
  unsigned dpi = 0;
  if (forWindow != nullptr && window != nullptr) dpi = forWindow(window);
  if (dpi == 0) dpi = ScreenDpi(window);
  return UsableDpi(dpi);
}

void DeclareDpiAwareness() {
  const auto isAware = User32Export<IsProcessDPIAwareFn>("IsProcessDPIAware");
  if (isAware != nullptr && isAware()) return;
  const auto setContext =
      User32Export<SetProcessDpiAwarenessContextFn>("SetProcessDpiAwarenessContext");
  if (setContext != nullptr && (setContext(kPerMonitorAwareV2) || setContext(kPerMonitorAware))) {
    return;
  }
  // shcore is no KnownDLL: from the system folder only. It stays loaded for the process.
  static const SystemLibrary shcore(L"shcore.dll");
  const auto setAwareness = shcore.Resolve<SetProcessDpiAwarenessFn>("SetProcessDpiAwareness");
  if (setAwareness != nullptr && SUCCEEDED(setAwareness(kProcessPerMonitorDpiAware))) return;
  const auto setAware = User32Export<SetProcessDPIAwareFn>("SetProcessDPIAware");
  if (setAware != nullptr) setAware();
}

int SmallIconSize(unsigned dpi) {
  static const GetSystemMetricsForDpiFn forDpi =
      User32Export<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
  if (forDpi != nullptr) {
    const int size = forDpi(SM_CXSMICON, dpi);
    if (size > 0) return size;
  }
  return ToDevice(16, dpi);
}

}  // namespace dl
