#include "ui/framework/tray_messages.h"

#include <windows.h>

namespace dl {

const char kTrayNotifyName[] = "__TRAYMSG_{0342F300-E8F7-4fd5-9C12-2C023A2EA903}__";
const char kTaskbarCreatedName[] = "TaskbarCreated";

unsigned TrayNotifyMessage() {
  static const unsigned message = RegisterWindowMessageA(kTrayNotifyName);
  return message;
}

unsigned TaskbarCreatedMessage() {
  static const unsigned message = RegisterWindowMessageA(kTaskbarCreatedName);
  return message;
}

}  // namespace dl
