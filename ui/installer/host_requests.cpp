// The window's side of the install worker: the thread that runs it, the progress hook it
// downloads through, and the requests it makes, which wait in a queue under a lock until the
// window's thread carries them out (one wake-up message pending at most).
#include <utility>

#include "app/install_base.h"
#include "app/instance_guard.h"
#include "install/install_worker.h"
#include "ui/installer/download_window.h"

namespace dl {

DWORD WINAPI DownloadWindow::WorkerMain(void* window) {
  static_cast<DownloadWindow*>(window)->RunWorker();
  return 0;
}

void DownloadWindow::RunWorker() { RunInstall(*this, *this, progress_, gate_); }

void DownloadWindow::OnProgress(HANDLE, int, uint32_t elapsed, uint64_t received, uint64_t total,
                                uint64_t fileBytes, int32_t) {
  RecordProgress(progress_, gate_, elapsed, received, total, fileBytes);
}

std::wstring DownloadWindow::InstallFolder() {
  // The label is safe to read from any thread; its text starts with "安装路径：".
  const std::wstring text = ui_.pathLabel->CopyText();
  if (text.size() < kPathLabelPrefixLength) return std::wstring();
  return text.substr(kPathLabelPrefixLength);
}

void DownloadWindow::StartTimer(UINT_PTR id, UINT periodMs) {
  HostRequest request(HostRequest::Kind::StartTimer);
  request.timerId = id;
  request.periodMs = periodMs;
  Queue(std::move(request));
}

void DownloadWindow::StopTimer(UINT_PTR id) {
  HostRequest request(HostRequest::Kind::StopTimer);
  request.timerId = id;
  Queue(std::move(request));
}

void DownloadWindow::SetText(WorkerText which, const wchar_t* text) {
  HostRequest request(HostRequest::Kind::SetText);
  request.text = which;
  if (text != nullptr) request.textValue = text;
  Queue(std::move(request));
}

void DownloadWindow::ShowRunner(int show) {
  HostRequest request(HostRequest::Kind::ShowRunner);
  request.value = show;
  Queue(std::move(request));
}

void DownloadWindow::ShowFailureNotice(int kind) {
  HostRequest request(HostRequest::Kind::ShowFailureNotice);
  request.value = kind;
  Queue(std::move(request));
}

void DownloadWindow::PostActivate() { Queue(HostRequest(HostRequest::Kind::Activate)); }

void DownloadWindow::ReportDone() { SetEvent(reportDone_.Get()); }

void DownloadWindow::Queue(HostRequest request) {
  std::lock_guard<std::mutex> lock(requestsMutex_);
  requests_.push_back(std::move(request));
  if (wakePosted_) return;
  wakePosted_ = PostMessageW(GetHwnd(), WM_HOST_REQUEST, 0, 0) != FALSE;
}

void DownloadWindow::RunQueuedRequests() {
  std::deque<HostRequest> due;
  {
    std::lock_guard<std::mutex> lock(requestsMutex_);
    due.swap(requests_);
    wakePosted_ = false;
  }
  for (const HostRequest& request : due) Carry(request);
}

void DownloadWindow::Carry(const HostRequest& request) {
  switch (request.kind) {
    case HostRequest::Kind::StartTimer:
      // A worker paused just after asking for a display timer leaves it off; resuming
      // starts both display timers anyway.
      if (gate_.IsPaused() &&
          (request.timerId == TIMER_RUNNER || request.timerId == TIMER_PROGRESS)) {
        break;
      }
      SetTimer(request.timerId, request.periodMs);
      break;
    case HostRequest::Kind::StopTimer:
      KillTimer(request.timerId);
      break;
    case HostRequest::Kind::SetText: {
      Label* label = request.text == WorkerText::Size      ? ui_.sizeLabel
                     : request.text == WorkerText::Percent ? ui_.percentLabel
                                                           : ui_.installLabel;
      label->SetText(request.textValue.c_str());
      break;
    }
    case HostRequest::Kind::ShowRunner:
      ui_.runner->Show(request.value);
      break;
    case HostRequest::Kind::ShowFailureNotice:
      PutUpFailureNotice(request.value);
      break;
    case HostRequest::Kind::Activate:
      // The same way a second start asks; handled after what the worker asked before.
      if (WM_DOWNLOADER_ACTIVATE != 0) PostMessageW(GetHwnd(), WM_DOWNLOADER_ACTIVATE, 0, 0);
      break;
  }
}

}  // namespace dl
