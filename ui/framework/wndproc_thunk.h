// One hook on one existing window's procedure: a plain function with a context pointer
// receives the window's messages, the context standing where the window handle would be.
// No machine code is generated: the window's procedure slot gets one of a few fixed entry
// procedures, which finds the thunk through a window property. Hooks stack: each level of a
// window has an entry and a property of its own, so a hook forwarding with CallWindowProcW to
// the procedure it replaced reaches the hook below it.
#pragma once

#include <windows.h>

namespace dl {

class WndProcThunk {
 public:
  // Same calling convention and result as a window procedure.
  using Target = LRESULT(CALLBACK*)(void* context, UINT msg, WPARAM wParam, LPARAM lParam);

  WndProcThunk() = default;
  // Uninstalls; a hook that cannot be taken out of the window's procedure chain (another
  // hook sits on top of it) is left as a plain pass-through to the procedure it replaced.
  virtual ~WndProcThunk();
  WndProcThunk(const WndProcThunk&) = delete;
  WndProcThunk& operator=(const WndProcThunk&) = delete;

  // Hooks hwnd so that target(context, ...) sees its messages first; the target forwards
  // them to previousProc() for hookedWindow(). Replaces a hook this thunk already holds.
  // Non-zero on success; 0 for null arguments or when the window cannot be hooked.
  int Install(HWND hwnd, Target target, void* context);
  // 1 when the procedure this thunk replaced was put back; 0 when the thunk holds no hook,
  // or when the window's procedure is no longer this thunk's (then nothing changes).
  int Uninstall();

  HWND hookedWindow() const { return hookedWindow_; }
  WNDPROC previousProc() const { return previousProc_; }

 private:
  template <int Level>
  static LRESULT CALLBACK Entry(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT Dispatch(int level, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static WNDPROC EntryFor(int level);
  void Detach();

  HWND hookedWindow_ = nullptr;
  WNDPROC entry_ = nullptr;  // what stands in the window's procedure slot
  WNDPROC previousProc_ = nullptr;
  Target target_ = nullptr;
  void* context_ = nullptr;
  int level_ = -1;
};

}  // namespace dl
