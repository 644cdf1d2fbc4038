// Messages of the installer window beyond the framework's own.
#pragma once

#include <windows.h>

namespace dl {

// wParam the desktop list view, lParam a RECT* on the sender's stack (sent, never posted).
constexpr UINT WM_SHOW_ICON_TIP = WM_APP + 2;
// From the notice buttons (sent): start a new worker now, or one held paused.
constexpr UINT WM_START_WORKER = WM_APP + 3;
constexpr UINT WM_START_WORKER_PAUSED = WM_APP + 4;
// The registered message a second start broadcasts: the running installer comes forward and
// acts as if its install button was clicked. Registered on first use.
extern const char kActivateMessageName[];
UINT ActivateMessage();

// Worker events waiting in the window's queue (posted, at most one pending).
constexpr UINT WM_INSTALL_EVENT = WM_APP + 0x40;

// Control ids.
constexpr int ID_INSTALL = 901;
constexpr int ID_CLOSE = 902;
constexpr int ID_MINIMIZE = 903;
constexpr int ID_MODIFY_PATH = 905;
constexpr int ID_NOTICE_OK = 1002;
constexpr int ID_NOTICE_RETRY = 1003;
constexpr UINT ID_TRAY_EXIT = 40004;

}  // namespace dl
