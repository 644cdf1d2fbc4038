#include "ui/framework/skin_window.h"

#include "ui/framework/window_registry.h"

namespace dl {

SkinWindow::~SkinWindow() {
  if (hwnd_ != nullptr) {
    HWND hwnd = hwnd_;
    DestroyWindow(hwnd);  // WM_NCDESTROY unbinds this object
  }
}

bool SkinWindow::Create(const char* className, const wchar_t* title, DWORD style, DWORD exStyle,
                        int x, int y, int width, int height, HWND owner) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  // Registered and created wide, so that window texts never pass through the ANSI code
  // page (the title must read the same on every system locale).
  wchar_t wideClass[256];
  if (MultiByteToWideChar(CP_ACP, 0, className, -1, wideClass, 256) == 0) return false;
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(instance, wideClass, &wc)) {
    wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = StaticWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = wideClass;
    if (RegisterClassExW(&wc) == 0) return false;
  }
  CreateWindowExW(exStyle, wideClass, title, style, x, y, width, height, owner, nullptr, instance,
                  this);
  if (hwnd_ == nullptr) return false;
  Windows().Register(this);
  return true;
}

void SkinWindow::Show(int show) { ShowWindow(hwnd_, show); }

bool SkinWindow::IsVisible() const { return IsWindowVisible(hwnd_) == TRUE; }

void SkinWindow::Center() {
  RECT self, area;
  GetWindowRect(hwnd_, &self);
  HWND owner = GetWindow(hwnd_, GW_OWNER);
  if (owner != nullptr) {
    GetWindowRect(owner, &area);
  } else {
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  }
  int width = self.right - self.left, height = self.bottom - self.top;
  int x = area.left + ((area.right - area.left) - width) / 2;
  int y = area.top + ((area.bottom - area.top) - height) / 2;
  SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT SkinWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    if (IsWindowEnabled(hwnd_) && CanClose() == 1) PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

int SkinWindow::PreTranslateMessage(MSG*) { return 0; }

int SkinWindow::CanClose() { return 1; }

LRESULT CALLBACK SkinWindow::StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  SkinWindow* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<SkinWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<SkinWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    Windows().Unregister(hwnd);
    self->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  return self->HandleMessage(message, wParam, lParam);
}

}  // namespace dl
