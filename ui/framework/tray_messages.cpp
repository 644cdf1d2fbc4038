#include "ui/framework/tray_messages.h"

namespace dl {

const char kTrayNotifyName[] = "__TRAYMSG_{0342F300-E8F7-4fd5-9C12-2C023A2EA903}__";
const char kTaskbarCreatedName[] = "TaskbarCreated";
unsigned WM_TRAY_NOTIFY = 0;
unsigned WM_TASKBAR_CREATED = 0;

}  // namespace dl
