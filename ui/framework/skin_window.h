// A framework top-level window: the root control of its tree, owning one frameless native
// window. Everything in it is drawn by the tree into an off-screen 32-bit surface, and its mouse
// input is routed to the tree's controls. The object pointer travels in the creation parameter
// and is kept in the window's extra bytes; it is cleared on WM_NCDESTROY, so no message reaches
// a dead object. The tree is laid out in 96-DPI units; the native window, its surface and its
// mouse positions are device pixels of the display the window is on, and follow it there.
#pragma once

#include <windows.h>

#include <vector>

#include "ui/controls/control.h"
#include "ui/framework/paint_surface.h"

namespace dl {

class SkinWindow : public Control {
 public:
  // From a rectangle (also the native window's first position and size, scaled to the density).
  SkinWindow(const RECT& rect, const wchar_t* imageName, const wchar_t* className, HWND owner,
             DWORD exStyle, DWORD style, UINT classStyle, int id, const wchar_t* resourceType,
             HMODULE module);
  // From an image at (x, y): the window takes the decoded image's size.
  SkinWindow(int x, int y, const wchar_t* imageName, const wchar_t* className, HWND owner,
             DWORD exStyle, DWORD style, UINT classStyle, int id, const wchar_t* resourceType,
             HMODULE module);
  ~SkinWindow() override;

  void Show(int show) override;
  void Enable(int enable) override;
  int IsVisible() override;
  int IsEnabled() override;
  RECT Move(const RECT* newRect, int stretch) override;

  // The window procedure's body; derived windows handle their messages and pass every
  // message on to this one.
  virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  // 1 when the message was consumed before translation and dispatch.
  virtual int PreTranslateMessage(MSG* msg);
  // 1 with a rectangle (layout units): a left press there over `control` drags the window.
  virtual int GetDragRect(RECT* out, Control* control);
  // Asked on WM_CLOSE: 1 lets the window close and ends the loop.
  virtual int CanClose();
  virtual void OnTimer(UINT_PTR id);

  // Centres the native window on reference, else on its owner, else on the work area.
  void Center(const RECT* reference);
  // The client area in layout units, like GetClientRect.
  BOOL GetLayoutClientRect(RECT* out) const;
  UINT_PTR SetTimer(UINT_PTR id, UINT periodMs);
  BOOL KillTimer(UINT_PTR id);

  static LRESULT CALLBACK SkinWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

 protected:
  HDC surfaceDc() const { return surface_.dc(); }
  // The mouse and focus state, for windows that want to look at it.
  Control* focusControl() const { return focusControl_; }
  Control* captureControl() const { return captureControl_; }
  Control* hoverControl() const { return hoverControl_; }
  int trackingMouse() const { return trackingMouse_; }

 private:
  void CreateNative(const wchar_t* className, HWND owner, DWORD exStyle, DWORD style,
                    UINT classStyle);
  // Called by SkinWindowProc once the native window is gone.
  void Unbind();
  LRESULT DefaultProcessing(UINT msg, WPARAM wParam, LPARAM lParam);
  // Deletes the queued controls; true when the window itself was among them (and is gone).
  bool RunPendingDeletes();
  void OnPaintMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  bool IsPerPixelAlpha();
  void UpdateHover(WPARAM wParam, LPARAM lParam);
  void OnMouseMoveMessage(WPARAM wParam, LPARAM lParam);
  // False when the press started a window drag (and was answered with 0).
  bool OnPress(UINT msg, WPARAM wParam, LPARAM lParam);
  void OnRelease(UINT msg, WPARAM wParam, LPARAM lParam);
  void OnWheel(WPARAM wParam, LPARAM lParam);
  // Serves one WM_CONTROL_REQUEST; false for requests that get default processing.
  bool OnControlRequest(WPARAM what, Control* control, LRESULT* result);
  void ForgetControl(Control* control);
  void PostMoveAtCursor();
  // Redraws the window for the density of its display (skin_window_dpi.cpp): resizes it (placed
  // at suggested when the system suggests a place), remakes the surface, places the controls'
  // native windows again and repaints. Nothing when the density is the current one.
  void ApplyDpi(unsigned dpi, const RECT* suggested);
  // Catches a density change that came without WM_DPICHANGED (a hidden window moved).
  void RefreshDpi();

  PaintSurface surface_;
  int trackingMouse_ = 0;
  std::vector<Control*> pendingDeletes_;  // owned until deleted at the next WM_NULL
  Control* focusControl_ = nullptr;
  Control* captureControl_ = nullptr;
  Control* hoverControl_ = nullptr;
};

}  // namespace dl
