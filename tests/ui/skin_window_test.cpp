// The window's life: class registration, binding and the registry, showing and hit testing,
// centring, closing, timers and the main loop.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "tests/ui/framework_test_support.h"
#include "ui/framework/window_registry.h"

namespace dltest {
namespace {

TEST(Window, TwoWindowsOfOneClassShareTheFirstRegistration) {
  CallLog log;
  ProbeWindow first({0, 0, 50, 40}, &log, 0, Start::kVisibleStyle, L"FrameworkSharedClass",
                    CS_DBLCLKS);
  ProbeWindow second({0, 0, 60, 40}, &log, 0, Start::kHidden, L"FrameworkSharedClass", 0);
  ASSERT_NE(first.GetHwnd(), nullptr);
  ASSERT_NE(second.GetHwnd(), nullptr) << "an already registered class goes on";
  EXPECT_EQ(first.IsVisible(), 1) << "WS_VISIBLE in the style shows the window at once";
  EXPECT_EQ(second.IsVisible(), 0);
  EXPECT_EQ(GetClassLongPtrW(second.GetHwnd(), GCL_STYLE), static_cast<ULONG_PTR>(CS_DBLCLKS));
  EXPECT_EQ(GetClassLongPtrW(first.GetHwnd(), GCW_ATOM),
            GetClassLongPtrW(second.GetHwnd(), GCW_ATOM));
  // Each window is bound to its own object: the focus each answers is itself.
  EXPECT_EQ(SendMessageW(second.GetHwnd(), dl::WM_CONTROL_REQUEST, dl::CR_GETFOCUS, 1),
            reinterpret_cast<LRESULT>(static_cast<dl::Control*>(&second)));
  EXPECT_EQ(dl::Windows()->Lookup(first.GetHwnd()), &first);
  EXPECT_EQ(dl::Windows()->Lookup(second.GetHwnd()), &second);

  // The object pointer sits in the window's extra bytes; the native window is frameless and
  // has the window's rectangle as its size.
  EXPECT_EQ(GetClassLongPtrW(first.GetHwnd(), GCL_CBWNDEXTRA),
            static_cast<LONG_PTR>(sizeof(void*)));
  EXPECT_EQ(GetWindowLongPtrW(first.GetHwnd(), 0), reinterpret_cast<LONG_PTR>(&first));
  const LONG_PTR style = GetWindowLongPtrW(second.GetHwnd(), GWL_STYLE);
  EXPECT_EQ(style & (WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN),
            static_cast<LONG_PTR>(WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
  RECT client;
  GetClientRect(second.GetHwnd(), &client);
  EXPECT_EQ(client.right, 60);
  EXPECT_EQ(client.bottom, 40);
}

TEST(Window, HiddenWindowIsNotHitUntilShown) {
  CallLog log;
  ProbeWindow window({0, 0, 100, 60}, &log, 0, Start::kHidden);
  new ProbeControl("A", {10, 10, 50, 50}, &window, &log);
  HWND hwnd = window.GetHwnd();
  EXPECT_FALSE(IsWindowVisible(hwnd));
  EXPECT_EQ(window.IsVisible(), 0);
  SendMessageW(hwnd, WM_MOUSEMOVE, 0, Point(20, 20));
  EXPECT_EQ(window.hoverControl(), nullptr);
  EXPECT_EQ(log, (CallLog{"leave window", "move window"})) << "the window holds the capture";

  window.Show(SW_SHOWNORMAL);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_EQ(window.IsVisible(), 1);
  log.clear();
  SendMessageW(hwnd, WM_MOUSEMOVE, 0, Point(20, 20));
  EXPECT_EQ(log[0], "enter A");

  // Visible only while both the native window and the flag say so.
  ShowWindow(hwnd, SW_HIDE);
  EXPECT_EQ(window.IsVisible(), 0);
  ShowWindow(hwnd, SW_SHOWNA);
  EXPECT_EQ(window.IsVisible(), 1);
  window.Enable(0);
  EXPECT_FALSE(IsWindowEnabled(hwnd));
  EXPECT_EQ(window.IsEnabled(), 0);
  EnableWindow(hwnd, TRUE);
  EXPECT_EQ(window.IsEnabled(), 0) << "the flag still says disabled";
  window.Enable(1);
  EXPECT_EQ(window.IsEnabled(), 1);
}

TEST(Window, CenterRoundsTowardZero) {
  CallLog log;
  RECT work;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  // Odd differences to the work area in both directions.
  const int width = ((work.right - work.left) % 2 == 0) ? 201 : 200;
  const int height = ((work.bottom - work.top) % 2 == 0) ? 101 : 100;
  ProbeWindow lone({0, 0, width, height}, &log, 0, Start::kHidden);
  lone.Center(nullptr);
  RECT at;
  GetWindowRect(lone.GetHwnd(), &at);
  EXPECT_EQ(at.left, work.left + ((work.right - work.left) - width) / 2);
  EXPECT_EQ(at.top, work.top + ((work.bottom - work.top) - height) / 2);
  EXPECT_EQ(at.right - at.left, width) << "the size stays";
  EXPECT_EQ(lone.GetRect().left, 0) << "the window's own rectangle stays";

  // An owned pop-up larger than its owner by 5 x 3: offsets of -2 and -1, not -3 and -2.
  ProbeWindow owner({0, 0, 100, 60}, &log, 0, Start::kHidden, L"FrameworkProbe", 0);
  SetWindowPos(owner.GetHwnd(), nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ProbeWindow owned({0, 0, 105, 63}, &log, 0, Start::kHidden, L"FrameworkProbe", 0,
                    owner.GetHwnd());
  owned.Center(nullptr);
  GetWindowRect(owned.GetHwnd(), &at);
  EXPECT_EQ(at.left, 298);
  EXPECT_EQ(at.top, 199);

  // An explicit reference wins over the owner.
  RECT reference = {10, 20, 110, 121};  // 100 x 101
  owned.Center(&reference);
  GetWindowRect(owned.GetHwnd(), &at);
  EXPECT_EQ(at.left, 10 + (100 - 105) / 2);
  EXPECT_EQ(at.top, 20 + (101 - 63) / 2);
}

TEST(Window, MoveResizesTheNativeWindowAndTheSurface) {
  CallLog log;
  ProbeWindow window({0, 0, 80, 40}, &log);
  RECT bigger = {0, 0, 120, 70};
  RECT old = window.Move(&bigger, 1);
  EXPECT_EQ(old.right, 80);
  RECT client;
  GetClientRect(window.GetHwnd(), &client);
  EXPECT_EQ(client.right, 120);
  EXPECT_EQ(client.bottom, 70);
  BITMAP surface = {};
  ASSERT_EQ(GetObjectW(GetCurrentObject(window.surfaceDc(), OBJ_BITMAP), sizeof surface, &surface),
            static_cast<int>(sizeof surface));
  EXPECT_EQ(surface.bmWidth, 120);
  EXPECT_EQ(surface.bmHeight, 70);
  EXPECT_EQ(surface.bmBitsPixel, 32);
  EXPECT_EQ(window.GetRect().right, 120);
}

TEST(Window, DestroyedWindowIsNoLongerLookedUp) {
  CallLog log;
  HWND hwnd = nullptr;
  {
    ProbeWindow window({0, 0, 50, 40}, &log);
    hwnd = window.GetHwnd();
    ASSERT_EQ(dl::Windows()->Lookup(hwnd), &window);
  }
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(dl::Windows()->Lookup(hwnd), nullptr);

  // Destroyed from outside while the object lives: unbound at once, deleted without a
  // second destruction.
  auto window = std::make_unique<ProbeWindow>(RECT{0, 0, 50, 40}, &log);
  hwnd = window->GetHwnd();
  DestroyWindow(hwnd);
  EXPECT_EQ(window->GetHwnd(), nullptr);
  EXPECT_EQ(dl::Windows()->Lookup(hwnd), nullptr);
  window.reset();
}

TEST(Window, CloseEndsTheLoopOnlyWhenEnabledAndAllowed) {
  CallLog log;
  MSG quit;
  ProbeWindow refusing({0, 0, 50, 40}, &log);
  refusing.set_can_close(0);
  EXPECT_EQ(SendMessageW(refusing.GetHwnd(), WM_CLOSE, 0, 0), 0);
  EXPECT_TRUE(IsWindow(refusing.GetHwnd()));
  EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));

  ProbeWindow disabled({0, 0, 50, 40}, &log);
  disabled.Enable(0);
  SendMessageW(disabled.GetHwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(disabled.GetHwnd()));
  EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));

