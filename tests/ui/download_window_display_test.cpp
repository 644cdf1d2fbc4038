// The window's display timers on the real controls: the progress refresh from stored figures,
// the runner's frames, the tip rotation, and ids that are not the window's.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/site_record.h"
#include "install/install_host.h"
#include "tests/ui/installer_test_support.h"

namespace dltest {
namespace {

using InstallerDisplay = InstallerWindowTest;

void Store(dl::InstallProgress& p, uint32_t downloaded, uint32_t total, uint32_t ms,
           uint64_t received) {
  p.downloadedBytes.store(downloaded);
  p.totalBytes.store(total);
  p.transferMs.store(ms);
  p.receivedBytes.store(received);
}

TEST_F(InstallerDisplay, ProgressRefreshDrawsTheStoredFigures) {
  const dl::MainControls& ui = window_->controls();
  window_->OnTimer(dl::TIMER_PROGRESS);
  EXPECT_EQ(TextOf(ui.sizeLabel), L"0.00M/0.00M") << "the starting figures";
  EXPECT_EQ(TextOf(ui.speedLabel), L"当前下载速度：0K/S");
  EXPECT_EQ(TextOf(ui.percentLabel), L"0%");
  EXPECT_TRUE(RectIs(ui.progressFill->GetRect(), 31, 252, 31, 266));
  EXPECT_TRUE(RectIs(ui.runner->GetRect(), 11, 237, 36, 278));

  Store(window_->progress(), 1048576, 2097152, 4000, 5000000);
  window_->OnTimer(dl::TIMER_PROGRESS);
  EXPECT_EQ(TextOf(ui.sizeLabel), L"1.00M/2.00M");
  EXPECT_EQ(TextOf(ui.speedLabel), L"当前下载速度：1M/S");
  EXPECT_EQ(TextOf(ui.percentLabel), L"50%");
  EXPECT_TRUE(RectIs(ui.progressFill->GetRect(), 31, 252, 299, 266));
  EXPECT_EQ(ui.progressFill->IsStretched(), 0) << "the fill shows its skin unscaled";
  EXPECT_TRUE(RectIs(ui.runner->GetRect(), 279, 237, 304, 278));
  EXPECT_EQ(ui.runner->IsVisible(), 0) << "moved, still hidden";

  Store(window_->progress(), 3000000, 3000000, 1000, 1048000);
  window_->OnTimer(dl::TIMER_PROGRESS);
  EXPECT_EQ(TextOf(ui.sizeLabel), L"2.86M/2.86M");
  EXPECT_EQ(TextOf(ui.speedLabel), L"当前下载速度：1023K/S");
  EXPECT_EQ(TextOf(ui.percentLabel), L"99%");
  EXPECT_TRUE(RectIs(ui.progressFill->GetRect(), 31, 252, 567, 266));
  EXPECT_EQ(ui.runner->GetRect().left, 547);

  // A server without a length: no fault, an empty bar.
  Store(window_->progress(), 3000000, 0, 1000, 67109000);
  window_->OnTimer(dl::TIMER_PROGRESS);
  EXPECT_EQ(TextOf(ui.percentLabel), L"0%");
  EXPECT_EQ(TextOf(ui.speedLabel), L"当前下载速度：0K/S");
  EXPECT_TRUE(RectIs(ui.progressFill->GetRect(), 31, 252, 31, 266));
  EXPECT_TRUE(RectIs(ui.runner->GetRect(), 11, 237, 36, 278));
}

TEST_F(InstallerDisplay, RunnerAndTipsStepAndOtherIdsChangeNothing) {
  const dl::MainControls& ui = window_->controls();
  int col = -1, row = -1;
  for (int step = 1; step <= 17; ++step) {
    window_->OnTimer(dl::TIMER_RUNNER);
    ui.runner->GetFrame(&col, &row);
    ASSERT_EQ(col, step);
    ASSERT_EQ(row, 0);
  }
  window_->OnTimer(dl::TIMER_RUNNER);
  ui.runner->GetFrame(&col, &row);
  EXPECT_EQ(col, 1) << "frame 0 is not part of the cycle";

  for (int turn = 1; turn <= 6; ++turn) {
    window_->OnTimer(dl::TIMER_TIPS);
    EXPECT_EQ(TextOf(ui.tipLabel), dl::kSite.tips[turn % 5]) << "turn " << turn;
  }

  const RECT fill = ui.progressFill->GetRect();
  window_->OnTimer(1);
  window_->OnTimer(116);
  ui.runner->GetFrame(&col, &row);
  EXPECT_EQ(col, 1);
  EXPECT_EQ(TextOf(ui.tipLabel), dl::kSite.tips[1]);
  EXPECT_EQ(ui.sizeLabel->GetText(), nullptr);
  EXPECT_TRUE(RectIs(ui.progressFill->GetRect(), fill.left, fill.top, fill.right, fill.bottom));
}

}  // namespace
}  // namespace dltest
