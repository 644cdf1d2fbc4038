#include "ui/framework/paint_surface.h"

#include <cstring>
#include <utility>

namespace dl {

bool PaintSurface::Create(int width, int height) {
  Release();
  if (width <= 0 || height <= 0) return false;
  UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  if (!dc) return false;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down: the first row is the top one
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueGdiObject bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || bits == nullptr) return false;
  previousBitmap_ = SelectObject(dc.Get(), bitmap.Get());
  dc_ = std::move(dc);
  bitmap_ = std::move(bitmap);
  pixels_ = static_cast<uint32_t*>(bits);
  width_ = width;
  height_ = height;
  return true;
}

void PaintSurface::Release() {
  if (dc_ && previousBitmap_ != nullptr) SelectObject(dc_.Get(), previousBitmap_);
  dc_.Reset();
  bitmap_.Reset();
  previousBitmap_ = nullptr;
  pixels_ = nullptr;
  width_ = 0;
  height_ = 0;
}

void PaintSurface::Clear() {
  if (pixels_ == nullptr) return;
  GdiFlush();  // drawing still queued by GDI must not land after the clear
  std::memset(pixels_, 0, static_cast<size_t>(width_) * static_cast<size_t>(height_) * 4);
}

}  // namespace dl
