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

void NoticeWindow::Show(int show) {
  SkinWindow::Show(show);
  // After showing: a stop counts only while its window shows.
  if (show != 0) keys_.Reset();
}

LRESULT NoticeWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT answer = 0;
  if (!keys_.OnMessage(msg, wParam, lParam) && !access_.OnMessage(msg, wParam, lParam, &answer)) {
    answer = SkinWindow::HandleMessage(msg, wParam, lParam);
  }
  keys_.Sync();
  access_.Announce();
  return answer;
}

int NoticeWindow::GetDragRect(RECT* out, Control* control) {
  if (control == nullptr || control != dragHandle_) return 0;
  return GetLayoutClientRect(out) ? 1 : 0;
}

}  // namespace dl
