#include "ui/installer/taskbar_progress.h"

namespace dl {

namespace {

constexpr CLSID kTaskbarList = {
    0x56fdf344, 0xfd6d, 0x11d0, {0x95, 0x8a, 0x00, 0x60, 0x97, 0xc9, 0xa0, 0x90}};

UINT ButtonCreatedMessage() {
  static const UINT message = RegisterWindowMessageW(L"TaskbarButtonCreated");
  return message;
}

TBPFLAG Flag(TaskbarState state) {
  switch (state) {
    case TaskbarState::kNormal:
      return TBPF_NORMAL;
    case TaskbarState::kPaused:
      return TBPF_PAUSED;
    case TaskbarState::kError:
      return TBPF_ERROR;
    case TaskbarState::kIndeterminate:
      return TBPF_INDETERMINATE;
    case TaskbarState::kNone:
      break;
  }
  return TBPF_NOPROGRESS;
}

}  // namespace

TaskbarProgress::TaskbarProgress(HWND window) : window_(window) {
  // The shell runs unelevated; its message would not reach this elevated window otherwise.
  if (ButtonCreatedMessage() != 0) {
    ChangeWindowMessageFilterEx(window_, ButtonCreatedMessage(), MSGFLT_ALLOW, nullptr);
  }
}

bool TaskbarProgress::OnMessage(UINT msg) {
  if (msg == 0 || msg != ButtonCreatedMessage()) return false;
  // A restarted taskbar announces a new button; the old interface served the old one.
  taskbar_.Reset();
  void* object = nullptr;
  if (FAILED(CoCreateInstance(kTaskbarList, nullptr, CLSCTX_INPROC_SERVER, __uuidof(ITaskbarList3),
                              &object)) ||
      object == nullptr) {
    return true;
  }
  taskbar_.Reset(static_cast<ITaskbarList3*>(object));
  if (FAILED(taskbar_.Get()->HrInit())) {
    taskbar_.Reset();
    return true;
  }
  Apply();
  return true;
}

void TaskbarProgress::Show(TaskbarState state, uint64_t completed, uint64_t total) {
  const uint32_t permille =
      total == 0 ? 0 : static_cast<uint32_t>(completed >= total ? 1000 : completed * 1000 / total);
  if (state == state_ && permille == permille_) return;
  state_ = state;
  permille_ = permille;
  Apply();
}

void TaskbarProgress::Apply() {
  if (!taskbar_) return;
  // A failing call leaves the button as it was; the installation does not depend on it.
  taskbar_.Get()->SetProgressState(window_, Flag(state_));
  if (state_ != TaskbarState::kNone && state_ != TaskbarState::kIndeterminate) {
    taskbar_.Get()->SetProgressValue(window_, permille_, 1000);
  }
}

}  // namespace dl
