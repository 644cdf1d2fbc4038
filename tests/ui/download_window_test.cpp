// The installer window with the downloader's own resources and a stand-in worker the test steers:
// clicks and drags, the install button up to the launch, the failure notice, the tray, requests
// from the worker's thread, the keyboard, the accessible tree and the taskbar button's state.
#include <gtest/gtest.h>
#include <windows.h>

#include <oleacc.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/com_owner.h"
#include "config/site_settings.h"

#include "app/process_startup.h"
#include "tests/support/win_test_util.h"
#include "tests/ui/ui_test_support.h"
#include "ui/installer/download_window.h"
#include "ui/installer/notice_window.h"
#include "ui/installer/window_messages.h"

namespace dltest {
namespace {

dl::ProcessStartup g_startup;

// The installation as the test steers it: waits at the gate like the real one, reports a block
// every 5 ms, and ends the download, installs or fails when told.
class StandIn : public dl::InstallController {
 public:
  enum class Next { Download, Extract, Install, Fail };
  using InstallController::InstallController;
  ~StandIn() override {
    next.store(Next::Fail);
    StopAndJoin();
  }
  std::atomic<int> started{0}, blocks{0};
  std::atomic<Next> next{Next::Download};

 protected:
  void RunAttempt(const dl::InstallTarget&) override {
    WaitWhilePaused();
    if (stopping()) return;
    ++started;
    observer().OnDownloadStarted();
    while (next.load() == Next::Download && !stopping()) {
      const uint32_t n = ++blocks;
      RecordBlock({1000 * n, 1000000, 10 * n, 1000 * n});
      Sleep(5);
    }
    if (stopping()) return;
    if (next.load() == Next::Fail) {
      observer().OnFailed(dl::FailureKind::kDownload, 0);
      return;
    }
    SetState(dl::InstallState::Extracting);
    observer().OnDownloadComplete({2998272, 2998272, 100, 2998272});
    observer().OnExtracting();
    while (next.load() == Next::Extract && !stopping()) Sleep(5);
    if (stopping()) return;
    SetState(dl::InstallState::Installed);
    observer().OnInstalled();
    ReportDone();
  }
};

class TestWindow : public dl::DownloadWindow {
 public:
  explicit TestWindow(const dl::SiteSettings& settings) : DownloadWindow(settings, Parts()) {}
  int CanClose() override {
    ++closeCalls;
    return 0;
  }
  StandIn& installation() { return static_cast<StandIn&>(controller()); }
  std::atomic<int> closeCalls{0};

 private:
  static dl::WindowParts Parts() {
    dl::WindowParts parts;
    parts.bannerThread = nullptr;
    parts.makeController =
        [](const dl::SiteSettings& settings,
           dl::InstallObserver& observer) -> std::unique_ptr<dl::InstallController> {
      return std::make_unique<StandIn>(settings, observer);
    };
    return parts;
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

// The window opens its debug log in the current folder; it installs under that folder.
class InstallerWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    GetCurrentDirectoryW(MAX_PATH, oldCurrent_);
    ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
    ASSERT_TRUE(WriteWholeFile(folder_ + L"\\__lobby_dl_debug.log", ""));
    settings_.defaultInstallBase = folder_ + L"\\";
    settings_.channelId = 200019;
    window_ = std::make_unique<TestWindow>(settings_);
    ASSERT_NE(window_->GetHwnd(), nullptr);
    PumpFor(50);
  }
  void TearDown() override {
    window_.reset();
    SetCurrentDirectoryW(oldCurrent_);
  }

