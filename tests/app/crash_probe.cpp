// Installs the program's crash filter, leaves its own folder and dies of an access
// violation, as a crashing downloader would.
#include <windows.h>

#include "app/crash_handler.h"

int main() {
  if (dl::InstallCrashHandler() != 1) return 2;
  volatile int* nowhere = nullptr;
  *nowhere = 1;
  return 3;
}
