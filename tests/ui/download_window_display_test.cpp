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

TEST_F(InstallerDisplay, ProgressRefreshDrawsTheStoredFiguresOnTheBarAndTheRunner) {
  const dl::MainControls& ui = window_->controls();
  dl::InstallProgress& p = window_->progress();
  struct Step {
    uint32_t downloaded, total, ms;
    uint64_t received;
    const wchar_t *size, *speed, *percent;
    LONG fillRight, runnerLeft;
  };
  const Step steps[] = {
      {0, 0, 0, 0, L"0.00M/0.00M", L"当前下载速度：0K/S", L"0%", 31, 11},  // the starting figures
      {1048576, 2097152, 4000, 5000000, L"1.00M/2.00M", L"当前下载速度：1M/S", L"50%", 299, 279},
      {3000000, 0, 1000, 67109000, L"2.86M/0.00M", L"当前下载速度：0K/S", L"0%", 31, 11},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.percent);
    if (s.ms != 0) {
      p.downloadedBytes.store(s.downloaded);
      p.totalBytes.store(s.total);
      p.transferMs.store(s.ms);
      p.receivedBytes.store(s.received);
    }
    window_->OnTimer(dl::TIMER_PROGRESS);
    EXPECT_EQ(TextOf(ui.sizeLabel), s.size);
    EXPECT_EQ(TextOf(ui.speedLabel), s.speed);
    EXPECT_EQ(TextOf(ui.percentLabel), s.percent);
    EXPECT_TRUE(RectIs(ui.progressFill->GetRect(), 31, 252, s.fillRight, 266));
    EXPECT_TRUE(RectIs(ui.runner->GetRect(), s.runnerLeft, 237, s.runnerLeft + 25, 278));
    EXPECT_EQ(ui.progressFill->IsStretched(), 0) << "the fill shows its skin unscaled";
    EXPECT_EQ(ui.runner->IsVisible(), 0) << "moved, still hidden";
  }
}

TEST_F(InstallerDisplay, RunnerAndTipsStepAndOtherIdsChangeNothing) {
  const dl::MainControls& ui = window_->controls();
  int col = -1, row = -1;
  for (int step = 1; step <= 18; ++step) {
    window_->OnTimer(dl::TIMER_RUNNER);
    ui.runner->GetFrame(&col, &row);
    ASSERT_EQ(col, step == 18 ? 1 : step) << "frames 1 to 17; frame 0 is not in the cycle";
  }
  for (int turn = 1; turn <= 6; ++turn) {
    window_->OnTimer(dl::TIMER_TIPS);
    EXPECT_EQ(TextOf(ui.tipLabel), dl::kSite.tips[turn % 5]) << "turn " << turn;
  }

  window_->OnTimer(1);
  window_->OnTimer(116);
  ui.runner->GetFrame(&col, &row);
  EXPECT_EQ(col, 1);
  EXPECT_EQ(TextOf(ui.tipLabel), dl::kSite.tips[1]);
  EXPECT_EQ(ui.sizeLabel->GetText(), nullptr);
  EXPECT_TRUE(RectIs(ui.progressFill->GetRect(), 31, 252, 31, 266));
}

}  // namespace
}  // namespace dltest
