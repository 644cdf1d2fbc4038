// The download's progress on the program's taskbar button. The shell's interface for it is
// asked for only once the shell has announced the button ("TaskbarButtonCreated", again after
// the taskbar restarts); where the interface does not exist or does nothing (older shells,
// wine), the button simply shows no progress and nothing else changes.
#pragma once

#include <windows.h>

#include <shobjidl.h>

#include <cstdint>

#include "base/com_owner.h"

namespace dl {

enum class TaskbarState { kNone, kNormal, kPaused, kError, kIndeterminate };

class TaskbarProgress {
 public:
  // For `window`, on its thread: joins the thread to COM and lets the shell's announcement
  // through to an elevated program.
  explicit TaskbarProgress(HWND window);
  TaskbarProgress(const TaskbarProgress&) = delete;
  TaskbarProgress& operator=(const TaskbarProgress&) = delete;

  // True for the announcement, after which the button shows what Show last asked for.
  bool OnMessage(UINT msg);
  // Shows the state with completed of total (in thousandths, so that a new byte count does not
  // reach the shell every tick); the same again does nothing.
  void Show(TaskbarState state, uint64_t completed, uint64_t total);

  TaskbarState state() const { return state_; }
  bool connected() const { return static_cast<bool>(taskbar_); }

 private:
  void Apply();

  HWND window_;
  ComApartment com_;  // before the interface, which is released first
  ComOwner<ITaskbarList3> taskbar_;
  TaskbarState state_ = TaskbarState::kNone;
  uint32_t permille_ = 0;
};

}  // namespace dl
