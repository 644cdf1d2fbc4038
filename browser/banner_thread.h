// The banner's own user-interface thread: the page in the upper part of the installer window,
// in a browser object that belongs to this thread and is served by its message loop.
#pragma once

#include <windows.h>

#include "ui/framework/skin_window.h"

namespace dl {

// Where the banner sits in the installer window (client coordinates: 595 x 174 at (2, 37)),
// and its window style (child, visible, clipping siblings and children).
constexpr RECT kBannerRect = {2, 37, 597, 211};
constexpr DWORD kBannerStyle = 0x56000000;

// Sent by the banner thread to the installer window: lParam is a Control* (without parent) that
// the window's thread attaches to the window's tree, so the tree is only ever changed on the
// window's thread.
constexpr UINT WM_ATTACH_BANNER = WM_APP + 5;

// What the banner thread needs: the installer window, a SkinWindow whose thread attaches the
// banner to its tree on WM_ATTACH_BANNER, and the page to show. Both outlive the thread's use.
struct BannerStart {
  SkinWindow* window;
  const wchar_t* url;
};

// start: a BannerStart*. Runs the thread's message loop for the rest of the process.
DWORD WINAPI BannerThreadProc(void* start);

}  // namespace dl
