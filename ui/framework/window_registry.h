// Which framework window is a native handle seen on this thread? The main loop asks it
// to let a window and its owners consume messages before they are dispatched.
#pragma once

#include <windows.h>

#include <map>

namespace dl {

class SkinWindow;

class WindowRegistry {
 public:
  // Adds `window` under the calling thread and its handle (null is ignored); a later window
  // with the same handle replaces the earlier entry.
  void Register(SkinWindow* window);
  // Drops the entry of hwnd when it still names `window`; a window calls it when its native
  // window is destroyed, so a reused handle value never leads to a deleted object.
  void Unregister(HWND hwnd, SkinWindow* window);
  // The window registered by this thread under hwnd, or null (also for dead handles).
  SkinWindow* Lookup(HWND hwnd) const;

 private:
  std::map<DWORD, std::map<HWND, SkinWindow*>> threads_;
};

// The process-wide registry, null before process start-up hands it over with
// SetProcessRegistry and after exit takes it back.
WindowRegistry* Windows();
void SetProcessRegistry(WindowRegistry* registry);

// Runs the calling thread's message loop until WM_QUIT (or a failing GetMessage),
// offering every message to the window chain first. Re-posts the quit code on return. The
// loop is a wide one, like the windows, so character messages keep their code points.
void RunMessageLoop();

}  // namespace dl
