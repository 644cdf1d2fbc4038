#include "ui/installer/window_messages.h"

namespace dl {

const char kActivateMessageName[] = "{88899063-CFEA-492b-93E3-51F14B34CE70}";

UINT ActivateMessage() {
  static const UINT message = RegisterWindowMessageA(kActivateMessageName);
  return message;
}

}  // namespace dl
