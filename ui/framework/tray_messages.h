// Registered messages of the notification-area icon: its callback and the shell's
// broadcast after the taskbar was (re)created.
#pragma once

namespace dl {

extern const char kTrayNotifyName[];
extern const char kTaskbarCreatedName[];
extern unsigned WM_TRAY_NOTIFY;      // 0 until process start-up registers it
extern unsigned WM_TASKBAR_CREATED;  // 0 until process start-up registers it

}  // namespace dl
