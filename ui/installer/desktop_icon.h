// Where the shell has put a desktop icon. The desktop's icons are items of a list view that
// lives in the shell's process, so the item records are placed in that process's memory and
// filled there by the list view's own messages.
#pragma once

#include <windows.h>

#include "config/debug_log.h"

namespace dl {

// Looks for the desktop item whose text equals name (ANSI, compared without regard to case;
// the first such item in index order wins) and returns its bounds, icon and label together, in
// the client coordinates of the desktop list view; all zero when there is no such item or the
// list view cannot be read. listView (may be null) receives the desktop list view, or null when
// there is none. The steps and failures go to log. Sends to the shell's window and waits for
// every answer without a time-out, so it blocks while the shell does not answer.
RECT FindDesktopIcon(DebugLog& log, const char* name, HWND* listView);

}  // namespace dl
