// The user's commands on a real window with a stand-in worker: the install button through its
// states (pausing holds the worker at its gate), the notice's two ways of starting a new
// worker, close to the tray and back, minimise, the tray's exit, a second start's activation,
// the folder choice with its free-space refusal, and the launch at the end.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/instance_guard.h"
#include "app/site_config.h"
#include "install/install_host.h"
#include "tests/support/win_test_util.h"
#include "tests/ui/installer_test_support.h"
#include "ui/framework/tray_messages.h"
#include "ui/installer/machine_checks.h"
#include "ui/installer/window_messages.h"

namespace dltest {
namespace {

using InstallerCommands = InstallerWindowTest;

// Blocks reported by the worker over a while: whether it is moving.
bool WorkerMoves(TestWindow& window) {
  const int before = window.blocks.load();
  PumpFor(150);
  return window.blocks.load() > before;
}

bool WaitFor(const std::atomic<int>& value, int at_least) {
  for (int waited = 0; waited < 5000 && value.load() < at_least; waited += 10) PumpFor(10);
  return value.load() >= at_least;
}

// The install button's state, label and display timers after a click.
void ExpectState(TestWindow& w, int state, const wchar_t* label, bool timers) {
  EXPECT_EQ(dl::g_installState.load(), state);
  EXPECT_EQ(TextOf(w.controls().installLabel), label);
  EXPECT_EQ(TimerRunning(w, dl::TIMER_PROGRESS, dl::TIMER_PROGRESS_MS), timers);
  EXPECT_EQ(TimerRunning(w, dl::TIMER_RUNNER, dl::TIMER_RUNNER_MS), timers);
}

TEST_F(InstallerCommands, InstallButtonStartsPausesAndContinuesTheWorker) {
  TestWindow& w = *window_;
  const dl::MainControls& ui = w.controls();

  Click(&w, ui.installButton);
  EXPECT_EQ(dl::g_installState.load(), dl::Downloading);
  EXPECT_EQ(TextOf(ui.installLabel), L"暂停安装");
  EXPECT_EQ(ui.modifyButton->IsEnabled(), 0);
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
  EXPECT_TRUE(WorkerMoves(w)) << "it goes on where it stopped";
  EXPECT_EQ(w.workersStarted.load(), 1) << "the same worker";

  // While the package is extracted, a click on "正在启动" does nothing.
  dl::g_installState.store(dl::Extracting);
  ui.installLabel->SetText(L"正在启动");
  Click(&w, ui.installButton);
  EXPECT_EQ(dl::g_installState.load(), dl::Extracting);
  EXPECT_EQ(TextOf(ui.installLabel), L"正在启动");
  EXPECT_FALSE(w.gate().IsPaused());
}

TEST_F(InstallerCommands, NoticeButtonsStartANewWorkerRunningOrHeldPaused) {
  TestWindow& w = *window_;
  const dl::NoticeControls& n = w.notice();
  dl::SkinWindow* notice = w.noticeWindow();

  notice->Show(1);
  Click(notice, n.noticeOkButton);
  EXPECT_FALSE(IsWindowVisible(notice->GetHwnd()));
  ExpectState(w, dl::Paused, L"继续安装", false);
  ASSERT_NE(w.workerThread(), nullptr);
  PumpFor(150);
  EXPECT_EQ(w.workersStarted.load(), 0) << "held at the gate before doing anything";
  Click(&w, w.controls().installButton);  // continue
  ASSERT_TRUE(WaitFor(w.workersStarted, 1));

  w.FinishWorker();  // a notice comes only from a worker that has ended
  w.workerMayRun.store(true);
  notice->Show(1);
  Click(notice, n.noticeRetryButton);
  EXPECT_FALSE(IsWindowVisible(notice->GetHwnd()));
  EXPECT_EQ(dl::g_installState.load(), dl::Downloading);
  EXPECT_EQ(TextOf(w.controls().installLabel), L"暂停安装");
  ASSERT_TRUE(WaitFor(w.workersStarted, 2)) << "runs at once";
}

TEST_F(InstallerCommands, CloseGoesToTheTrayAndTheIconBringsTheWindowBack) {
  TestWindow& w = *window_;
  HWND hwnd = w.GetHwnd();
  Click(&w, FindById(&w, dl::ID_CLOSE));
  EXPECT_FALSE(IsWindowVisible(hwnd));
  EXPECT_EQ(w.trayIcon().iconShown(), 1);
  EXPECT_EQ(w.closeCalls.load(), 0) << "hidden, not closed";
  SendMessageW(hwnd, dl::WM_TRAY_NOTIFY, w.trayIcon().iconData()->uID, WM_LBUTTONUP);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_EQ(w.trayIcon().iconShown(), 0);

  Click(&w, FindById(&w, dl::ID_MINIMIZE));
  EXPECT_TRUE(IsIconic(hwnd));
  ShowWindow(hwnd, SW_RESTORE);

  Click(&w, FindById(&w, dl::ID_CLOSE));
  SendMessageW(hwnd, WM_COMMAND, dl::ID_TRAY_EXIT, 0);
  EXPECT_EQ(w.trayIcon().iconShown(), 0) << "the icon goes before the process";
  EXPECT_EQ(w.closeCalls.load(), 1);
}

TEST_F(InstallerCommands, SecondStartWritesTheProfileComesForwardAndClicks) {
  TestWindow& w = *window_;
  HWND hwnd = w.GetHwnd();
  // An install folder that exists, so that the profile can be written there.
  const std::wstring install = folder_ + L"\\base\\Tavoro";
  ASSERT_TRUE(CreateDirectoryW((folder_ + L"\\base").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(install.c_str(), nullptr));
  w.controls().pathLabel->SetText((L"安装路径：" + install + L"\\").c_str());
  Click(&w, FindById(&w, dl::ID_CLOSE));

  PostMessageW(hwnd, dl::WM_DOWNLOADER_ACTIVATE, 0, 0);
  PumpFor(100);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_EQ(w.trayIcon().iconShown(), 0);
  EXPECT_EQ(dl::g_installState.load(), dl::Downloading) << "idle: the installation starts";
  const std::string profile = ReadWholeFile(install + L"\\IsLobbyLogin.dat");
  EXPECT_NE(profile.find("ChannelID=" + std::to_string(dl::g_channelId)), std::string::npos)
      << profile;

  PostMessageW(hwnd, dl::WM_DOWNLOADER_ACTIVATE, 0, 0);
  PumpFor(100);
  EXPECT_EQ(dl::g_installState.load(), dl::Paused) << "downloading: it pauses";
}

class FolderChoice : public InstallerWindowTest {
 protected:
  void TearDown() override {
    SetEnvironmentVariableW(L"DL_TEST_CHOOSE_FOLDER", nullptr);
    InstallerWindowTest::TearDown();
  }
  void Choose(const wchar_t* picked) {
    SetEnvironmentVariableW(L"DL_TEST_CHOOSE_FOLDER", picked);
    Click(window_.get(), window_->controls().modifyButton);
  }
};

TEST_F(FolderChoice, ChosenFolderNamesTheInstallFolderAndCancelKeepsIt) {
  const std::wstring games = folder_ + L"\\Games";
  ASSERT_TRUE(CreateDirectoryW(games.c_str(), nullptr));
  ASSERT_GE(dl::FreeMegabytes(games.c_str()), 550u) << "the bench's disk needs room";
  Choose(games.c_str());
  EXPECT_EQ(std::wstring(dl::g_installBase), games + L"\\");
  EXPECT_EQ(TextOf(window_->controls().pathLabel), L"安装路径：" + games + L"\\Tavoro\\");
  EXPECT_EQ(window_->InstallFolder(), games + L"\\Tavoro\\");

  Choose(L"");  // cancelled
  EXPECT_EQ(std::wstring(dl::g_installBase), games + L"\\");
  EXPECT_EQ(window_->InstallFolder(), games + L"\\Tavoro\\");
}

TEST_F(FolderChoice, AFolderWhoseSpaceCannotBeReadIsRefused) {
  const std::wstring before = TextOf(window_->controls().pathLabel);
  const std::wstring base = dl::g_installBase;
  MessageBoxAnswer answer(GetCurrentThreadId());
  Choose(L"Q:\\nowhere");
  EXPECT_EQ(answer.Text(), L"硬盘空间不足，请检查后再重试。");
  EXPECT_EQ(TextOf(window_->controls().pathLabel), before);
  EXPECT_EQ(std::wstring(dl::g_installBase), base);
}

TEST(FreeMegabytes, MatchesWhatTheVolumeReportsTruncated) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  ULARGE_INTEGER available = {}, total = {}, free = {};
  ASSERT_TRUE(GetDiskFreeSpaceExW(temp, &available, &total, &free));
  const int64_t mib = dl::FreeMegabytes(temp);
  // The disk is shared with everything else on the machine: allow a little movement.
  EXPECT_NEAR(mib, static_cast<int64_t>(available.QuadPart >> 20), 16);
  EXPECT_EQ(dl::FreeMegabytes(L"Q:\\nowhere"), 0u);
}

// A stand-in lobby that leaves a note beside itself when it runs, in an install folder the
// path label names, with the install finished.
std::wstring PrepareLobby(TestWindow& w, const std::wstring& folder) {
  const std::wstring installFolder = folder + L"\\Tavoro";
  EXPECT_TRUE(CreateDirectoryW(installFolder.c_str(), nullptr));
  EXPECT_TRUE(CopyFileW((ProgramFolder() + L"lobby.exe").c_str(),
                        (installFolder + L"\\lobby.exe").c_str(), FALSE));
  w.controls().pathLabel->SetText((L"安装路径：" + installFolder + L"\\").c_str());
  dl::g_installState.store(dl::Installed);
  return installFolder;
}

bool LobbyRan(const std::wstring& installFolder) {
  for (int waited = 0; waited < 10000; waited += 50) {
    if (FileExists(installFolder + L"\\lobby_ran.txt")) return true;
    Sleep(50);
  }
  return false;
}

TEST_F(InstallerCommands, InstalledClickLaunchesTheLobbyThenEnds) {
  TestWindow& w = *window_;
  const std::wstring installFolder = PrepareLobby(w, folder_);
  w.ReportDone();
  const DWORD start = GetTickCount();
  Click(&w, w.controls().installButton);
  EXPECT_LT(GetTickCount() - start, 2000u) << "the report was out: no wait";
  EXPECT_EQ(w.closeCalls.load(), 1);
  EXPECT_FALSE(TimerRunning(w, dl::TIMER_TIPS, dl::TIMER_TIPS_MS));
  ASSERT_EQ(dl::IsUserAdmin(), 1) << "the bench's user is an administrator";
  EXPECT_TRUE(LobbyRan(installFolder)) << "the lobby started from the install folder";
  EXPECT_EQ(Log().find("ShellExecuteEx"), std::string::npos) << Log();
}

TEST_F(InstallerCommands, LaunchWaitsForTheReportAtMostThreeSeconds) {
  TestWindow& w = *window_;
  const std::wstring installFolder = PrepareLobby(w, folder_);
  const DWORD start = GetTickCount();
  PostMessageW(w.GetHwnd(), dl::WM_DOWNLOADER_ACTIVATE, 0, 0);  // as the worker's success does
  PumpFor(50);
  const DWORD took = GetTickCount() - start;
  EXPECT_GE(took, 2900u);
  EXPECT_LT(took, 4500u);
  EXPECT_EQ(w.closeCalls.load(), 1);
  EXPECT_TRUE(LobbyRan(installFolder));
}

}  // namespace
}  // namespace dltest
