// Registered messages of the notification-area icon: its callback and the shell's
// broadcast after the taskbar was (re)created. Each is registered on first use.
#pragma once

namespace dl {

extern const char kTrayNotifyName[];
extern const char kTaskbarCreatedName[];
unsigned TrayNotifyMessage();
unsigned TaskbarCreatedMessage();

}  // namespace dl
