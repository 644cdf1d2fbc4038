// What the control tests under wine share: GDI+ started for the whole program, a 32-bit
// top-down surface to paint a control tree on and read back, and skin images written as PNG
// files at test time.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/controls/control.h"
#include "ui/controls/control_events.h"

namespace dltest {

// A premultiplied BGRA pixel as the surface holds it, read as 0xAARRGGBB.
using Argb = uint32_t;
inline int AlphaOf(Argb p) { return static_cast<int>(p >> 24); }
inline int RedOf(Argb p) { return static_cast<int>((p >> 16) & 0xFF); }
inline int GreenOf(Argb p) { return static_cast<int>((p >> 8) & 0xFF); }
inline int BlueOf(Argb p) { return static_cast<int>(p & 0xFF); }

// A memory device context with a width x height 32-bit top-down DIB section selected.
class Canvas {
 public:
  Canvas(int width, int height);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  bool ok() const { return bits_ != nullptr; }
  // Sets every pixel to the raw value (0 = transparent, as a fresh layered surface).
  void Clear(Argb value);
  // Paints the tree through a fresh graphics object clipped to clip (the whole canvas when
  // null), as one window paint does; false when the graphics object cannot be made.
  bool Paint(dl::Control* root, const RECT* clip = nullptr);
  Argb At(int x, int y) const;
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  int width_;
  int height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  uint32_t* bits_ = nullptr;
};

// Writes a width x height PNG whose pixel (x, y) is colour(x, y), straight (not premultiplied)
// 0xAARRGGBB. False when the library cannot encode it.
bool WritePng(const std::wstring& path, int width, int height,
              const std::function<Argb(int x, int y)>& colour);

// A folder under the temp folder for one test program's images, made fresh.
std::wstring ImageFolder(const wchar_t* name);

// Whether two colour channels are within tolerance of each other.
inline bool Near(int value, int expected, int tolerance) {
  return value >= expected - tolerance && value <= expected + tolerance;
}

// A root that records the events its subtree passes up.
struct RecordedEvent {
  int32_t code;
  dl::Control* source;
  uint32_t wParam;
  uint32_t lParam;
};

class RecordingRoot : public dl::Control {
 public:
  explicit RecordingRoot(const RECT& rect, const wchar_t* image = nullptr)
      : dl::Control(rect, image, nullptr, 0, nullptr, nullptr, nullptr) {}
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

inline LPARAM Point(int x, int y) { return MAKELPARAM(x, y); }

}  // namespace dltest
