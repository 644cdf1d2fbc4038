// One thing the install worker asks of the installer window, queued on the worker's thread
// and carried out on the window's. Texts travel as copies, so the worker's buffers may go
// away at once.
#pragma once

#include <windows.h>

#include <string>

#include "install/install_host.h"

namespace dl {

// Posted (at most one pending) when the queue of requests goes from empty to not empty.
constexpr UINT WM_HOST_REQUEST = WM_APP + 0x40;

struct HostRequest {
  enum class Kind { StartTimer, StopTimer, SetText, ShowRunner, ShowFailureNotice, Activate };

  explicit HostRequest(Kind what) : kind(what) {}

  Kind kind;
  UINT_PTR timerId = 0;
  UINT periodMs = 0;
  WorkerText text = WorkerText::Size;
  std::wstring textValue;
  int value = 0;  // ShowRunner: show; ShowFailureNotice: the kind
};

}  // namespace dl
