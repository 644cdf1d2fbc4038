// The installer window under wine, built with the downloader's own resources and a stand-in
// worker the test steers: where the mouse lands and what drags, the progress display on the real
// controls, the install button through its states up to the launch, the failure notice and its
// buttons, close to the tray and back, a second start, and requests from the worker's thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "app/instance_guard.h"
#include "app/process_startup.h"
#include "app/site_config.h"
#include "app/site_record.h"
#include "install/install_host.h"
#include "tests/support/win_test_util.h"
#include "tests/ui/ui_test_support.h"
#include "ui/framework/tray_messages.h"
#include "ui/installer/download_window.h"
#include "ui/installer/window_messages.h"

namespace dltest {
namespace {

dl::ProcessStartup g_startup;

// Waits at the gate like the real worker, then reports a block every few milliseconds through
// the window's progress hook until told to finish.
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

// Probed by stopping the timer, then set again.
bool TimerRunning(dl::SkinWindow& window, UINT_PTR id, UINT period) {
  if (!window.KillTimer(id)) return false;
  window.SetTimer(id, period);
  return true;
}
std::wstring TextOf(dl::Label* label) { return label->CopyText(); }
// A click as the window's tree passes it up.
void Click(dl::Control* window, dl::Control* source) {
  dl::ControlEvent click = {0, 0, dl::CN_CLICK};
  window->Notify(&click, source);
}
// A click as the user makes it, at a client point.
void ClickAt(HWND hwnd, int x, int y) {
  SendMessageW(hwnd, WM_MOUSEMOVE, 0, Point(x, y));
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, Point(x, y));
  SendMessageW(hwnd, WM_LBUTTONUP, 0, Point(x, y));
}

// The window opens its debug log in the current folder; the install state starts at Idle.
class InstallerWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = FreshTempFolder(L"dl_installer_window");
    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    oldCurrent_ = current;
    ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
    ASSERT_TRUE(WriteWholeFile(folder_ + L"\\__lobby_dl_debug.log", ""));
    dl::g_installState.store(dl::Idle);
    window_ = std::make_unique<TestWindow>();
    ASSERT_NE(window_->GetHwnd(), nullptr);
    PumpFor(50);
  }
  void TearDown() override {
    window_.reset();
    if (!oldCurrent_.empty()) SetCurrentDirectoryW(oldCurrent_.c_str());
  }
  std::string Log() const { return ReadWholeFile(folder_ + L"\\__lobby_dl_debug.log"); }

  std::wstring folder_, oldCurrent_;
  std::unique_ptr<TestWindow> window_;
};

TEST_F(InstallerWindow, ClicksReachTheControlUnderThemAndOnlyTheTitleBarAndEditionTextDrag) {
  const dl::MainControls& ui = window_->controls();
  struct Probe {
    int x, y;
    dl::Control* expected;  // null: whatever is there
    int drags;
  };
  const Probe probes[] = {
      {50, 20, ui.titleBar, 1},        {300, 20, ui.versionLabel, 1},  {300, 120, nullptr, 0},
      {100, 235, ui.pathLabel, 0},     {300, 262, ui.percentLabel, 0}, {15, 340, nullptr, 0},
      {499, 300, ui.installButton, 0},  // through the button's own label
  };
  RECT drag = {};
  for (const Probe& p : probes) {
    SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
    dl::Control* hit = window_->HitTest(p.x, p.y);
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit, p.expected != nullptr ? p.expected : hit);
    EXPECT_EQ(window_->GetDragRect(&drag, hit), p.drags);
  }
  window_->GetDragRect(&drag, ui.titleBar);
  EXPECT_TRUE(RectIs(drag, 0, 0, 600, 350)) << "the whole window moves";
  dl::SkinWindow* notice = window_->noticeWindow();
  EXPECT_EQ(notice->GetDragRect(&drag, window_->notice().noticeImage), 1);
  EXPECT_EQ(notice->GetDragRect(&drag, window_->notice().noticeOkButton), 0);
  ClickAt(window_->GetHwnd(), 499, 300);
  PumpFor(100);
  EXPECT_EQ(dl::g_installState.load(), dl::Downloading);
}

