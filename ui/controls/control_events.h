// What travels between controls and their window: the event records passed up the tree and
// the requests a control sends to the window that hosts it.
#pragma once

#include <cstdint>

namespace dl {

// Passed up the tree to the first ancestor whose Notify acts on it; lives only for the call.
struct ControlEvent {
  uint32_t wParam;  // mouse events: the window message's wParam; else 0
  uint32_t lParam;  // mouse events: packed client position; state events: the new state
  int32_t code;     // one of the CN_ codes
};

// Events raised by every control.
constexpr int32_t CN_MOUSEENTER = -99;
constexpr int32_t CN_MOUSEMOVE = -98;
constexpr int32_t CN_MOUSEHOVER = -97;
constexpr int32_t CN_MOUSELEAVE = -96;
constexpr int32_t CN_LBUTTONDOWN = -95;
constexpr int32_t CN_LBUTTONUP = -94;
constexpr int32_t CN_LBUTTONDBLCLK = -93;
constexpr int32_t CN_RBUTTONDOWN = -92;
constexpr int32_t CN_RBUTTONUP = -91;
constexpr int32_t CN_RBUTTONDBLCLK = -90;
constexpr int32_t CN_MBUTTONDOWN = -89;
constexpr int32_t CN_MBUTTONUP = -88;
constexpr int32_t CN_MBUTTONDBLCLK = -87;
constexpr int32_t CN_MOUSEWHEEL = -86;
constexpr int32_t CN_SHOWCHANGED = -85;
constexpr int32_t CN_ENABLECHANGED = -84;
constexpr int32_t CN_SETFOCUS = -83;
constexpr int32_t CN_KILLFOCUS = -82;

// Raised by buttons (left and right click) and labels.
constexpr int32_t CN_CLICK = -199;
constexpr int32_t CN_RCLICK = -198;
constexpr int32_t CN_LABELCLICK = -299;
constexpr int32_t CN_LABELRCLICK = -298;

// Sent (never posted) by a control to its window: wParam one of the CR_ codes, lParam the
// control, which must not be null.
constexpr unsigned WM_CONTROL_REQUEST = 0x8000 + 0x230;  // WM_APP + 0x230
constexpr unsigned CR_RELEASE = 1;      // the control is going away (or hidden, disabled)
constexpr unsigned CR_FOCUS = 2;        // give it the keyboard focus
constexpr unsigned CR_GETFOCUS = 3;     // which control has the focus (lParam 1)
constexpr unsigned CR_DELETELATER = 4;  // delete it after the current message

}  // namespace dl
