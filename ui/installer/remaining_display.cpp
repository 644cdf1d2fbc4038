// The time left, on a line of its own under the speed text and in its look, from the rate
// smoothed over the progress ticks. It shows only while bytes are expected: not before the rate
// is known, nor while paused or waiting to reconnect.
#include "ui/installer/download_window.h"

namespace dl {

namespace {
constexpr size_t kRemainingTextCap = 32;
}  // namespace

void DownloadWindow::BuildRemainingLabel() {
  // One line of the speed text lower, from its left edge to the install button.
  const RECT speed = ui_.speedLabel->GetRect();
  const RECT button = ui_.installButton->GetRect();
  const LONG line = (speed.bottom - speed.top) * 3 / 4;
  const RECT origin = GetRect();
  const RECT at = {speed.left - origin.left, speed.top + line - origin.top,
                   button.left - origin.left, speed.bottom + line - origin.top};
  auto label =
      std::make_unique<Label>(at, nullptr, this, ui_.speedLabel->font(), ui_.speedLabel->format(),
                              ui_.speedLabel->brush(), 0, nullptr, nullptr);
  ui_.remainingLabel = label.release();  // the window's tree owns it
  ui_.remainingLabel->Enable(0);         // lets the mouse through, like the speed text
  ui_.remainingLabel->Show(0);
}

void DownloadWindow::ShowRemaining(const DownloadFigures& figures) {
  if (reconnecting_) return;  // HideRemainingWhenStill has hidden it
  rate_.Feed(GetTickCount64(), figures.downloadedBytes);
  wchar_t text[kRemainingTextCap];
  const bool known =
      rate_.known() && FormatRemaining(SecondsRemaining(figures.downloadedBytes, figures.totalBytes,
                                                        rate_.bytesPerSecond()),
                                       text, kRemainingTextCap);
  ui_.remainingLabel->SetText(known ? text : nullptr);
  ui_.remainingLabel->Show(known ? 1 : 0);
}

void DownloadWindow::HideRemainingWhenStill() {
  if (controller_->state() == InstallState::Downloading && !reconnecting_) return;
  // The ticks stop or bring nothing: the next one after them starts a new interval.
  rate_.Rebase();
  if (ui_.remainingLabel->IsVisible() == 0) return;
  ui_.remainingLabel->SetText(nullptr);
  ui_.remainingLabel->Show(0);
}

}  // namespace dl