  const std::wstring folder_ = FreshTempFolder(L"dl_installer_window");
  dl::SiteSettings settings_;
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
  EXPECT_EQ(window_->controller().state(), dl::InstallState::Downloading)
      << "clicked through the button's label";
}

bool WorkerMoves(TestWindow& window) {
  const int before = window.installation().blocks.load();
  PumpFor(150);
  return window.installation().blocks.load() > before;
}

bool WaitFor(const std::atomic<int>& value, int atLeast) {
  for (int waited = 0; waited < 5000 && value.load() < atLeast; waited += 10) PumpFor(10);
  return value.load() >= atLeast;
}

void ExpectState(TestWindow& w, dl::InstallState state, const wchar_t* label, bool displayTimers) {
  EXPECT_EQ(w.controller().state(), state);
  EXPECT_EQ(w.controls().installLabel->CopyText(), label);
  EXPECT_EQ(TimerRunning(w, dl::TIMER_PROGRESS, dl::TIMER_PROGRESS_MS), displayTimers);
  EXPECT_EQ(TimerRunning(w, dl::TIMER_RUNNER, dl::TIMER_RUNNER_MS), displayTimers);
}

TEST_F(InstallerWindow, InstallButtonStartsPausesContinuesWaitsAndLaunches) {
  TestWindow& w = *window_;
  StandIn& installation = w.installation();
  const dl::MainControls& ui = w.controls();
  Click(&w, ui.installButton);
  EXPECT_EQ(ui.modifyButton->IsEnabled(), 0) << "no folder change under a running download";
  ASSERT_TRUE(WaitFor(installation.started, 1));
  PumpFor(50);  // the download's start reaches the window
  ExpectState(w, dl::InstallState::Downloading, L"暂停安装", true);

  Click(&w, ui.installButton);
  ExpectState(w, dl::InstallState::Paused, L"继续安装", false);
  EXPECT_EQ(ui.speedLabel->CopyText(), L"当前下载速度：0K/S");
  PumpFor(50);  // a block under way when the pause came may still finish
  EXPECT_FALSE(WorkerMoves(w)) << "a paused installation transfers nothing";

  Click(&w, ui.installButton);
  ExpectState(w, dl::InstallState::Downloading, L"暂停安装", true);
  EXPECT_TRUE(WorkerMoves(w));
  EXPECT_EQ(installation.started.load(), 1) << "the same attempt goes on";

  // Waiting to reconnect: no stale speed and a resting runner, through the display's ticks,
  // a pause and a continue, until the first new byte.
  std::thread([&w] { w.OnReconnecting(); }).join();
  PumpFor(250);
  EXPECT_EQ(ui.speedLabel->CopyText(), dl::kReconnectingText);
  EXPECT_FALSE(TimerRunning(w, dl::TIMER_RUNNER, dl::TIMER_RUNNER_MS));
  Click(&w, ui.installButton);
  Click(&w, ui.installButton);
  PumpFor(250);
  EXPECT_EQ(ui.speedLabel->CopyText(), dl::kReconnectingText);
  EXPECT_FALSE(TimerRunning(w, dl::TIMER_RUNNER, dl::TIMER_RUNNER_MS));
  std::thread([&w] { w.OnReconnected(); }).join();
  PumpFor(250);
  EXPECT_TRUE(TimerRunning(w, dl::TIMER_RUNNER, dl::TIMER_RUNNER_MS));
  EXPECT_NE(ui.speedLabel->CopyText(), dl::kReconnectingText);

  installation.next.store(StandIn::Next::Extract);
  for (int waited = 0; waited < 5000 && ui.installLabel->CopyText() != L"正在启动"; waited += 10)
    PumpFor(10);
  ExpectState(w, dl::InstallState::Extracting, L"正在启动", false);
  EXPECT_EQ(ui.sizeLabel->CopyText(), L"2.86M/2.86M");
  EXPECT_EQ(ui.percentLabel->CopyText(), L"100%");
  Click(&w, ui.installButton);
  EXPECT_EQ(w.controller().state(), dl::InstallState::Extracting) << "the click waits";

  // Installed: the window comes forward and acts as clicked; the lobby starts from the install
  // folder, the window goes at once, and the downloader ends.
  const std::wstring installFolder = folder_ + L"\\Tavoro";
  ASSERT_TRUE(CreateDirectoryW(installFolder.c_str(), nullptr));
  ASSERT_TRUE(CopyFileW((ProgramFolder() + L"lobby.exe").c_str(),
                        (installFolder + L"\\lobby.exe").c_str(), FALSE));
  installation.next.store(StandIn::Next::Install);
  for (int waited = 0; waited < 5000 && w.closeCalls.load() == 0; waited += 10) PumpFor(10);
  EXPECT_EQ(w.closeCalls.load(), 1);
  EXPECT_FALSE(IsWindowVisible(w.GetHwnd())) << "nothing on the screen while the report goes";
  EXPECT_EQ(ui.runner->IsVisible(), 0);
  EXPECT_TRUE(TimerRunning(w, dl::TIMER_HIDE_ICON_TIP, dl::TIMER_HIDE_ICON_TIP_MS));
  EXPECT_EQ(ReadWholeFile(installFolder + L"\\IsLobbyLogin.dat"),
            "[ChannelID]\r\nChannelID=200019\r\n");
  bool ran = false;  // the stand-in lobby leaves a note beside itself
  for (int waited = 0; !ran && waited < 10000; waited += 50, Sleep(50))
    ran = FileExists(installFolder + L"\\lobby_ran.txt");
  EXPECT_TRUE(ran) << ReadWholeFile(folder_ + L"\\__lobby_dl_debug.log");
}

TEST_F(InstallerWindow, FailureNoticeFromTheWorkersThreadAndItsButtons) {
  TestWindow& w = *window_;
  StandIn& installation = w.installation();
  const dl::NoticeControls& n = w.notice();
  HWND notice = w.noticeWindow()->GetHwnd();
  std::thread([&w] { w.OnFailed(dl::FailureKind::kInstallation, 512); }).join();
  PumpFor(50);
  EXPECT_TRUE(IsWindowVisible(notice));
  EXPECT_EQ(n.noticeTitle->CopyText(), L"安装失败：");
  EXPECT_EQ(n.noticeRetryButton->IsVisible(), 0) << "downloading again would not help";
  Click(w.noticeWindow(), n.noticeOkButton);
  EXPECT_FALSE(IsWindowVisible(notice)) << "hidden, the download held paused";
  ExpectState(w, dl::InstallState::Paused, L"继续安装", false);
  PumpFor(150);
  EXPECT_EQ(installation.started.load(), 0) << "a new attempt, held at the gate";
  Click(&w, w.controls().installButton);
  ASSERT_TRUE(WaitFor(installation.started, 1));

  std::thread([&w] { w.OnReconnecting(); }).join();  // the server went away
  installation.next.store(StandIn::Next::Fail);      // the attempt ends with the download notice
  for (int waited = 0; waited < 5000 && !IsWindowVisible(notice); waited += 10) PumpFor(10);
  EXPECT_EQ(n.noticeTitle->CopyText(), L"下载失败：");
  EXPECT_EQ(n.noticeRetryButton->IsVisible(), 1) << "back after the installation notice";
  installation.next.store(StandIn::Next::Download);
  ClickAt(notice, 370, 220);  // the retry button, where it is drawn
  PumpFor(50);
  EXPECT_TRUE(!IsWindowVisible(notice) && w.controller().state() == dl::InstallState::Downloading);
  EXPECT_TRUE(WaitFor(installation.started, 2)) << "runs at once";
  PumpFor(250);
  EXPECT_TRUE(TimerRunning(w, dl::TIMER_RUNNER, dl::TIMER_RUNNER_MS));
  EXPECT_NE(w.controls().speedLabel->CopyText(), dl::kReconnectingText) << "a new attempt";
}

TEST_F(InstallerWindow, EventsFromTheWorkersThreadWaitForTheWindowsThreadAndKeepTheirOrder) {
  TestWindow& w = *window_;
  const dl::MainControls& ui = w.controls();
  ui.runner->Show(1);
  w.SetTimer(dl::TIMER_RUNNER, dl::TIMER_RUNNER_MS);
  w.SetTimer(dl::TIMER_PROGRESS, dl::TIMER_PROGRESS_MS);
  std::thread([&w] {
    w.OnDownloadComplete({2998272, 2998272, 100, 2998272});
    w.OnExtracting();
  }).join();
  EXPECT_EQ(ui.sizeLabel->GetText(), nullptr) << "nothing before the window's thread runs";
  PumpFor(50);
  EXPECT_EQ(ui.sizeLabel->CopyText(), L"2.86M/2.86M");
  EXPECT_EQ(ui.percentLabel->CopyText(), L"100%");
  EXPECT_EQ(ui.installLabel->CopyText(), L"正在启动");
  EXPECT_FALSE(TimerRunning(w, dl::TIMER_RUNNER, dl::TIMER_RUNNER_MS));
  EXPECT_FALSE(TimerRunning(w, dl::TIMER_PROGRESS, dl::TIMER_PROGRESS_MS));
}

std::string Utf8(const wchar_t* text, int length = -1) {
  char out[512] = {};
  WideCharToMultiByte(CP_UTF8, 0, text, length, out, sizeof out - 1, nullptr, nullptr);
  return out;
}

// A key as the window receives it; Shift is held in the thread's keyboard state.
void Key(HWND hwnd, WPARAM key, bool shift = false) {
  BYTE keys[256] = {};
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  SetKeyboardState(keys);
  SendMessageW(hwnd, WM_KEYDOWN, key, 1);
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
}

void TakeKeyboard(HWND hwnd) {
  SetForegroundWindow(hwnd);
  SetFocus(hwnd);
  PumpFor(50);
}

void AnnounceButton(HWND hwnd) {
  SendMessageW(hwnd, RegisterWindowMessageW(L"TaskbarButtonCreated"), 0, 0);
}

TEST_F(InstallerWindow, KeysMoveADrawnRingAndActLikeClicksAndTheTaskbarButtonFollows) {
  TestWindow& w = *window_;
  const dl::MainControls& ui = w.controls();
  HWND hwnd = w.GetHwnd();
  TakeKeyboard(hwnd);
  ASSERT_EQ(GetFocus(), hwnd);
  AnnounceButton(hwnd);  // as the shell does; under wine the interface may not be there
  std::printf("taskbar interface: %s\n", w.taskbar().connected() ? "created" : "absent");
  EXPECT_EQ(w.keys().focused(), ui.installButton) << "the default focus";
  const RECT link = ui.modifyButton->GetRect();
  const int ringX = link.left - 2, ringY = (link.top + link.bottom) / 2;
  Canvas before(600, 350), after(600, 350);
  before.Paint(&w);
  Key(hwnd, VK_TAB);
  after.Paint(&w);
  EXPECT_EQ(w.keys().focused(), ui.modifyButton);
  EXPECT_FALSE(Near(before.At(ringX, ringY), 0xFFFFFFFF)) << "no ring on 修改 before Tab";
  EXPECT_TRUE(Near(after.At(ringX, ringY), 0xFFFFFFFF)) << "the ring around 修改";
  Key(hwnd, VK_TAB, true);
  EXPECT_EQ(w.keys().focused(), ui.installButton) << "Shift+Tab goes back";

  Key(hwnd, VK_RETURN);
  ASSERT_TRUE(WaitFor(w.installation().started, 1));
  PumpFor(50);
  EXPECT_EQ(w.taskbar().state(), dl::TaskbarState::kNormal);
  Key(hwnd, VK_TAB);
  EXPECT_EQ(w.keys().focused(), ui.minimizeButton) << "修改 is disabled during the download";
  Key(hwnd, VK_TAB, true);
  Key(hwnd, VK_SPACE);
  ExpectState(w, dl::InstallState::Paused, L"继续安装", false);
  EXPECT_EQ(w.taskbar().state(), dl::TaskbarState::kPaused);
  EXPECT_EQ(ui.remainingLabel->IsVisible(), 0) << "no time left while paused";
  Key(hwnd, VK_SPACE);
  EXPECT_EQ(w.controller().state(), dl::InstallState::Downloading);
  // The rate is known after a second of figures (longer on a busy machine).
  for (int waited = 0; waited < 5000 && ui.remainingLabel->IsVisible() == 0; waited += 10)
    PumpFor(10);
  EXPECT_EQ(ui.remainingLabel->CopyText().rfind(L"剩余 ", 0), 0u)
      << "time left beside the speed, at " << Utf8(ui.sizeLabel->CopyText().c_str());

  // The attempt fails. On the notice its first button has the focus; Escape is 确定, which
  // holds the next attempt.
  dl::NoticeWindow* notice = static_cast<dl::NoticeWindow*>(w.noticeWindow());
  w.installation().next.store(StandIn::Next::Fail);
  for (int waited = 0; waited < 5000 && !IsWindowVisible(notice->GetHwnd()); waited += 10)
    PumpFor(10);
  EXPECT_EQ(w.taskbar().state(), dl::TaskbarState::kError);
  EXPECT_EQ(notice->keys().focused(), w.notice().noticeRetryButton);
  Key(notice->GetHwnd(), VK_ESCAPE);
  EXPECT_FALSE(IsWindowVisible(notice->GetHwnd()));
  EXPECT_EQ(w.controller().state(), dl::InstallState::Paused);

  SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);  // what Alt+F4 sends
  EXPECT_TRUE(!IsWindowVisible(hwnd) && w.trayIcon().iconShown() && w.closeCalls.load() == 0)
      << "to the tray, like the close button";
}

struct Child {
  std::wstring name, value;
  LONG role = 0, state = 0;
};

Child Read(IAccessible* object, LONG id) {
  VARIANT child;
  child.vt = VT_I4;
  child.lVal = id;
  Child got;
  BSTR text = nullptr;
  if (object->get_accName(child, &text) == S_OK) got.name = text;
  SysFreeString(text);
  text = nullptr;
  if (object->get_accValue(child, &text) == S_OK) got.value = text;
  SysFreeString(text);
  VARIANT v;
  if (object->get_accRole(child, &v) == S_OK) got.role = v.lVal;
  if (object->get_accState(child, &v) == S_OK) got.state = v.lVal;
  return got;
}

// The children as a screen reader lists them: name, role, states, value.
void PrintTree(const char* when, IAccessible* object) {
  LONG count = 0;
  object->get_accChildCount(&count);
  std::printf("accessible tree, %s:\n", when);
  for (LONG id = 1; id <= count; ++id) {
    const Child c = Read(object, id);
    wchar_t role[64] = {};
    GetRoleTextW(static_cast<DWORD>(c.role), role, 64);
    std::string states;
    for (DWORD bit = 1; bit != 0; bit <<= 1) {
      wchar_t state[64] = {};
      if ((c.state & bit) != 0 && GetStateTextW(bit, state, 64) > 0) states += Utf8(state) + ",";
    }
    std::printf("  [%ld] \"%s\" %s {%s} value \"%s\"\n", id, Utf8(c.name.c_str()).c_str(),
                Utf8(role).c_str(), states.c_str(), Utf8(c.value.c_str()).c_str());
  }
}

std::vector<std::pair<DWORD, LONG>> g_events;
void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND, LONG object, LONG child, DWORD, DWORD) {
  if (object == OBJID_CLIENT) g_events.emplace_back(event, child);
}
bool Heard(DWORD event, LONG child) {
  return std::find(g_events.begin(), g_events.end(), std::make_pair(event, child)) !=
         g_events.end();
}

