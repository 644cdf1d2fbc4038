// The display density of a window and of the process: which density a window is on, and the
// process's claim that it draws every window for its own display's density. The newer calls are
// looked up at run time, since Windows 7 and 8 lack them.
#pragma once

#include <windows.h>

namespace dl {

// Sent to a top-level window of a per-monitor aware process that reached a display of another
// density: LOWORD(wParam) the new DPI, lParam the RECT* the system suggests in screen pixels.
constexpr UINT WM_DPICHANGED_MESSAGE = 0x02E0;

// The density window is drawn at: the window's own where the system tracks it per window
// (Windows 10), else the screen's (Windows 7 and 8.1 system-aware), bounded by UsableDpi.
unsigned WindowDpi(HWND window);

// Declares the process per-monitor aware (v2, else v1 on Windows 8.1, else system-aware on
// Windows 7) unless it already is aware, as its manifest normally makes it: this is the fallback
// for a copy whose manifest was stripped or ignored. Before the first window.
void DeclareDpiAwareness();

// The side of a small icon (the notification area's) at dpi.
int SmallIconSize(unsigned dpi);

}  // namespace dl
