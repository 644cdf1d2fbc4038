// The worker's requests made from another thread: nothing changes until the window's thread
// carries them out, then everything does, in order; the failure notices of both kinds.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <thread>

#include "install/desktop_shortcut.h"
#include "install/install_host.h"
#include "tests/ui/installer_test_support.h"

namespace dltest {
namespace {

using InstallerHost = InstallerWindowTest;

void FromAnotherThread(const std::function<void()>& work) {
  std::thread thread(work);
  thread.join();
}

TEST_F(InstallerHost, RequestsWaitForTheWindowsThreadAndKeepTheirOrder) {
  TestWindow& w = *window_;
  const dl::MainControls& ui = w.controls();
  ui.runner->Show(1);
  w.SetTimer(dl::TIMER_RUNNER, dl::TIMER_RUNNER_MS);
  FromAnotherThread([&w] {
    wchar_t size[] = L"2.86M/2.86M";
    w.StopTimer(dl::TIMER_RUNNER);
    w.SetText(dl::WorkerText::Size, size);
    size[0] = L'X';  // the request has its own copy
    w.SetText(dl::WorkerText::Percent, L"100%");
    w.SetText(dl::WorkerText::InstallButton, L"正在启动");
    w.SetText(dl::WorkerText::InstallButton, L"第二");
    w.ShowRunner(0);
    w.StartTimer(dl::TIMER_HIDE_ICON_TIP, dl::TIMER_HIDE_ICON_TIP_MS);
    w.StartTimer(dl::TIMER_ICON_TIP, dl::kIconTipDelayMs);
  });
  EXPECT_EQ(ui.sizeLabel->GetText(), nullptr) << "nothing before the window's thread runs";
  EXPECT_EQ(ui.runner->IsVisible(), 1);

  PumpFor(50);
  EXPECT_EQ(TextOf(ui.sizeLabel), L"2.86M/2.86M");
  EXPECT_EQ(TextOf(ui.percentLabel), L"100%");
  EXPECT_EQ(TextOf(ui.installLabel), L"第二") << "the later text wins";
  EXPECT_EQ(ui.runner->IsVisible(), 0);
  EXPECT_FALSE(TimerRunning(w, dl::TIMER_RUNNER, dl::TIMER_RUNNER_MS));
  EXPECT_TRUE(TimerRunning(w, dl::TIMER_HIDE_ICON_TIP, dl::TIMER_HIDE_ICON_TIP_MS));
  EXPECT_TRUE(TimerRunning(w, dl::TIMER_ICON_TIP, dl::kIconTipDelayMs));
  w.KillTimer(dl::TIMER_ICON_TIP);

  // A worker paused right after asking for the display timers does not get them.
  w.gate().Pause();
  FromAnotherThread([&w] {
    w.StartTimer(dl::TIMER_RUNNER, dl::TIMER_RUNNER_MS);
    w.StartTimer(dl::TIMER_PROGRESS, dl::TIMER_PROGRESS_MS);
  });
  PumpFor(50);
  EXPECT_FALSE(TimerRunning(w, dl::TIMER_RUNNER, dl::TIMER_RUNNER_MS));
  EXPECT_FALSE(TimerRunning(w, dl::TIMER_PROGRESS, dl::TIMER_PROGRESS_MS));
  w.gate().Resume();
}

TEST_F(InstallerHost, SuccessActivationLaunchesAfterTheQueuedRequests) {
  TestWindow& w = *window_;
  w.controls().pathLabel->SetText((L"安装路径：" + folder_ + L"\\none\\").c_str());
  FromAnotherThread([&w] {
    dl::g_installState.store(dl::Installed);
    w.PostActivate();
    w.ShowRunner(0);
    w.ReportDone();
  });
  EXPECT_EQ(w.closeCalls.load(), 0);
  MessageBoxAnswer notFound(GetCurrentThreadId());  // the shell reports the missing program
  PumpFor(200);
  EXPECT_EQ(w.closeCalls.load(), 1) << "activated in state Installed: launch and end";
  // The missing lobby is logged with the shell's code; the process ends all the same.
  const std::string log = Log();
  EXPECT_TRUE(log.find("ShellExecuteEx [2]\r\n") != std::string::npos ||
              log.find("ShellExecuteEx [3]\r\n") != std::string::npos)
      << log;
}

TEST_F(InstallerHost, FailureNoticesOfBothKinds) {
  TestWindow& w = *window_;
  const dl::NoticeControls& n = w.notice();
  HWND notice = w.noticeWindow()->GetHwnd();
  const std::wstring buttonBefore = TextOf(w.controls().installLabel);
  dl::g_installState.store(dl::Extracting);

  FromAnotherThread([&w] { w.ShowFailureNotice(1); });
  EXPECT_FALSE(IsWindowVisible(notice));
  PumpFor(50);
  EXPECT_TRUE(IsWindowVisible(notice));
  EXPECT_EQ(TextOf(n.noticeTitle), L"安装失败：");
  EXPECT_EQ(TextOf(n.noticeSubtitle), L"以下问题可能是造成您安装失败的主要原因：");
  EXPECT_EQ(TextOf(n.noticeReasons),
            L"1.硬盘空间不足或被写保护。\n2.退出正在运行的游戏。\n3.防火墙阻挡导致安装失败。");
  EXPECT_EQ(n.noticeRetryButton->IsVisible(), 0) << "downloading again would not help";
  EXPECT_EQ(dl::g_installState.load(), dl::Extracting) << "nothing else changes";
  EXPECT_EQ(TextOf(w.controls().installLabel), buttonBefore);

  FromAnotherThread([&w] { w.ShowFailureNotice(0); });
  PumpFor(50);
  EXPECT_EQ(TextOf(n.noticeTitle), L"下载失败：");
  EXPECT_EQ(TextOf(n.noticeSubtitle), L"以下问题可能是造成您下载失败的主要原因：");
  EXPECT_EQ(TextOf(n.noticeReasons),
            L"1.网络不稳定造成。\n2.安全软件或防火墙阻挡了本次下载。\n3."
            L"检查客户端下载器是否是最新版本。");
  EXPECT_EQ(n.noticeRetryButton->IsVisible(), 1) << "back after the installation notice";

  ClickAt(notice, 370, 220);  // the retry button can be clicked where it is drawn
  PumpFor(50);
  EXPECT_FALSE(IsWindowVisible(notice));
  EXPECT_EQ(dl::g_installState.load(), dl::Downloading);
  EXPECT_EQ(TextOf(w.controls().installLabel), L"暂停安装");
}

}  // namespace
}  // namespace dltest
