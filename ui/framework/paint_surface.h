// The off-screen surface a skinned window paints into: a memory device context with a 32-bit
// top-down DIB section of the window's size selected into it. Pixels are blue, green, red,
// alpha from the lowest byte up, premultiplied, as UpdateLayeredWindow reads them.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/unique_owner.h"
#include "base/win_handles.h"

namespace dl {

struct MemoryDcTraits {
  using Handle = HDC;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { DeleteDC(h); }
};
using UniqueMemoryDc = UniqueOwner<MemoryDcTraits>;

class PaintSurface {
 public:
  PaintSurface() = default;
  ~PaintSurface() { Release(); }
  PaintSurface(const PaintSurface&) = delete;
  PaintSurface& operator=(const PaintSurface&) = delete;

  // Replaces the surface with a new one of width x height, all pixels 0. False, with no
  // surface left, when the size is empty or the device context or bitmap cannot be made.
  bool Create(int width, int height);
  // Releases the device context together with its bitmap.
  void Release();
  // Sets every pixel to 0 (fully transparent); nothing without a surface.
  void Clear();

  HDC dc() const { return dc_.Get(); }
  // Row-major pixels, first row at the top; null without a surface.
  uint32_t* pixels() const { return pixels_; }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  UniqueMemoryDc dc_;
  UniqueGdiObject bitmap_;
  HGDIOBJ previousBitmap_ = nullptr;
  uint32_t* pixels_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace dl
