// The paint pipeline: the tree is drawn into the off-screen surface, then put on the screen
// with per-pixel alpha (layered windows) or copied for the update rectangle (all others).
#include "ui/framework/skin_window.h"

#include <gdiplus.h>

#include "ui/controls/device_rect.h"

namespace dl {

namespace {
// The drawing library's graphics object of one paint, on the surface's device context.
class SurfaceGraphics {
 public:
  explicit SurfaceGraphics(HDC dc) {
    if (dc == nullptr) return;
    if (Gdiplus::DllExports::GdipCreateFromHDC(dc, &graphics_) != Gdiplus::Ok) {
      graphics_ = nullptr;
      return;
    }
    Gdiplus::DllExports::GdipSetSmoothingMode(graphics_, Gdiplus::SmoothingModeAntiAlias);
  }
  ~SurfaceGraphics() {
    if (graphics_ != nullptr) Gdiplus::DllExports::GdipDeleteGraphics(graphics_);
  }
  SurfaceGraphics(const SurfaceGraphics&) = delete;
  SurfaceGraphics& operator=(const SurfaceGraphics&) = delete;

  GpGraphics* get() const { return graphics_; }

 private:
  GpGraphics* graphics_ = nullptr;
};
}  // namespace

bool SkinWindow::IsPerPixelAlpha() {
  // A layered window whose look was never set with SetLayeredWindowAttributes.
  return (GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) & WS_EX_LAYERED) != 0 &&
         !GetLayeredWindowAttributes(hwnd_, nullptr, nullptr, nullptr);
}

void SkinWindow::OnPaintMessage(UINT msg, WPARAM wParam, LPARAM) {
  const bool toScreen = msg == WM_PAINT;
  HDC target = reinterpret_cast<HDC>(wParam);
  RECT client;
  GetClientRect(hwnd_, &client);
  const RECT layoutClient = LayoutRect(client, dpi_);

  if (IsPerPixelAlpha()) {
    // UpdateLayeredWindow replaces the whole picture: every paint draws the whole tree on a
    // transparent surface, whatever part of the window was invalid.
    surface_.Clear();
    {
      SurfaceGraphics graphics(surface_.dc());
      if (graphics.get() != nullptr) Paint(graphics.get(), &layoutClient);
    }
    if (surface_.dc() == nullptr) return;
    if (toScreen) {
      RECT window;
      GetWindowRect(hwnd_, &window);
      POINT destination = {window.left, window.top};
      SIZE size = {window.right - window.left, window.bottom - window.top};
      POINT source = {0, 0};
      BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
      HDC screen = GetDC(hwnd_);
      UpdateLayeredWindow(hwnd_, screen, &destination, &size, surface_.dc(), &source, 0, &blend,
                          ULW_ALPHA);
      ReleaseDC(hwnd_, screen);
    } else {
      BitBlt(target, 0, 0, client.right - client.left, client.bottom - client.top, surface_.dc(), 0,
             0, SRCCOPY);
    }
    return;
  }

  // Plain path: not cleared, so what no control draws over keeps its earlier pixels; on
  // WM_PAINT only the controls meeting the update rectangle draw, and only it is copied.
  RECT area = client;
  if (toScreen) GetUpdateRect(hwnd_, &area, FALSE);
  RECT layoutArea = LayoutRect(area, dpi_);
  // A control's device box is rounded on its own: one layout unit more on each side reaches
  // every control whose pixels meet the update area. Redrawing them in order is harmless.
  if (dpi_ != kLayoutDpi) InflateRect(&layoutArea, 1, 1);
  {
    SurfaceGraphics graphics(surface_.dc());
    if (graphics.get() != nullptr) Paint(graphics.get(), &layoutArea);
  }
  if (surface_.dc() == nullptr) return;
  if (toScreen) {
    HDC screen = GetDC(hwnd_);
    BitBlt(screen, area.left, area.top, area.right - area.left, area.bottom - area.top,
           surface_.dc(), area.left, area.top, SRCCOPY);
    ReleaseDC(hwnd_, screen);
  } else {
    BitBlt(target, 0, 0, client.right - client.left, client.bottom - client.top, surface_.dc(), 0,
           0, SRCCOPY);
  }
}

}  // namespace dl
