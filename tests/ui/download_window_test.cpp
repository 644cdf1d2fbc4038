// The installer window with the downloader's own resources and a stand-in worker the test steers:
// clicks and drags, the install button up to the launch, the failure notice, the tray, and
// requests from the worker's thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "app/instance_guard.h"
#include "app/process_startup.h"
#include "install/install_host.h"
#include "tests/support/win_test_util.h"
#include "tests/ui/ui_test_support.h"
#include "ui/installer/download_window.h"
#include "ui/installer/window_messages.h"

namespace dltest {
namespace {

dl::ProcessStartup g_startup;

// Waits at the gate like the real worker, then reports a block every 5 ms until told to finish.
class TestWindow : public dl::DownloadWindow {
 public:
  TestWindow() : DownloadWindow(nullptr) {}
  ~TestWindow() override { FinishWorker(); }
  int CanClose() override {
    ++closeCalls;
    return 0;
  }
  void FinishWorker() {
    workerMayRun.store(false);
    gate().Resume();
    if (workerThread() != nullptr) WaitForSingleObject(workerThread(), INFINITE);
  }

  std::atomic<int> closeCalls{0}, workersStarted{0}, blocks{0};
  std::atomic<bool> workerMayRun{true};

 protected:
  void RunWorker() override {
    gate().WaitWhilePaused();
    ++workersStarted;
    while (workerMayRun.load()) {
      const int n = ++blocks;
      OnProgress(nullptr, 1, 10u * n, 1000u * n, 1000000, 1000u * n, 0);
      Sleep(5);
    }
  }
};

// Probed by stopping the timer and setting it again.
bool TimerRunning(dl::SkinWindow& window, UINT_PTR id, UINT period) {
  if (!window.KillTimer(id)) return false;
  window.SetTimer(id, period);
  return true;
}
// A click as the tree passes it up, and as the user makes it.
void Click(dl::Control* window, dl::Control* source) {
  dl::ControlEvent click = {0, 0, dl::CN_CLICK};
  window->Notify(&click, source);
}
void ClickAt(HWND hwnd, int x, int y) {
  SendMessageW(hwnd, WM_MOUSEMOVE, 0, Point(x, y));
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, Point(x, y));
  SendMessageW(hwnd, WM_LBUTTONUP, 0, Point(x, y));
}

// The window opens its debug log in the current folder; the install state starts at Idle.
class InstallerWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    GetCurrentDirectoryW(MAX_PATH, oldCurrent_);
    ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
    ASSERT_TRUE(WriteWholeFile(folder_ + L"\\__lobby_dl_debug.log", ""));
    dl::g_installState.store(dl::Idle);
    window_ = std::make_unique<TestWindow>();
    ASSERT_NE(window_->GetHwnd(), nullptr);
    PumpFor(50);
  }
  void TearDown() override {
    window_.reset();
    SetCurrentDirectoryW(oldCurrent_);
  }

  const std::wstring folder_ = FreshTempFolder(L"dl_installer_window");
  wchar_t oldCurrent_[MAX_PATH] = {};
  std::unique_ptr<TestWindow> window_;
};

