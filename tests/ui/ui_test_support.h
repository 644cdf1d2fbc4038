// Shared by the ui tests under wine: a 32-bit surface painted and read back, PNG skins written
// at test time so every expected colour is known, and message pumping.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <gdiplus.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "ui/controls/control.h"

namespace dltest {

namespace gdip = Gdiplus::DllExports;
using Argb = uint32_t;  // 0xAARRGGBB; surfaces hold it premultiplied

// Before any test, as the downloader starts it: skins decode on construction.
inline const ULONG_PTR g_gdiplusToken = [] {
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartupInput input;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
  return token;
}();

inline ::testing::AssertionResult Near(Argb actual, Argb expected, int tolerance = 3) {
  for (int shift = 0; shift < 32; shift += 8)
    if (std::abs(int((actual >> shift) & 0xFF) - int((expected >> shift) & 0xFF)) > tolerance)
      return ::testing::AssertionFailure() << std::hex << actual << " instead of " << expected;
  return ::testing::AssertionSuccess();
}

inline std::string Box(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

// Pixel of the DIB section selected into dc (a window's surface too); 0 outside. Both surfaces
// are top-down: wine reports the height without its sign.
inline Argb PixelOf(HDC dc, int x, int y) {
  GdiFlush();
  DIBSECTION dib = {};
  if (GetObjectW(GetCurrentObject(dc, OBJ_BITMAP), sizeof dib, &dib) != sizeof dib) return 0;
  const int width = dib.dsBm.bmWidth, height = dib.dsBm.bmHeight;
  if (x < 0 || y < 0 || x >= width || y >= height || dib.dsBm.bmBits == nullptr) return 0;
  return static_cast<const Argb*>(dib.dsBm.bmBits)[y * width + x];
}

// A memory DC with a filled top-down 32-bit DIB selected.
class Canvas {
 public:
  Canvas(int width, int height, Argb fill = 0) : whole_{0, 0, width, height} {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    if (bits != nullptr) std::fill_n(static_cast<Argb*>(bits), width * height, fill);
  }
  ~Canvas() {
    DeleteObject(SelectObject(dc_, old_));  // hands back the DIB
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  // One window paint's worth: a fresh graphics object, clipped to clip (or everything).
  bool Paint(dl::Control* root, const RECT* clip = nullptr) {
    Gdiplus::GpGraphics* graphics = nullptr;
    if (gdip::GdipCreateFromHDC(dc_, &graphics) != Gdiplus::Ok) return false;
    gdip::GdipSetSmoothingMode(graphics, Gdiplus::SmoothingModeAntiAlias);
    root->Paint(graphics, clip != nullptr ? clip : &whole_);
    gdip::GdipDeleteGraphics(graphics);
    return true;
  }
  Argb At(int x, int y) const { return PixelOf(dc_, x, y); }

 private:
  RECT whole_;
  HDC dc_ = CreateCompatibleDC(nullptr);
  HGDIOBJ bitmap_, old_;
};

inline void WritePng(const std::wstring& path, int width, int height,
                     const std::function<Argb(int x, int y)>& colour) {
  static const CLSID kPng = {
      0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
  std::vector<Argb> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels[y * width + x] = colour(x, y);
  Gdiplus::GpBitmap* bitmap = nullptr;
  gdip::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppARGB,
                                  reinterpret_cast<BYTE*>(pixels.data()), &bitmap);
  gdip::GdipSaveImageToFile(bitmap, path.c_str(), &kPng, nullptr);
  gdip::GdipDisposeImage(bitmap);
}

inline LPARAM Point(int x, int y) { return MAKELPARAM(x, y); }
inline void PumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  MSG msg;
  do {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(5);
  } while (GetTickCount() - start < ms);
}

}  // namespace dltest
