// The tray icon on a real skinned window, with the shell's callbacks sent as the shell sends
// them: the show message brings the window back and removes the icon, the menu message opens
// the popup menu, other icons' callbacks and the taskbar restart pass on to the window.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>

#include "tests/ui/framework_test_support.h"
#include "ui/framework/tray_icon.h"
#include "ui/framework/tray_messages.h"

namespace dltest {
namespace {

constexpr UINT kIconId = 7;
constexpr UINT kCloseCommand = 40004;

bool Saw(const ProbeWindow& window, UINT msg) {
  return std::find(window.messages.begin(), window.messages.end(), msg) != window.messages.end();
}

// Whether the shell holds the icon: changing it succeeds only for an icon it knows.
bool ShellHas(const dl::TrayIcon& tray) {
  NOTIFYICONDATAA data = *tray.iconData();
  data.uFlags = NIF_TIP;
  return Shell_NotifyIconA(NIM_MODIFY, &data) == TRUE;
}

HICON AppIcon() { return LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION)); }

TEST(Tray, ShowCallbackBringsTheWindowBackAndRemovesTheIcon) {
  CallLog log;
  ProbeWindow window({0, 0, 60, 40}, &log);
  HWND hwnd = window.GetHwnd();
  dl::TrayIcon tray;
  const std::string longTip(200, 'x');
  ASSERT_TRUE(
      tray.Create(hwnd, AppIcon(), kIconId, longTip.c_str(), 1, WM_LBUTTONUP, WM_RBUTTONUP));
  EXPECT_EQ(std::string(tray.iconData()->szTip), longTip.substr(0, 127)) << "cut to fit";
  EXPECT_EQ(tray.iconShown(), 0) << "prepared, not shown";

  tray.ShowIcon();
  ASSERT_EQ(tray.iconShown(), 1) << "the shell refused the icon";
  EXPECT_TRUE(ShellHas(tray));
  ShowWindow(hwnd, SW_HIDE);
  SendMessageW(hwnd, dl::WM_TRAY_NOTIFY, kIconId + 1, WM_LBUTTONUP);
  EXPECT_FALSE(IsWindowVisible(hwnd)) << "another icon's callback only reaches the window";
  EXPECT_EQ(tray.iconShown(), 1);
  EXPECT_TRUE(Saw(window, dl::WM_TRAY_NOTIFY));

  window.messages.clear();
  SendMessageW(hwnd, dl::WM_TRAY_NOTIFY, kIconId, WM_LBUTTONUP);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_EQ(tray.iconShown(), 0);
  EXPECT_FALSE(ShellHas(tray));
  EXPECT_TRUE(Saw(window, dl::WM_TRAY_NOTIFY)) << "the window also gets the callback";

  // Destruction removes the icon and puts the window's procedure back.
  tray.ShowIcon();
  NOTIFYICONDATAA probe = *tray.iconData();
  tray.Destroy();
  probe.uFlags = NIF_TIP;
  EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &probe));
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_WNDPROC),
            reinterpret_cast<LONG_PTR>(&dl::SkinWindow::SkinWindowProc));
}

TEST(Tray, TaskbarRestartPutsBackOnlyAShownIcon) {
  CallLog log;
  ProbeWindow window({0, 0, 60, 40}, &log);
  HWND hwnd = window.GetHwnd();
  dl::TrayIcon tray;
  ASSERT_TRUE(tray.Create(hwnd, AppIcon(), kIconId, "restart test", 1, WM_LBUTTONUP, WM_RBUTTONUP));
  // Prepared but not shown: the restart adds nothing.
  SendMessageW(hwnd, dl::WM_TASKBAR_CREATED, 0, 0);
  EXPECT_EQ(tray.iconShown(), 0);
  EXPECT_FALSE(ShellHas(tray));

  // Shown, then lost by the shell (as when it restarts): the restart adds it again.
  tray.ShowIcon();
  ASSERT_EQ(tray.iconShown(), 1);
  NOTIFYICONDATAA data = *tray.iconData();
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
  ASSERT_FALSE(ShellHas(tray));
  window.messages.clear();
  SendMessageW(hwnd, dl::WM_TASKBAR_CREATED, 0, 0);
  EXPECT_EQ(tray.iconShown(), 1);
  EXPECT_TRUE(ShellHas(tray));
  EXPECT_TRUE(Saw(window, dl::WM_TASKBAR_CREATED));

  // Hidden again by the window: the restart leaves it away.
  tray.HideIcon();
  EXPECT_EQ(tray.iconShown(), 0);
  SendMessageW(hwnd, dl::WM_TASKBAR_CREATED, 0, 0);
  EXPECT_FALSE(ShellHas(tray));
}

// Drives the popup menu from inside its own modal loop: a thread timer fires there, finds
// the menu window and chooses the first item; it ends the menu if none shows up.
int g_menuTicks = 0;
bool g_menuSeen = false;
void CALLBACK ChooseFirstItem(HWND, UINT, UINT_PTR, DWORD) {
  ++g_menuTicks;
  HWND menu = FindWindowW(L"#32768", nullptr);
  if (menu != nullptr && IsWindowVisible(menu) && !g_menuSeen) {
    g_menuSeen = true;
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
  } else if (g_menuTicks > 100) {
    EndMenu();
  }
}

TEST(Tray, MenuCallbackOpensThePopupAndItsCommandReachesTheWindow) {
  CallLog log;
  ProbeWindow window({0, 0, 60, 40}, &log);
  HWND hwnd = window.GetHwnd();
  HMENU menu = CreatePopupMenu();
  ASSERT_NE(menu, nullptr);
  AppendMenuW(menu, MF_STRING, kCloseCommand, L"\x5173\x95ed");
  const UINT id = static_cast<UINT>(reinterpret_cast<UINT_PTR>(menu));
  dl::TrayIcon tray;
  ASSERT_TRUE(tray.Create(hwnd, AppIcon(), id, "menu test", 1, WM_LBUTTONUP, WM_RBUTTONUP));
  DropQueued(hwnd);

  g_menuTicks = 0;
  g_menuSeen = false;
  UINT_PTR timer = SetTimer(nullptr, 0, 30, ChooseFirstItem);
  ASSERT_NE(timer, 0u);
  SendMessageW(hwnd, dl::WM_TRAY_NOTIFY, id, WM_RBUTTONUP);  // returns when the menu closes
  KillTimer(nullptr, timer);
  EXPECT_TRUE(g_menuSeen) << "no popup menu appeared";

  MSG command;
  bool found = false;
  for (int waited = 0; !found && waited < 2000; waited += 10) {
    found = PeekMessageW(&command, hwnd, WM_COMMAND, WM_COMMAND, PM_REMOVE) != 0;
    if (!found) Sleep(10);
  }
  ASSERT_TRUE(found) << "the chosen command did not reach the window";
  EXPECT_EQ(LOWORD(command.wParam), kCloseCommand);
  DestroyMenu(menu);
}

}  // namespace
}  // namespace dltest
