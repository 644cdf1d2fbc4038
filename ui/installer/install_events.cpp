// The installation's events on their way from the worker's thread to the window's: they wait in
// a queue under a lock (one wake-up message pending at most) and are carried out in order on
// the window's thread, where they become what the user sees.
#include "config/site_record.h"
#include "ui/installer/download_window.h"
#include "ui/installer/progress_display.h"
#include "ui/installer/window_messages.h"

namespace dl {

namespace {
constexpr wchar_t kStartingText[] = L"正在启动";
constexpr wchar_t kCompletePercent[] = L"100%";
constexpr size_t kSizeTextCap = 48;
}  // namespace

const wchar_t kReconnectingText[] = L"正在重新连接…";

void DownloadWindow::OnDownloadStarted() { Queue({QueuedEvent::Kind::DownloadStarted, {}}); }

void DownloadWindow::OnReconnecting() { Queue({QueuedEvent::Kind::Reconnecting, {}}); }

void DownloadWindow::OnReconnected() { Queue({QueuedEvent::Kind::Reconnected, {}}); }

void DownloadWindow::OnDownloadComplete(const DownloadFigures& figures) {
  Queue({QueuedEvent::Kind::DownloadComplete, figures});
}

void DownloadWindow::OnExtracting() { Queue({QueuedEvent::Kind::Extracting, {}}); }

void DownloadWindow::OnUnpacked(const UnpackFigures& figures) {
  QueuedEvent event{QueuedEvent::Kind::Unpacked, {}};
  event.unpack = figures;
  Queue(event);
}

void DownloadWindow::OnInstalled() { Queue({QueuedEvent::Kind::Installed, {}}); }

void DownloadWindow::OnFailed(FailureKind kind, int) {
  Queue({QueuedEvent::Kind::Failed, {}, kind});
}

void DownloadWindow::OnPresentLobbyStarted() { Queue({QueuedEvent::Kind::LobbyStarted, {}}); }

void DownloadWindow::Queue(const QueuedEvent& event) {
  std::lock_guard<std::mutex> lock(eventsMutex_);
  events_.push_back(event);
  if (wakePosted_) return;
  wakePosted_ = PostMessageW(GetHwnd(), WM_INSTALL_EVENT, 0, 0) != FALSE;
}

void DownloadWindow::RunQueuedEvents() {
  std::deque<QueuedEvent> due;
  {
    std::lock_guard<std::mutex> lock(eventsMutex_);
    due.swap(events_);
    wakePosted_ = false;
  }
  for (const QueuedEvent& event : due) Carry(event);
}

void DownloadWindow::Carry(const QueuedEvent& event) {
  switch (event.kind) {
    case QueuedEvent::Kind::DownloadStarted:
      // A new attempt after a failure notice starts with live figures.
      reconnecting_ = false;
      // A worker paused right after it started leaves the runner still; resuming starts it.
      if (!controller_->IsPaused()) SetTimer(TIMER_RUNNER, TIMER_RUNNER_MS);
      break;
    case QueuedEvent::Kind::Reconnecting:
      // A stale speed would say the download is moving; a running man that it is.
      reconnecting_ = true;
      KillTimer(TIMER_RUNNER);
      if (!controller_->IsPaused()) ui_.speedLabel->SetText(kReconnectingText);
      break;
    case QueuedEvent::Kind::Reconnected:
      // The next progress tick writes the speed again.
      reconnecting_ = false;
      if (!controller_->IsPaused()) SetTimer(TIMER_RUNNER, TIMER_RUNNER_MS);
      break;
    case QueuedEvent::Kind::DownloadComplete: {
      // The figures stop with the download: the last ones are shown as they are.
      reconnecting_ = false;
      KillTimer(TIMER_RUNNER);
      KillTimer(TIMER_PROGRESS);
      wchar_t size[kSizeTextCap];
      FormatSizeText(event.figures.downloadedBytes, event.figures.totalBytes, size, kSizeTextCap);
      ui_.sizeLabel->SetText(size);
      ui_.percentLabel->SetText(kCompletePercent);
      break;
    }
    case QueuedEvent::Kind::Extracting:
      ui_.installLabel->SetText(kStartingText);
      break;
    case QueuedEvent::Kind::Installed:
      // The icon appears once the shell has taken in the new shortcut.
      SetTimer(TIMER_ICON_TIP, TIMER_ICON_TIP_MS);
      // The same way a second start asks; handled after what the worker reported before.
      PostMessageW(GetHwnd(), ActivateMessage(), 0, 0);
      ui_.runner->Show(0);
      SetTimer(TIMER_HIDE_ICON_TIP, TIMER_HIDE_ICON_TIP_MS);
      break;
    case QueuedEvent::Kind::Failed:
      PutUpFailureNotice(event.failure);
      break;
    case QueuedEvent::Kind::LobbyStarted:
      CanClose();
      break;
    case QueuedEvent::Kind::Unpacked:
      if (event.unpack.asItArrived) {
        logFile_.Write("unpacked as it arrived: %d entries, %llu bytes", event.unpack.entries,
                       static_cast<unsigned long long>(event.unpack.bytes));
      } else {
        logFile_.Write("unpacked from the whole package: result %d", event.unpack.result);
      }
      break;
  }
}

}  // namespace dl
