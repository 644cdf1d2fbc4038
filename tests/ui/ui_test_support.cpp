#include "tests/ui/ui_test_support.h"

#include <gdiplus.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace dltest {

namespace gdip = Gdiplus::DllExports;

namespace {

// Once per program, as the downloader starts it.
const ULONG_PTR gdiplusToken = [] {
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartupInput input;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
  return token;
}();

const CLSID kPngEncoder = {
    0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

}  // namespace

::testing::AssertionResult Near(Argb actual, Argb expected, int tolerance) {
  for (int shift = 0; shift < 32; shift += 8) {
    const int a = (actual >> shift) & 0xFF, e = (expected >> shift) & 0xFF;
    if (std::abs(a - e) > tolerance)
      return ::testing::AssertionFailure() << std::hex << actual << " instead of " << expected;
  }
  return ::testing::AssertionSuccess();
}

Canvas::Canvas(int width, int height, Argb fill) : whole_{0, 0, width, height} {
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  dc_ = CreateCompatibleDC(nullptr);
  bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dc_ == nullptr || bitmap_ == nullptr) return;
  old_ = SelectObject(dc_, bitmap_);
  std::fill_n(static_cast<uint32_t*>(bits), width * height, fill);
}

Canvas::~Canvas() {
  if (old_ != nullptr) SelectObject(dc_, old_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

bool Canvas::Paint(dl::Control* root, const RECT* clip) {
  Gdiplus::GpGraphics* graphics = nullptr;
  if (old_ == nullptr || gdip::GdipCreateFromHDC(dc_, &graphics) != Gdiplus::Ok) return false;
  gdip::GdipSetSmoothingMode(graphics, Gdiplus::SmoothingModeAntiAlias);
  root->Paint(graphics, clip != nullptr ? clip : &whole_);
  gdip::GdipDeleteGraphics(graphics);
  return true;
}

Argb Canvas::At(int x, int y) const { return PixelOf(dc_, x, y); }

int Canvas::Count(const RECT& area, const std::function<bool(Argb)>& test) const {
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) count += test(At(x, y)) ? 1 : 0;
  return count;
}

Argb PixelOf(HDC dc, int x, int y) {
  GdiFlush();
  DIBSECTION dib = {};
  HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);
  if (bitmap == nullptr || GetObjectW(bitmap, sizeof dib, &dib) != sizeof dib) return 0;
  const int width = dib.dsBm.bmWidth, height = dib.dsBm.bmHeight;
  if (x < 0 || y < 0 || x >= width || y >= height || dib.dsBm.bmBits == nullptr) return 0;
  // Both surfaces are top-down (wine reports the height without its sign, so it cannot tell).
  return static_cast<const uint32_t*>(dib.dsBm.bmBits)[y * width + x];
}

void WritePng(const std::wstring& path, int width, int height,
              const std::function<Argb(int x, int y)>& colour) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels[y * width + x] = colour(x, y);
  Gdiplus::GpBitmap* bitmap = nullptr;
  gdip::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppARGB,
                                  reinterpret_cast<BYTE*>(pixels.data()), &bitmap);
  gdip::GdipSaveImageToFile(bitmap, path.c_str(), &kPngEncoder, nullptr);
  gdip::GdipDisposeImage(bitmap);
}

}  // namespace dltest
