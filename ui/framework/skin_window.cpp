// Creation, binding and teardown of the native window, and the window-level operations that
// go straight to it (show, enable, move, centre, timers).
#include "ui/framework/skin_window.h"

#include "ui/controls/device_rect.h"
#include "ui/framework/window_dpi.h"
#include "ui/framework/window_registry.h"

namespace dl {

SkinWindow::SkinWindow(const RECT& rect, const wchar_t* imageName, const wchar_t* className,
                       HWND owner, DWORD exStyle, DWORD style, UINT classStyle, int id,
                       const wchar_t* resourceType, HMODULE module)
    : Control(rect, imageName, nullptr, id, nullptr, resourceType, module),
      focusControl_(this),
      captureControl_(this),
      hoverControl_(this) {
  CreateNative(className, owner, exStyle, style, classStyle);
}

SkinWindow::SkinWindow(int x, int y, const wchar_t* imageName, const wchar_t* className, HWND owner,
                       DWORD exStyle, DWORD style, UINT classStyle, int id,
                       const wchar_t* resourceType, HMODULE module)
    : Control(x, y, imageName, nullptr, id, nullptr, resourceType, module),
      focusControl_(this),
      captureControl_(this),
      hoverControl_(this) {
  CreateNative(className, owner, exStyle, style, classStyle);
}

void SkinWindow::CreateNative(const wchar_t* className, HWND owner, DWORD exStyle, DWORD style,
                              UINT classStyle) {
  // Registered and created wide, so that window texts never pass through the ANSI code page.
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.style = classStyle;
  wc.lpfnWndProc = SkinWindowProc;
  wc.cbWndExtra = sizeof(SkinWindow*);
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = className;
  // A second window of a class name finds it registered and goes on; the class keeps the
  // style of its first registration.
  if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return;

  const RECT at = rect_;
  // SkinWindowProc binds the handle on WM_NCCREATE; the returned one is stored again so that
  // a creation that fails later leaves no handle behind.
  hwnd_ = CreateWindowExW(exStyle, className, nullptr, style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                          at.left, at.top, at.right - at.left, at.bottom - at.top, owner, nullptr,
                          instance, this);
  if (hwnd_ != nullptr && Windows() != nullptr) Windows()->Register(this);
  dpi_ = WindowDpi(hwnd_);
  // Moves the native window to where it already is, at its size for the density, and makes the
  // surface of that size.
  Move(&at, IsStretched());
  visible_ = (style & WS_VISIBLE) != 0 ? 1 : 0;
  ShowWindow(hwnd_, visible_ == 1 ? SW_SHOWNORMAL : SW_HIDE);
  if (visible_ == 1) Invalidate(nullptr, 0);
}

SkinWindow::~SkinWindow() {
  while (!pendingDeletes_.empty()) {
    Control* control = pendingDeletes_.front();
    pendingDeletes_.erase(pendingDeletes_.begin());
    if (control != this) delete control;
  }
  surface_.Release();
  // Its last messages reach this object's own HandleMessage: the derived part is gone.
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  // The Control part then deletes the children; their going-away requests find no window.
}

void SkinWindow::Unbind() {
  if (Windows() != nullptr) Windows()->Unregister(hwnd_, this);
  hwnd_ = nullptr;
}

LRESULT CALLBACK SkinWindow::SkinWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  SkinWindow* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<SkinWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<SkinWindow*>(GetWindowLongPtrW(hwnd, 0));
  }
  if (self == nullptr) return DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg != WM_NCDESTROY) {
    // The object may have deleted itself inside (deferred deletion of the window): it is not
    // touched after the call.
    return self->HandleMessage(msg, wParam, lParam);
  }
  LRESULT result = self->HandleMessage(msg, wParam, lParam);
  SetWindowLongPtrW(hwnd, 0, 0);
  self->Unbind();
  return result;
}

void SkinWindow::Show(int show) {
  visible_ = show;
  if (show != SW_HIDE) RefreshDpi();
  ShowWindow(hwnd_, show);
  if (show == SW_SHOWNORMAL) Invalidate(nullptr, 0);
}

void SkinWindow::Enable(int enable) {
  enabled_ = enable;
  EnableWindow(hwnd_, enable);
}

int SkinWindow::IsVisible() { return IsWindowVisible(hwnd_) & visible_; }

int SkinWindow::IsEnabled() { return IsWindowEnabled(hwnd_) & enabled_; }

RECT SkinWindow::Move(const RECT* newRect, int stretch) {
  if (newRect != nullptr) {
    const RECT device = DeviceRect(*newRect, dpi_);
    const int width = device.right - device.left;
    const int height = device.bottom - device.top;
    MoveWindow(hwnd_, device.left, device.top, width, height, FALSE);
    surface_.Create(width, height);
  }
  return Control::Move(newRect, stretch);
}

void SkinWindow::Center(const RECT* reference) {
  if (hwnd_ == nullptr) return;
  RECT client;
  GetClientRect(hwnd_, &client);
  RECT area;
  HWND parent = GetParent(hwnd_);  // the owner of a pop-up
  if (reference != nullptr) {
    area = *reference;
  } else if (parent == nullptr || !GetWindowRect(parent, &area)) {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  // Integer division truncates toward zero: a difference of -5 gives -2.
  POINT at = {area.left + ((area.right - area.left) - (client.right - client.left)) / 2,
              area.top + ((area.bottom - area.top) - (client.bottom - client.top)) / 2};
  if ((GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_CHILD) != 0 && parent != nullptr) {
    ScreenToClient(parent, &at);  // a child is placed in its parent's client coordinates
  }
  SetWindowPos(hwnd_, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

BOOL SkinWindow::GetLayoutClientRect(RECT* out) const {
  RECT client;
  if (!GetClientRect(hwnd_, &client)) return FALSE;
  *out = LayoutRect(client, dpi_);
  return TRUE;
}

UINT_PTR SkinWindow::SetTimer(UINT_PTR id, UINT periodMs) {
  return ::SetTimer(hwnd_, id, periodMs, nullptr);
}

BOOL SkinWindow::KillTimer(UINT_PTR id) { return ::KillTimer(hwnd_, id); }

int SkinWindow::PreTranslateMessage(MSG*) { return 0; }

int SkinWindow::GetDragRect(RECT*, Control*) { return 0; }

int SkinWindow::CanClose() { return 1; }

void SkinWindow::OnTimer(UINT_PTR) {}

}  // namespace dl
