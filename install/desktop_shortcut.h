// The lobby's shortcut on the current user's desktop, named after the site, followed (whether
// or not the link could be saved) by a settings-change broadcast so the shell shows it, and the
// installer window's timer that later looks for the new icon.
#pragma once

#include <windows.h>

namespace dl {

// The installer window's timer that looks for the new desktop icon; its handler stops it after
// the first tick.
constexpr UINT_PTR TIMER_ICON_TIP = 114;
constexpr UINT kIconTipDelayMs = 500;

// Runs on the install worker's thread, which it initialises for COM for the duration of the call.
// installFolder: the install folder as the path label shows it after its prefix, ending in "\".
// Saves "<user desktop>\<displayName>.lnk" (replacing an existing one) with the target
// installFolder + "\lobby.exe" (the doubled separator is kept; the shell accepts it), the working
// folder installFolder and the target's first icon. Then broadcasts WM_SETTINGCHANGE and starts
// TIMER_ICON_TIP on timerWindow (the installer window, owned by another thread of this process);
// a null timerWindow starts no timer.
// Returns whether the link was saved; nobody has to act on it.
bool CreateDesktopShortcut(const wchar_t* installFolder, HWND timerWindow);

}  // namespace dl
