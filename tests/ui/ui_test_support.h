// Shared by the ui tests under wine: a 32-bit surface to paint on and read back, skins written
// as PNG files at test time (so every expected colour is known), and message pumping.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "ui/controls/control.h"

namespace dltest {

// 0xAARRGGBB; surfaces hold it premultiplied.
using Argb = uint32_t;
::testing::AssertionResult Near(Argb actual, Argb expected, int tolerance = 3);

// A memory DC with a cleared top-down 32-bit DIB selected.
class Canvas {
 public:
  Canvas(int width, int height, Argb fill = 0);
  ~Canvas();
  HDC dc() const { return dc_; }
  // One window paint's worth: a fresh graphics object, clipped to clip (or everything).
  bool Paint(dl::Control* root, const RECT* clip = nullptr);
  Argb At(int x, int y) const;
  int Count(const RECT& area, const std::function<bool(Argb)>& test) const;

 private:
  RECT whole_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_ = nullptr;
};

// Pixel of the DIB section selected into dc (a window's surface too); 0 outside.
Argb PixelOf(HDC dc, int x, int y);
void WritePng(const std::wstring& path, int width, int height,
              const std::function<Argb(int x, int y)>& colour);

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

inline ::testing::AssertionResult RectIs(const RECT& r, LONG left, LONG top, LONG right,
                                         LONG bottom) {
  if (r.left == left && r.top == top && r.right == right && r.bottom == bottom)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")";
}

}  // namespace dltest
