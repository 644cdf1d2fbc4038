// The window's life: centring, resizing, the registry, closing, timers and the main loop.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>

#include "tests/ui/framework_test_support.h"
#include "ui/framework/window_registry.h"

namespace dltest {
namespace {

TEST(Window, CenterRoundsTowardZeroOverTheOwner) {
  CallLog log;
  // An owned pop-up larger than its owner by 5 x 3: offsets of -2 and -1, not -3 and -2.
  ProbeWindow owner({0, 0, 100, 60}, &log, 0, Start::kHidden);
  SetWindowPos(owner.GetHwnd(), nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ProbeWindow owned({0, 0, 105, 63}, &log, 0, Start::kHidden, owner.GetHwnd());
  owned.Center(nullptr);
  RECT at;
  GetWindowRect(owned.GetHwnd(), &at);
  EXPECT_EQ(at.left, 298);
  EXPECT_EQ(at.top, 199);
  EXPECT_EQ(at.right - at.left, 105) << "the size stays";
  EXPECT_EQ(owned.GetRect().left, 0) << "the window's own rectangle stays";
}

TEST(Window, MoveResizesTheSurfaceAndADestroyedWindowIsNoLongerLookedUp) {
  CallLog log;
  auto window = std::make_unique<ProbeWindow>(RECT{0, 0, 80, 40}, &log);
  HWND hwnd = window->GetHwnd();
  ASSERT_EQ(dl::Windows()->Lookup(hwnd), window.get());
  RECT bigger = {0, 0, 120, 70};
  window->Move(&bigger, 1);
  BITMAP surface = {};
  ASSERT_EQ(GetObjectW(GetCurrentObject(window->surfaceDc(), OBJ_BITMAP), sizeof surface, &surface),
            static_cast<int>(sizeof surface));
  EXPECT_TRUE(surface.bmWidth == 120 && surface.bmHeight == 70 && surface.bmBitsPixel == 32);

  // Destroyed from outside while the object lives: unbound at once, deleted without a second
  // destruction.
  DestroyWindow(hwnd);
  EXPECT_EQ(window->GetHwnd(), nullptr);
  EXPECT_EQ(dl::Windows()->Lookup(hwnd), nullptr);
  window.reset();
  window = std::make_unique<ProbeWindow>(RECT{0, 0, 50, 40}, &log);
  hwnd = window->GetHwnd();
  window.reset();
  EXPECT_FALSE(IsWindow(hwnd)) << "the object's end destroys its window";
  EXPECT_EQ(dl::Windows()->Lookup(hwnd), nullptr);
}

TEST(Window, CloseEndsTheLoopOnlyWhenEnabledAndAllowed) {
  CallLog log;
  MSG quit;
  ProbeWindow refusing({0, 0, 50, 40}, &log);
  refusing.set_can_close(0);
  ProbeWindow disabled({0, 0, 50, 40}, &log);
  disabled.Enable(0);
  for (ProbeWindow* kept : {&refusing, &disabled}) {
    SendMessageW(kept->GetHwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(kept->GetHwnd()));
    EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  }

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

TEST(MessageLoop, DispatchesUntilQuitAndLeavesTheQuitForTheCaller) {
  CallLog log;
  ProbeWindow window({0, 0, 50, 40}, &log);
  DropQueued(window.GetHwnd());
  PostMessageW(window.GetHwnd(), WM_APP + 6, 0, 0);
  PostQuitMessage(42);
  dl::RunMessageLoop();
  EXPECT_EQ(std::count(window.messages.begin(), window.messages.end(), WM_APP + 6), 1);
  MSG quit;
  ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 42u);
}

}  // namespace
}  // namespace dltest