TEST_F(InstallerWindow, ClicksReachTheControlUnderThemAndOnlyTheTitleBarAndEditionTextDrag) {
  const dl::MainControls& ui = window_->controls();
  struct Probe {
    int x, y;
    dl::Control* expected;  // null: whatever is there
    int drags;
  } const probes[] = {
      {50, 20, ui.titleBar, 1},        {300, 20, ui.versionLabel, 1},  {300, 120, nullptr, 0},
      {100, 235, ui.pathLabel, 0},     {300, 262, ui.percentLabel, 0}, {15, 340, nullptr, 0},
      {499, 300, ui.installButton, 0},
  };
  RECT drag = {};
  for (const Probe& p : probes) {
    dl::Control* hit = window_->HitTest(p.x, p.y);
    ASSERT_NE(hit, nullptr) << p.x << "," << p.y;
    EXPECT_EQ(hit, p.expected != nullptr ? p.expected : hit) << p.x << "," << p.y;
    EXPECT_EQ(window_->GetDragRect(&drag, hit), p.drags) << p.x << "," << p.y;
  }
  window_->GetDragRect(&drag, ui.titleBar);
  EXPECT_EQ(Box(drag), "0,0,600,350") << "the whole window moves";
  dl::SkinWindow* notice = window_->noticeWindow();
  EXPECT_EQ(notice->GetDragRect(&drag, window_->notice().noticeImage), 1);
  EXPECT_EQ(notice->GetDragRect(&drag, window_->notice().noticeOkButton), 0);
  ClickAt(window_->GetHwnd(), 582, 18);  // the close button hides the window to the tray
  EXPECT_TRUE(window_->trayIcon().iconShown() && window_->closeCalls.load() == 0);
  ClickAt(window_->GetHwnd(), 499, 300);
  EXPECT_EQ(dl::g_installState.load(), dl::Downloading) << "clicked through the button's label";
}

bool WorkerMoves(TestWindow& window) {
  const int before = window.blocks.load();
  PumpFor(150);
  return window.blocks.load() > before;
}

bool WaitFor(const std::atomic<int>& value, int atLeast) {
  for (int waited = 0; waited < 5000 && value.load() < atLeast; waited += 10) PumpFor(10);
  return value.load() >= atLeast;
}

void ExpectState(TestWindow& w, int state, const wchar_t* label, bool displayTimers) {
  EXPECT_EQ(dl::g_installState.load(), state);
  EXPECT_EQ(w.controls().installLabel->CopyText(), label);
  EXPECT_EQ(TimerRunning(w, dl::TIMER_PROGRESS, dl::TIMER_PROGRESS_MS), displayTimers);
  EXPECT_EQ(TimerRunning(w, dl::TIMER_RUNNER, dl::TIMER_RUNNER_MS), displayTimers);
}

TEST_F(InstallerWindow, InstallButtonStartsPausesContinuesWaitsAndLaunches) {
  TestWindow& w = *window_;
  const dl::MainControls& ui = w.controls();
  Click(&w, ui.installButton);
  EXPECT_EQ(dl::g_installState.load(), dl::Downloading);
  EXPECT_EQ(ui.modifyButton->IsEnabled(), 0) << "no folder change under a running download";
  ASSERT_TRUE(WaitFor(w.workersStarted, 1));

  w.SetTimer(dl::TIMER_RUNNER, dl::TIMER_RUNNER_MS);  // as the worker does
  Click(&w, ui.installButton);
  ExpectState(w, dl::Paused, L"继续安装", false);
  EXPECT_EQ(ui.speedLabel->CopyText(), L"当前下载速度：0K/S");
  PumpFor(50);  // a block under way when the pause came may still finish
  EXPECT_FALSE(WorkerMoves(w)) << "a paused worker transfers nothing";

  Click(&w, ui.installButton);
  ExpectState(w, dl::Downloading, L"暂停安装", true);
  EXPECT_TRUE(WorkerMoves(w));
  EXPECT_EQ(w.workersStarted.load(), 1) << "the same worker goes on";

  dl::g_installState.store(dl::Extracting);
  ui.installLabel->SetText(L"正在启动");
  Click(&w, ui.installButton);
  EXPECT_EQ(dl::g_installState.load(), dl::Extracting) << "the click waits for the outcome";
  EXPECT_FALSE(w.gate().IsPaused());

  // Installed: the lobby starts from the install folder, then the downloader ends.
  const std::wstring installFolder = folder_ + L"\\Tavoro";
  ASSERT_TRUE(CreateDirectoryW(installFolder.c_str(), nullptr));
  ASSERT_TRUE(CopyFileW((ProgramFolder() + L"lobby.exe").c_str(),
                        (installFolder + L"\\lobby.exe").c_str(), FALSE));
  ui.pathLabel->SetText((L"安装路径：" + installFolder + L"\\").c_str());
  dl::g_installState.store(dl::Installed);
  w.ReportDone();
  Click(&w, ui.installButton);
  EXPECT_EQ(w.closeCalls.load(), 1);
  bool ran = false;  // the stand-in lobby leaves a note beside itself
  for (int waited = 0; !ran && waited < 10000; waited += 50, Sleep(50))
    ran = FileExists(installFolder + L"\\lobby_ran.txt");
  EXPECT_TRUE(ran) << ReadWholeFile(folder_ + L"\\__lobby_dl_debug.log");
}