TEST_F(InstallerWindow, DisplayTimersDrawTheStoredFiguresAndStepTheRunnerAndTheTips) {
  const dl::MainControls& ui = window_->controls();
  dl::InstallProgress& p = window_->progress();
  struct Step {
    uint32_t downloaded, total, ms;
    uint64_t received;
    const wchar_t *size, *speed, *percent;
    LONG fillRight, runnerLeft;
  };
  const Step steps[] = {
      {0, 0, 0, 0, L"0.00M/0.00M", L"当前下载速度：0K/S", L"0%", 31, 11},  // nothing reported
      {1048576, 2097152, 4000, 5000000, L"1.00M/2.00M", L"当前下载速度：1M/S", L"50%", 299, 279},
      {3000000, 0, 1000, 67109000, L"2.86M/0.00M", L"当前下载速度：0K/S", L"0%", 31, 11},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.percent);
    p.downloadedBytes.store(s.downloaded);
    p.totalBytes.store(s.total);
    p.transferMs.store(s.ms);
    p.receivedBytes.store(s.received);
    window_->OnTimer(dl::TIMER_PROGRESS);
    EXPECT_EQ(TextOf(ui.sizeLabel), s.size);
    EXPECT_EQ(TextOf(ui.speedLabel), s.speed);
    EXPECT_EQ(TextOf(ui.percentLabel), s.percent);
    EXPECT_TRUE(RectIs(ui.progressFill->GetRect(), 31, 252, s.fillRight, 266));
    EXPECT_TRUE(RectIs(ui.runner->GetRect(), s.runnerLeft, 237, s.runnerLeft + 25, 278));
  }
  int col = -1, row = -1;
  for (int step = 1; step <= 18; ++step) {
    window_->OnTimer(dl::TIMER_RUNNER);
    ui.runner->GetFrame(&col, &row);
    ASSERT_EQ(col, step == 18 ? 1 : step) << "frame 0 is not in the cycle";
  }
  for (int turn = 1; turn <= 6; ++turn) {
    window_->OnTimer(dl::TIMER_TIPS);
    EXPECT_EQ(TextOf(ui.tipLabel), dl::kSite.tips[turn % 5]) << "turn " << turn;
  }
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
  EXPECT_EQ(TextOf(w.controls().installLabel), label);
  EXPECT_EQ(TimerRunning(w, dl::TIMER_PROGRESS, dl::TIMER_PROGRESS_MS), displayTimers);
  EXPECT_EQ(TimerRunning(w, dl::TIMER_RUNNER, dl::TIMER_RUNNER_MS), displayTimers);
}

TEST_F(InstallerWindow, InstallButtonStartsPausesContinuesWaitsAndLaunches) {
  TestWindow& w = *window_;
  const dl::MainControls& ui = w.controls();
  Click(&w, ui.installButton);
  EXPECT_EQ(dl::g_installState.load(), dl::Downloading);
  EXPECT_EQ(TextOf(ui.installLabel), L"暂停安装");
  EXPECT_EQ(ui.modifyButton->IsEnabled(), 0) << "no folder change under a running download";
  EXPECT_EQ(ui.runner->IsVisible(), 1);
  ASSERT_TRUE(WaitFor(w.workersStarted, 1));
  EXPECT_TRUE(WorkerMoves(w));
  EXPECT_EQ(w.progress().totalBytes.load(), 1000000u) << "the hook stores the figures";

  w.SetTimer(dl::TIMER_RUNNER, dl::TIMER_RUNNER_MS);  // as the worker does
  Click(&w, ui.installButton);
  ExpectState(w, dl::Paused, L"继续安装", false);
  EXPECT_EQ(TextOf(ui.speedLabel), L"当前下载速度：0K/S");
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
  EXPECT_EQ(TextOf(ui.installLabel), L"正在启动");
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
  EXPECT_TRUE(ran) << Log();
}

