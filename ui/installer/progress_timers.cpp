// The window's timers: the runner's animation, the tip rotation, the icon tip's two one-shot
// ticks and the progress refresh, which turns the worker's figures into the bar and texts.
#include "config/site_record.h"
#include "ui/installer/download_window.h"
#include "ui/installer/progress_display.h"

namespace dl {

namespace {
// The bar's geometry in the window: the fill starts at x 31 between y 252 and 266; the
// runner, one 25 x 41 frame, stands with its left edge 20 pixels left of the fill's end.
constexpr LONG kFillLeft = 31;
constexpr LONG kFillTop = 252;
constexpr LONG kFillBottom = 266;
constexpr LONG kRunnerOffset = 11;
constexpr LONG kRunnerWidth = 25;
constexpr LONG kRunnerTop = 237;
constexpr LONG kRunnerBottom = 278;
}  // namespace

void DownloadWindow::OnTimer(UINT_PTR id) {
  if (id == TIMER_RUNNER) {
    StepRunner();
  } else if (id == TIMER_TIPS) {
    RotateTip();
  } else if (id == TIMER_ICON_TIP) {
    OnIconTipTimer();
  } else if (id == TIMER_HIDE_ICON_TIP) {
    OnHideIconTipTimer();
  } else if (id == TIMER_PROGRESS) {
    RefreshProgress();
  }
}

void DownloadWindow::StepRunner() {
  int column = 0;
  int row = 0;
  ui_.runner->GetFrame(&column, &row);
  ui_.runner->SetFrame(NextRunnerColumn(column), row);
}

void DownloadWindow::RotateTip() {
  tipIndex_ = tipIndex_ + 1 >= kTipCount ? 0 : tipIndex_ + 1;
  ui_.tipLabel->SetText(kSite.tips[tipIndex_]);
}

void DownloadWindow::RefreshProgress() {
  const DownloadFigures got = controller_->figures();
  const ProgressFigures figures = {got.downloadedBytes, got.totalBytes, got.transferMs,
                                   got.receivedBytes};
  const ProgressView view = ComputeProgressView(figures);
  ui_.sizeLabel->SetText(view.sizeText);
  ui_.speedLabel->SetText(reconnecting_ ? kReconnectingText : view.speedText);
  ShowRemaining(got);
  const LONG fillRight = kFillLeft + view.fillWidth;
  // Unstretched, the fill shows the left part of its skin at 1:1.
  const RECT fill = {kFillLeft, kFillTop, fillRight, kFillBottom};
  ui_.progressFill->Move(&fill, 0);
  const RECT runner = {view.fillWidth + kRunnerOffset, kRunnerTop,
                       view.fillWidth + kRunnerOffset + kRunnerWidth, kRunnerBottom};
  ui_.runner->Move(&runner, 0);
  ui_.percentLabel->SetText(view.percentText);
}

}  // namespace dl
