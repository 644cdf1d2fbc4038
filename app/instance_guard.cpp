#include "app/instance_guard.h"

#include <windows.h>

#include "ui/installer/window_messages.h"

namespace dl {

const char kInstanceMutexName[] = "{8B8E8CAC-C0B5-4588-94E6-31E3C6DD5535}";

bool TakeInstanceMutex() {
  // Deliberately never closed: the system releases it when the process ends, which is
  // what lets a later start become the first instance again.
  HANDLE mutex = CreateMutexA(nullptr, FALSE, kInstanceMutexName);
  DWORD error = GetLastError();
  (void)mutex;
  return error != ERROR_ALREADY_EXISTS;
}

void BroadcastActivation() { PostMessageA(HWND_BROADCAST, ActivateMessage(), 0, 0); }

}  // namespace dl