dl::ComOwner<IAccessible> ClientObject(HWND hwnd) {
  void* object = nullptr;
  AccessibleObjectFromWindow(hwnd, OBJID_CLIENT, __uuidof(IAccessible), &object);
  return dl::ComOwner<IAccessible>(static_cast<IAccessible*>(object));
}

TEST_F(InstallerWindow, ScreenReadersListTheControlsAndHearTheProgress) {
  dl::ComApartment com;  // outlives the window, so the held object can be asked after it
  TestWindow& w = *window_;
  HWND hwnd = w.GetHwnd();
  TakeKeyboard(hwnd);
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_VALUECHANGE, nullptr,
                                       OnWinEvent, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  dl::ComOwner<IAccessible> tree = ClientObject(hwnd);
  ASSERT_TRUE(tree);
  PrintTree("idle", tree.Get());
  LONG count = 0;
  EXPECT_EQ(tree.Get()->get_accChildCount(&count), S_OK);
  struct Expected {
    const wchar_t* name;
    LONG role, state;
  } const expected[] = {
      {L"点击安装", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED},
      {L"修改", ROLE_SYSTEM_LINK, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_LINKED},
      {L"最小化", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_FOCUSABLE},
      {L"关闭", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_FOCUSABLE},
      {L"下载进度", ROLE_SYSTEM_PROGRESSBAR, STATE_SYSTEM_READONLY},
  };
  ASSERT_EQ(count, 9);
  for (LONG id = 1; id <= 5; ++id) {
    const Child c = Read(tree.Get(), id);
    EXPECT_EQ(c.name, expected[id - 1].name) << id;
    EXPECT_EQ(c.role, expected[id - 1].role) << id;
    EXPECT_EQ(c.state, expected[id - 1].state) << id;
  }
  EXPECT_EQ(Read(tree.Get(), 6).name.rfind(L"安装路径：", 0), 0u);
  EXPECT_EQ(Read(tree.Get(), 9).state, STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_READONLY)
      << "no time left before the download";
  EXPECT_EQ(Read(tree.Get(), 7).state, STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_READONLY)
      << "an empty size text is not read out";

  // Where the install button is, a screen reader finds it and presses it.
  const RECT button = w.controls().installButton->GetRect();
  POINT centre = {(button.left + button.right) / 2, (button.top + button.bottom) / 2};
  ClientToScreen(hwnd, &centre);
  VARIANT hit;
  ASSERT_EQ(tree.Get()->accHitTest(centre.x, centre.y, &hit), S_OK);
  EXPECT_TRUE(hit.vt == VT_I4 && hit.lVal == 1);
  VARIANT next;
  EXPECT_TRUE(tree.Get()->accNavigate(NAVDIR_NEXT, hit, &next) == S_OK && next.lVal == 2);
  EXPECT_EQ(tree.Get()->accDoDefaultAction(hit), S_OK);
  ASSERT_TRUE(WaitFor(w.installation().started, 1));
  PumpFor(100);
  EXPECT_EQ(Read(tree.Get(), 1).name, L"暂停安装");
  EXPECT_EQ(Read(tree.Get(), 2).state & STATE_SYSTEM_UNAVAILABLE, STATE_SYSTEM_UNAVAILABLE);
  const std::wstring first = Read(tree.Get(), 5).value;
  PumpFor(1500);
  const std::wstring later = Read(tree.Get(), 5).value;
  EXPECT_NE(first, later) << "the percentage moves";
  EXPECT_EQ(later.back(), L'%');
  EXPECT_EQ(Read(tree.Get(), 7).state, STATE_SYSTEM_READONLY) << "the size is read once it shows";
  PrintTree("downloading", tree.Get());
  EXPECT_TRUE(Heard(EVENT_OBJECT_NAMECHANGE, 1)) << "the button's new text is announced";
  EXPECT_TRUE(Heard(EVENT_OBJECT_VALUECHANGE, 5)) << "so is the progress";
  Key(hwnd, VK_TAB);
  PumpFor(50);
  EXPECT_TRUE(Heard(EVENT_OBJECT_FOCUS, 3)) << "修改 is disabled: the focus goes to 最小化";
  UnhookWinEvent(hook);

  std::thread([&w] { w.OnFailed(dl::FailureKind::kInstallation, 0); }).join();
  PumpFor(50);
  dl::ComOwner<IAccessible> notice = ClientObject(w.noticeWindow()->GetHwnd());
  ASSERT_TRUE(notice);
  PrintTree("installation failure notice", notice.Get());
  EXPECT_EQ(Read(notice.Get(), 1).name, L"安装失败：");
  EXPECT_EQ(Read(notice.Get(), 4).state & STATE_SYSTEM_INVISIBLE, STATE_SYSTEM_INVISIBLE)
      << "重新下载 is not offered";
  EXPECT_EQ(Read(notice.Get(), 5).name, L"确定");

  window_.reset();
  EXPECT_EQ(tree.Get()->get_accChildCount(&count), RPC_E_DISCONNECTED) << "held past the window";
}

}  // namespace
}  // namespace dltest
