// The lobby's shortcut on the current user's desktop, named after the site, followed (whether
// or not the link could be saved) by a settings-change broadcast so the shell shows it.
#pragma once

#include <windows.h>

namespace dl {

// Runs on the install worker's thread, which it initialises for COM for the duration of the call.
// installFolder: the install folder, ending in "\".
// Saves "<user desktop>\<displayName>.lnk" (replacing an existing one) with the target
// installFolder + "\lobby.exe" (the doubled separator is kept; the shell accepts it), the working
// folder installFolder and the target's first icon. Then broadcasts WM_SETTINGCHANGE, waiting
// at most half a second for each window.
// Returns whether the link was saved; nobody has to act on it.
bool CreateDesktopShortcut(const wchar_t* installFolder);

}  // namespace dl
