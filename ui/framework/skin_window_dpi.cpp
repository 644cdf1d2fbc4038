// A skinned window on a display of another density: the same layout drawn again at the new
// density, never the old picture stretched.
#include "ui/controls/device_rect.h"
#include "ui/framework/skin_window.h"
#include "ui/framework/window_dpi.h"

namespace dl {

namespace {
void TellTree(Control* control) {
  control->OnDpiChanged();
  for (Control* child : control->children()) TellTree(child);
}
}  // namespace

void SkinWindow::RefreshDpi() {
  if (hwnd_ != nullptr) ApplyDpi(WindowDpi(hwnd_), nullptr);
}

void SkinWindow::ApplyDpi(unsigned dpi, const RECT* suggested) {
  if (hwnd_ == nullptr || dpi == dpi_) return;
  dpi_ = dpi;
  // The size comes from the layout, not from the suggestion: the system scales the old size by
  // the ratio and may round a line differently. The place is the suggested one.
  const RECT device = DeviceRect(rect_, dpi);
  const int width = device.right - device.left;
  const int height = device.bottom - device.top;
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
  if (suggested == nullptr) flags |= SWP_NOMOVE;
  SetWindowPos(hwnd_, nullptr, suggested != nullptr ? suggested->left : 0,
               suggested != nullptr ? suggested->top : 0, width, height, flags);
  surface_.Create(width, height);
  TellTree(this);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

}  // namespace dl
