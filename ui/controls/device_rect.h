// The window system's rectangles and mouse positions between a window's layout (96-DPI units,
// where its control tree lives) and its device pixels (where it is drawn and clicked).
#pragma once

#include <windows.h>

#include "ui/controls/display_scale.h"

namespace dl {

inline RECT DeviceRect(const RECT& layout, unsigned dpi) {
  const Box box = BoxToDevice({layout.left, layout.top, layout.right, layout.bottom}, dpi);
  return {box.left, box.top, box.right, box.bottom};
}

inline RECT LayoutRect(const RECT& device, unsigned dpi) {
  const Box box = BoxToLayout({device.left, device.top, device.right, device.bottom}, dpi);
  return {box.left, box.top, box.right, box.bottom};
}

// A packed client position (unsigned 16-bit halves, as mouse messages carry it) in layout units.
// The halves stay unsigned: a point left of or above the window keeps hitting nothing.
inline LPARAM LayoutPoint(LPARAM device, unsigned dpi) {
  if (dpi == kLayoutDpi) return device;
  const DWORD x = static_cast<DWORD>(ToLayout(static_cast<int32_t>(device & 0xFFFF), dpi));
  const DWORD y = static_cast<DWORD>(ToLayout(static_cast<int32_t>((device >> 16) & 0xFFFF), dpi));
  return static_cast<LPARAM>(((y & 0xFFFF) << 16) | (x & 0xFFFF));
}

}  // namespace dl