TEST_F(InstallerWindow, FailureNoticeFromTheWorkersThreadAndItsButtons) {
  TestWindow& w = *window_;
  const dl::NoticeControls& n = w.notice();
  HWND notice = w.noticeWindow()->GetHwnd();
  dl::g_installState.store(dl::Extracting);
  std::thread([&w] { w.ShowFailureNotice(1); }).join();
  EXPECT_FALSE(IsWindowVisible(notice)) << "not before the window's thread runs";
  PumpFor(50);
  EXPECT_TRUE(IsWindowVisible(notice));
  EXPECT_EQ(TextOf(n.noticeTitle), L"安装失败：");
  EXPECT_EQ(n.noticeRetryButton->IsVisible(), 0) << "downloading again would not help";
  EXPECT_EQ(dl::g_installState.load(), dl::Extracting);
  Click(w.noticeWindow(), n.noticeOkButton);
  EXPECT_FALSE(IsWindowVisible(notice));
  ExpectState(w, dl::Paused, L"继续安装", false);
  PumpFor(150);
  EXPECT_EQ(w.workersStarted.load(), 0) << "a new worker, held at the gate";
  Click(&w, w.controls().installButton);
  ASSERT_TRUE(WaitFor(w.workersStarted, 1));

  w.FinishWorker();  // a notice comes only from a worker that has ended
  w.workerMayRun.store(true);
  std::thread([&w] { w.ShowFailureNotice(0); }).join();
  PumpFor(50);
  EXPECT_EQ(TextOf(n.noticeTitle), L"下载失败：");
  EXPECT_EQ(n.noticeRetryButton->IsVisible(), 1) << "back after the installation notice";
  ClickAt(notice, 370, 220);  // the retry button, where it is drawn
  PumpFor(50);
  EXPECT_FALSE(IsWindowVisible(notice));
  EXPECT_EQ(dl::g_installState.load(), dl::Downloading);
  EXPECT_EQ(TextOf(w.controls().installLabel), L"暂停安装");
  EXPECT_TRUE(WaitFor(w.workersStarted, 2)) << "runs at once";
}

TEST_F(InstallerWindow, CloseGoesToTheTrayAndTheIconOrASecondStartBringsTheWindowBack) {
  TestWindow& w = *window_;
  HWND hwnd = w.GetHwnd();
  ClickAt(hwnd, 582, 18);  // the close button
  EXPECT_FALSE(IsWindowVisible(hwnd));
  EXPECT_EQ(w.trayIcon().iconShown(), 1);
  EXPECT_EQ(w.closeCalls.load(), 0) << "hidden, not closed";
  SendMessageW(hwnd, dl::WM_TRAY_NOTIFY, w.trayIcon().iconData()->uID, WM_LBUTTONUP);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_EQ(w.trayIcon().iconShown(), 0);

  // A second start comes forward and clicks the install button: idle starts, running pauses.
  w.controls().pathLabel->SetText((L"安装路径：" + folder_ + L"\\").c_str());  // its profile
  ClickAt(hwnd, 582, 18);
  for (int state : {dl::Downloading, dl::Paused}) {
    PostMessageW(hwnd, dl::WM_DOWNLOADER_ACTIVATE, 0, 0);
    PumpFor(100);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ(w.trayIcon().iconShown(), 0);
    EXPECT_EQ(dl::g_installState.load(), state);
  }
  ClickAt(hwnd, 582, 18);
  SendMessageW(hwnd, WM_COMMAND, dl::ID_TRAY_EXIT, 0);
  EXPECT_EQ(w.trayIcon().iconShown(), 0) << "the icon goes before the process";
  EXPECT_EQ(w.closeCalls.load(), 1);
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
  EXPECT_EQ(ui.runner->IsVisible(), 1);
  PumpFor(50);
  EXPECT_EQ(TextOf(ui.sizeLabel), L"2.86M/2.86M");
  EXPECT_EQ(TextOf(ui.installLabel), L"第二") << "the later text wins";
  EXPECT_EQ(ui.runner->IsVisible(), 0);
  EXPECT_FALSE(TimerRunning(w, dl::TIMER_RUNNER, dl::TIMER_RUNNER_MS));
}

}  // namespace
}  // namespace dltest
