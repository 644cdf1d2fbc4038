// Which framework window is a native handle seen on this thread? The main loop asks it
// to let a window and its owners consume messages before they are dispatched.
#pragma once

#include <windows.h>

#include <map>

namespace dl {

class SkinWindow;

class WindowRegistry {
 public:
  // Adds `window` under the calling thread and its handle (null is ignored).
  void Register(SkinWindow* window);
  // Drops the entry of a native window that is being destroyed.
  void Unregister(HWND hwnd);
  // The window registered by this thread under hwnd, or null (also for dead handles).
  SkinWindow* Lookup(HWND hwnd) const;

 private:
  std::map<DWORD, std::map<HWND, SkinWindow*>> threads_;
};

// The process-wide registry; exists between process start-up and exit (start-up hands
// it over with SetProcessRegistry).
WindowRegistry& Windows();
void SetProcessRegistry(WindowRegistry* registry);

// Runs the calling thread's message loop until WM_QUIT (or a failing GetMessage),
// offering every message to the window chain first. Re-posts the quit code on return.
void RunMessageLoop();

}  // namespace dl
