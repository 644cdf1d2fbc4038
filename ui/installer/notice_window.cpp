#include "ui/installer/notice_window.h"

#include "ui/installer/window_messages.h"

namespace dl {

const wchar_t kNoticeClassName[] = L"ERROR_WINDOW";

NoticeWindow::NoticeWindow(const RECT& rect, HWND installerWindow)
    : SkinWindow(rect, nullptr, kNoticeClassName, installerWindow, WS_EX_LAYERED, WS_POPUP,
                 CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, 0, nullptr, nullptr),
      installerWindow_(installerWindow) {}

NoticeWindow::~NoticeWindow() = default;

LRESULT NoticeWindow::Notify(ControlEvent* event, Control* source) {
  if (event == nullptr || source == nullptr || event->code != CN_CLICK) return 0;
  const int id = source->GetId();
  if (id == ID_NOTICE_OK) {
    SendMessageW(installerWindow_, WM_START_WORKER_PAUSED, 0, 0);
    Show(0);
  } else if (id == ID_NOTICE_RETRY) {
    SendMessageW(installerWindow_, WM_START_WORKER, 0, 0);
    Show(0);
  }
  return 0;
}

int NoticeWindow::GetDragRect(RECT* out, Control* control) {
  if (control == nullptr || control != dragHandle_) return 0;
  return GetLayoutClientRect(out) ? 1 : 0;
}

}  // namespace dl
