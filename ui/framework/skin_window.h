// A framework top-level window: owns one native window and routes its messages to
// HandleMessage. The object pointer travels in the creation parameter, is stored on
// WM_NCCREATE and cleared on WM_NCDESTROY, so no message reaches a dead object.
#pragma once

#include <windows.h>

namespace dl {

class SkinWindow {
 public:
  SkinWindow() = default;
  virtual ~SkinWindow();
  SkinWindow(const SkinWindow&) = delete;
  SkinWindow& operator=(const SkinWindow&) = delete;

  // Registers the class once per name and creates the native window (hidden unless the
  // style says otherwise). Returns false when the window could not be created.
  bool Create(const char* className, const wchar_t* title, DWORD style, DWORD exStyle, int x, int y,
              int width, int height, HWND owner);

  HWND GetHwnd() const { return hwnd_; }
  void Show(int show);
  bool IsVisible() const;
  // Centres on the owner when there is one, else on the work area of the primary monitor.
  void Center();

  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // 1 when the message was consumed before dispatch.
  virtual int PreTranslateMessage(MSG* msg);
  // Asked on WM_CLOSE: 1 lets the window close and ends the loop.
  virtual int CanClose();

 private:
  static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
};

}  // namespace dl
