// The installer window and its notice for the keyboard, for screen readers and on the taskbar
// button: the tab stops in their order, the accessible children with their roles and names,
// and the button's progress state, all read from the window's state after each message.
#include "ui/installer/download_window.h"
#include "ui/installer/notice_window.h"

namespace dl {

namespace {

// Pictures whose words are part of their skins; texts drawn by labels are read from them.
constexpr wchar_t kModifyName[] = L"修改";
constexpr wchar_t kMinimizeName[] = L"最小化";
constexpr wchar_t kCloseName[] = L"关闭";
constexpr wchar_t kProgressName[] = L"下载进度";
constexpr wchar_t kRetryName[] = L"重新下载";
constexpr wchar_t kOkName[] = L"确定";

// The link's picture is as tall as its words: the ring keeps clear of them.
constexpr int kLinkRingOutset = 2;

AccessibleItem Text(Label* label) {
  return {label, ROLE_SYSTEM_STATICTEXT, nullptr, label, nullptr};
}

AccessibleItem PushButton(Control* button, const wchar_t* name) {
  return {button, ROLE_SYSTEM_PUSHBUTTON, name, nullptr, nullptr};
}

TaskbarState TaskbarStateFor(InstallState state, bool noticeShown) {
  if (noticeShown) return TaskbarState::kError;
  switch (state) {
    case InstallState::Downloading:
      return TaskbarState::kNormal;
    case InstallState::Paused:
      return TaskbarState::kPaused;
    case InstallState::Extracting:
      return TaskbarState::kIndeterminate;
    case InstallState::Idle:
    case InstallState::Installed:
      break;
  }
  return TaskbarState::kNone;
}

}  // namespace

void DownloadWindow::BuildAccess() {
  BuildRemainingLabel();
  keys_.AddStop(ui_.installButton);
  keys_.AddStop(ui_.modifyButton, kLinkRingOutset);
  keys_.AddStop(ui_.minimizeButton);
  keys_.AddStop(ui_.closeButton);
  keys_.set_close(ui_.closeButton);  // Alt+F4 goes to the tray like the close button

  access_.Add({ui_.installButton, ROLE_SYSTEM_PUSHBUTTON, nullptr, ui_.installLabel, nullptr});
  access_.Add({ui_.modifyButton, ROLE_SYSTEM_LINK, kModifyName, nullptr, nullptr});
  access_.Add(PushButton(ui_.minimizeButton, kMinimizeName));
  access_.Add(PushButton(ui_.closeButton, kCloseName));
  access_.Add(
      {ui_.progressTrack, ROLE_SYSTEM_PROGRESSBAR, kProgressName, nullptr, ui_.percentLabel});
  access_.Add(Text(ui_.pathLabel));
  access_.Add(Text(ui_.sizeLabel));
  access_.Add(Text(ui_.speedLabel));
  access_.Add(Text(ui_.remainingLabel));

  // The notice: 重新下载 first (the way out of a failed download), 确定 also for Escape and
  // Alt+F4.
  KeyboardFocus& noticeKeys = noticeWindow_->keys();
  noticeKeys.AddStop(notice_.noticeRetryButton);
  noticeKeys.AddStop(notice_.noticeOkButton);
  noticeKeys.set_escape(notice_.noticeOkButton);
  noticeKeys.set_close(notice_.noticeOkButton);
  Accessibility& noticeAccess = noticeWindow_->access();
  noticeAccess.Add(Text(notice_.noticeTitle));
  noticeAccess.Add(Text(notice_.noticeSubtitle));
  noticeAccess.Add(Text(notice_.noticeReasons));
  noticeAccess.Add(PushButton(notice_.noticeRetryButton, kRetryName));
  noticeAccess.Add(PushButton(notice_.noticeOkButton, kOkName));

  keys_.Reset();
  built_ = true;
  FollowChanges();
}

bool DownloadWindow::HandleAccessMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                         LRESULT* answer) {
  if (!built_) return false;
  *answer = 0;
  if (taskbar_.OnMessage(message)) return true;
  if (keys_.OnMessage(message, wParam, lParam)) {
    FollowChanges();
    return true;
  }
  return access_.OnMessage(message, wParam, lParam, answer);
}

void DownloadWindow::FollowChanges() {
  if (!built_) return;
  HideRemainingWhenStill();
  keys_.Sync();
  access_.Announce();
  const DownloadFigures figures = controller_->figures();
  taskbar_.Show(TaskbarStateFor(controller_->state(), noticeWindow_->IsVisible() != 0),
                figures.downloadedBytes, figures.totalBytes);
}

}  // namespace dl