TEST_F(InstallerWindow, FailureNoticeFromTheWorkersThreadAndItsButtons) {
  TestWindow& w = *window_;
  const dl::NoticeControls& n = w.notice();
  HWND notice = w.noticeWindow()->GetHwnd();
  dl::g_installState.store(dl::Extracting);
  std::thread([&w] { w.ShowFailureNotice(1); }).join();
  PumpFor(50);
  EXPECT_TRUE(IsWindowVisible(notice));
  EXPECT_EQ(n.noticeTitle->CopyText(), L"安装失败：");
  EXPECT_EQ(n.noticeRetryButton->IsVisible(), 0) << "downloading again would not help";
  Click(w.noticeWindow(), n.noticeOkButton);
  EXPECT_FALSE(IsWindowVisible(notice)) << "hidden, the download held paused";
  ExpectState(w, dl::Paused, L"继续安装", false);
  PumpFor(150);
  EXPECT_EQ(w.workersStarted.load(), 0) << "a new worker, held at the gate";
  Click(&w, w.controls().installButton);
  ASSERT_TRUE(WaitFor(w.workersStarted, 1));

  w.FinishWorker();  // a notice comes only from a worker that has ended
  w.workerMayRun.store(true);
  std::thread([&w] { w.ShowFailureNotice(0); }).join();
  PumpFor(50);
  EXPECT_EQ(n.noticeTitle->CopyText(), L"下载失败：");
  EXPECT_EQ(n.noticeRetryButton->IsVisible(), 1) << "back after the installation notice";
  ClickAt(notice, 370, 220);  // the retry button, where it is drawn
  PumpFor(50);
  EXPECT_TRUE(!IsWindowVisible(notice) && dl::g_installState.load() == dl::Downloading);
  EXPECT_TRUE(WaitFor(w.workersStarted, 2)) << "runs at once";
}

TEST_F(InstallerWindow, WorkerRequestsWaitForTheWindowsThreadAndKeepTheirOrder) {
  TestWindow& w = *window_;
  const dl::MainControls& ui = w.controls();
  ui.runner->Show(1);
  w.SetTimer(dl::TIMER_RUNNER, dl::TIMER_RUNNER_MS);
  std::thread([&w] {
    wchar_t size[] = L"2.86M/2.86M";
    w.StopTimer(dl::TIMER_RUNNER);
    w.SetText(dl::WorkerText::Size, size);
    size[0] = L'X';  // the request has its own copy
    w.SetText(dl::WorkerText::InstallButton, L"正在启动");
    w.SetText(dl::WorkerText::InstallButton, L"第二");
    w.ShowRunner(0);
  }).join();
  EXPECT_EQ(ui.sizeLabel->GetText(), nullptr) << "nothing before the window's thread runs";
  PumpFor(50);
  EXPECT_EQ(ui.sizeLabel->CopyText(), L"2.86M/2.86M");
  EXPECT_EQ(ui.installLabel->CopyText(), L"第二") << "the later text wins";
  EXPECT_EQ(ui.runner->IsVisible(), 0);
  EXPECT_FALSE(TimerRunning(w, dl::TIMER_RUNNER, dl::TIMER_RUNNER_MS));
}

}  // namespace
}  // namespace dltest
