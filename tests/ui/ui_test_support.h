// What the ui tests under wine share: GDI+ started once for the program (the control and
// framework programs, which link the .cpp), a 32-bit top-down surface to paint on and read
// back, skin images written as PNG files at test time, a root that records the events its
// subtree passes up, and (inline, for the installer program too) pumping and rectangles.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ui/controls/control.h"
#include "ui/controls/control_events.h"

namespace dltest {

// A pixel as the surface holds it (premultiplied), or a colour to draw (straight): 0xAARRGGBB.
using Argb = uint32_t;
inline int AlphaOf(Argb p) { return static_cast<int>(p >> 24); }
inline int RedOf(Argb p) { return static_cast<int>((p >> 16) & 0xFF); }
inline int GreenOf(Argb p) { return static_cast<int>((p >> 8) & 0xFF); }

// Whether every channel of the pixel is within tolerance of the expected one.
::testing::AssertionResult Near(Argb actual, Argb expected, int tolerance = 3);

// A memory device context with a width x height 32-bit top-down DIB section selected, every
// pixel set to fill.
class Canvas {
 public:
  Canvas(int width, int height, Argb fill = 0);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  bool ok() const { return bits_ != nullptr; }
  HDC dc() const { return dc_; }
  void Clear(Argb value);
  // Paints the tree through a fresh graphics object clipped to clip (the whole canvas when
  // null), as one window paint does; false when the graphics object cannot be made.
  bool Paint(dl::Control* root, const RECT* clip = nullptr);
  Argb At(int x, int y) const;
  // Pixels of the area whose value passes the test.
  int Count(const RECT& area, const std::function<bool(Argb)>& test) const;

 private:
  int width_;
  int height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  uint32_t* bits_ = nullptr;
};

// Reads pixel (x, y) of the 32-bit top-down DIB selected into dc; 0 outside.
Argb PixelOf(HDC dc, int x, int y);

// Writes a width x height PNG whose pixel (x, y) is colour(x, y) (straight). False when the
// library cannot encode it.
bool WritePng(const std::wstring& path, int width, int height,
              const std::function<Argb(int x, int y)>& colour);
// A fresh folder under the temp folder for one test program's images, with a trailing slash.
std::wstring ImageFolder(const wchar_t* name);

// A client position as mouse messages carry it (negative values as under capture).
inline LPARAM Point(int x, int y) { return MAKELPARAM(x, y); }

struct RecordedEvent {
  int32_t code;
  dl::Control* source;
  uint32_t wParam;
  uint32_t lParam;
};

// Records the events raised below it and answers each with 7.
class RecordingRoot : public dl::Control {
 public:
  explicit RecordingRoot(const RECT& rect)
      : dl::Control(rect, nullptr, nullptr, 0, nullptr, nullptr, nullptr) {}
  LRESULT Notify(dl::ControlEvent* event, dl::Control* source) override {
    events.push_back({event->code, source, event->wParam, event->lParam});
    return 7;
  }
  std::vector<int32_t> Codes() const {
    std::vector<int32_t> codes;
    for (const RecordedEvent& e : events) codes.push_back(e.code);
    return codes;
  }
  std::vector<RecordedEvent> events;
};

// Dispatches everything queued for the thread for ms milliseconds.
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
         << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ") instead of ("
         << left << "," << top << "," << right << "," << bottom << ")";
}

}  // namespace dltest
