// What the user can make the installer do: the install button by install state, close to the
// tray, minimise, the folder choice, the notice's buttons, the tray menu's exit, and a second
// start of the program (or the installation's success), which acts like a click on the install
// button after bringing the window to the front.
#include "install/channel_profile.h"
#include "ui/installer/download_window.h"
#include "ui/installer/window_messages.h"

namespace dl {

namespace {
constexpr wchar_t kPauseText[] = L"暂停安装";
constexpr wchar_t kContinueText[] = L"继续安装";
constexpr wchar_t kPausedSpeedText[] = L"当前下载速度：0K/S";
}  // namespace

LRESULT DownloadWindow::Notify(ControlEvent* event, Control* source) {
  if (event == nullptr || source == nullptr || event->code != CN_CLICK) return 0;
  switch (source->GetId()) {
    case ID_INSTALL:
      OnInstallClick();
      break;
    case ID_CLOSE:
      // The installation goes on; the tray icon brings the window back.
      trayIcon_.ShowIcon();
      ShowWindow(GetHwnd(), SW_HIDE);
      break;
    case ID_MINIMIZE:
      ShowWindow(GetHwnd(), SW_MINIMIZE);
      break;
    case ID_MODIFY_PATH:
      ChooseFolder();
      break;
    default:
      break;
  }
  return 0;
}

void DownloadWindow::OnInstallClick() {
  // Each step changes the state only from the one it read: the worker may have moved on to
  // the extraction meanwhile, and then the click does nothing.
  switch (controller_->state()) {
    case InstallState::Idle:
      if (!controller_->Start(Target())) return;
      SetTimer(TIMER_PROGRESS, TIMER_PROGRESS_MS);
      ui_.installLabel->SetText(kPauseText);
      ui_.modifyButton->Enable(0);
      ui_.runner->Show(1);
      break;
    case InstallState::Downloading:
      // The worker stops at its next pause point, between two blocks, holding no lock.
      if (!controller_->Pause()) return;
      KillTimer(TIMER_PROGRESS);
      ui_.installLabel->SetText(kContinueText);
      ui_.speedLabel->SetText(kPausedSpeedText);
      KillTimer(TIMER_RUNNER);
      break;
    case InstallState::Paused:
      if (!controller_->Resume()) return;
      SetTimer(TIMER_PROGRESS, TIMER_PROGRESS_MS);
      ui_.installLabel->SetText(kPauseText);
      // Still without a connection, the runner waits for the first byte.
      if (!reconnecting_) SetTimer(TIMER_RUNNER, TIMER_RUNNER_MS);
      break;
    case InstallState::Installed:
      LaunchLobby();
      break;
    case InstallState::Extracting:  // the click waits for the outcome
      break;
  }
}

void DownloadWindow::StartNewAttempt(bool heldPaused) {
  ui_.installLabel->SetText(heldPaused ? kContinueText : kPauseText);
  controller_->Restart(Target(), heldPaused);
}

void DownloadWindow::Activate() {
  WriteChannelProfile(Target().folder.c_str(), settings_.channelId);
  trayIcon_.HideIcon();
  ShowWindow(GetHwnd(), SW_RESTORE);
  SetForegroundWindow(GetHwnd());
  ControlEvent click = {0, 0, CN_CLICK};
  Notify(&click, ui_.installButton);
}

LRESULT DownloadWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT answer = 0;
  if (HandleAccessMessage(message, wParam, lParam, &answer)) return answer;
  if (message == ActivateMessage()) {
    Activate();
  } else {
    switch (message) {
      case WM_COMMAND:
        if (wParam == ID_TRAY_EXIT) {
          trayIcon_.HideIcon();
          CanClose();
        }
        break;
      case WM_SHOW_ICON_TIP:
        if (lParam != 0)
          ShowIconTip(reinterpret_cast<HWND>(wParam), reinterpret_cast<RECT*>(lParam));
        break;
      case WM_START_WORKER:
        StartNewAttempt(false);
        break;
      case WM_START_WORKER_PAUSED:
        StartNewAttempt(true);
        break;
      case WM_ATTACH_BANNER:
        // The banner is made on its own thread; it joins the tree only here, on this one.
        if (lParam != 0) {
          Control* banner = reinterpret_cast<Control*>(lParam);
          banner->SetParent(this);
          banner->Invalidate(nullptr, 0);
        }
        break;
      case WM_INSTALL_EVENT:
        RunQueuedEvents();
        break;
      default:
        break;
    }
  }
  answer = SkinWindow::HandleMessage(message, wParam, lParam);
  FollowChanges();
  return answer;
}

}  // namespace dl