  ProbeWindow closing({0, 0, 50, 40}, &log);
  HWND hwnd = closing.GetHwnd();
  SendMessageW(hwnd, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(hwnd)) << "default processing destroys the window";
  ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 0u);
}

TEST(Window, TimersReachOnTimer) {
  CallLog log;
  ProbeWindow window({0, 0, 50, 40}, &log);
  EXPECT_NE(window.SetTimer(7, 10), 0u);
  const DWORD start = GetTickCount();
  while (window.timers.empty() && GetTickCount() - start < 3000) PumpFor(20);
  ASSERT_FALSE(window.timers.empty());
  EXPECT_EQ(window.timers[0], 7u);
  EXPECT_TRUE(window.KillTimer(7));
  EXPECT_FALSE(window.KillTimer(7)) << "already gone";
}

TEST(MessageLoop, ReportsTheQuitCodeAgainAndOffersMessagesToTheOwnerChain) {
  CallLog log;
  ProbeWindow owner({0, 0, 50, 40}, &log);
  owner.set_consume(WM_APP + 5);
  // A plain native pop-up owned by the skinned window: its messages are offered to the owner.
  HWND plain = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, owner.GetHwnd(), nullptr,
                               nullptr, nullptr);
  ASSERT_NE(plain, nullptr);
  DropQueued(owner.GetHwnd());
  DropQueued(plain);
  PostMessageW(plain, WM_APP + 5, 0, 0);
  PostMessageW(owner.GetHwnd(), WM_APP + 5, 0, 0);
  PostMessageW(owner.GetHwnd(), WM_APP + 6, 0, 0);
  PostQuitMessage(42);
  dl::RunMessageLoop();

  MSG quit;
  ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 42u);
  int offered = 0;
  for (UINT msg : owner.pretranslated) offered += msg == WM_APP + 5 || msg == WM_APP + 6;
  EXPECT_EQ(offered, 3) << "its own two, and the owned window's through the owner chain";
  bool consumedReached = false, otherReached = false;
  for (UINT msg : owner.messages) {
    consumedReached |= msg == WM_APP + 5;
    otherReached |= msg == WM_APP + 6;
  }
  EXPECT_FALSE(consumedReached);
  EXPECT_TRUE(otherReached) << "not consumed: translated and dispatched";
  DestroyWindow(plain);
}

}  // namespace
}  // namespace dltest
