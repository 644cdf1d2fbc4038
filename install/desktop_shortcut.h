// The lobby's shortcut on the current user's desktop, named after the site, and the two
// things that follow it whether or not it could be saved: the shell is told that settings
// changed, and the window's icon-tip timer is started.
#pragma once

#include <windows.h>

namespace dl {

// The installer window's one-shot timer that looks for the new desktop icon.
constexpr UINT_PTR TIMER_ICON_TIP = 114;
constexpr UINT kIconTipDelayMs = 500;

// installFolder ends in "\" (as the installer shows it). Writes "<desktop>\<displayName>.lnk"
// pointing at "<installFolder>\lobby.exe" (the doubled separator is kept; the shell accepts
// it), working folder installFolder, icon the target's first. Replaces an existing link.
// Returns whether the link was saved; the broadcast and SetTimer(timerWindow, TIMER_ICON_TIP)
// happen either way.
bool CreateDesktopShortcut(const wchar_t* installFolder, HWND timerWindow);

}  // namespace dl
