// The tray icon on a real skinned window, with the shell's callbacks sent as the shell sends
// them: the show message brings the window back and removes the icon, the menu message opens
// the popup menu, other icons' callbacks and the taskbar restart pass on to the window.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "tests/ui/framework_test_support.h"
#include "ui/framework/tray_icon.h"
#include "ui/framework/tray_messages.h"

namespace dltest {
namespace {

constexpr UINT kIconId = 7;
constexpr UINT kCloseCommand = 40004;

bool Saw(const ProbeWindow& window, UINT msg) {
  for (UINT seen : window.messages) {
    if (seen == msg) return true;
  }
  return false;
}

// Whether the shell holds the icon: changing it succeeds only for an icon it knows.
bool ShellHas(const dl::TrayIcon& tray) {
  NOTIFYICONDATAA data = *tray.iconData();
  data.uFlags = NIF_TIP;
  return Shell_NotifyIconA(NIM_MODIFY, &data) == TRUE;
}

TEST(Tray, CreatePreparesTheIconOnceAndCutsTheTip) {
  CallLog log;
  ProbeWindow window({0, 0, 60, 40}, &log);
  dl::TrayIcon tray;
  EXPECT_TRUE(tray.Create(nullptr, nullptr, kIconId, "tip", 1, WM_LBUTTONUP, WM_RBUTTONUP));
  EXPECT_EQ(tray.iconData(), nullptr) << "no owner: nothing prepared";

  const std::string longTip(200, 'x');
  HICON icon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  ASSERT_TRUE(
      tray.Create(window.GetHwnd(), icon, kIconId, longTip.c_str(), 1, WM_LBUTTONUP, WM_RBUTTONUP));
  const NOTIFYICONDATAA* data = tray.iconData();
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->cbSize, sizeof(NOTIFYICONDATAA));
  EXPECT_EQ(data->hWnd, window.GetHwnd());
  EXPECT_EQ(data->uID, kIconId);
  EXPECT_EQ(data->uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO));
  EXPECT_EQ(data->uCallbackMessage, dl::WM_TRAY_NOTIFY);
  EXPECT_EQ(data->hIcon, icon);
  EXPECT_EQ(std::strlen(data->szTip), 127u);
  EXPECT_EQ(std::string(data->szTip), longTip.substr(0, 127));
  EXPECT_EQ(data->szInfo[0], '\0');
  EXPECT_EQ(tray.iconShown(), 0) << "prepared, not shown";

  EXPECT_TRUE(tray.Create(window.GetHwnd(), nullptr, 99, "other", 0, 0, 0));
  EXPECT_EQ(tray.iconData(), data) << "a second call changes nothing";
  EXPECT_EQ(data->uID, kIconId);
  EXPECT_EQ(std::strlen(data->szTip), 127u);

  dl::TrayIcon shortTip;
  ASSERT_TRUE(shortTip.Create(window.GetHwnd(), icon, kIconId + 1, "short tip", 1, WM_LBUTTONUP,
                              WM_RBUTTONUP));
  EXPECT_STREQ(shortTip.iconData()->szTip, "short tip");
}

TEST(Tray, ShowCallbackBringsTheWindowBackAndRemovesTheIcon) {
  CallLog log;
  ProbeWindow window({0, 0, 60, 40}, &log);
  HWND hwnd = window.GetHwnd();
  dl::TrayIcon tray;
  ASSERT_TRUE(tray.Create(hwnd, LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION)),
                          kIconId, "tray test", 1, WM_LBUTTONUP, WM_RBUTTONUP));
  tray.ShowIcon();
  ASSERT_EQ(tray.iconShown(), 1) << "the shell refused the icon";
  EXPECT_TRUE(ShellHas(tray));
  ShowWindow(hwnd, SW_HIDE);

  // Another icon's callback goes straight on to the window.
  window.messages.clear();
  SendMessageW(hwnd, dl::WM_TRAY_NOTIFY, kIconId + 1, WM_LBUTTONUP);
  EXPECT_FALSE(IsWindowVisible(hwnd));
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
  ASSERT_EQ(tray.iconShown(), 1);
  const NOTIFYICONDATAA data = *tray.iconData();
  tray.Destroy();
  EXPECT_EQ(tray.iconData(), nullptr);
  EXPECT_EQ(tray.iconShown(), 0);
  NOTIFYICONDATAA probe = data;
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
  ASSERT_TRUE(tray.Create(hwnd, LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION)),
                          kIconId, "restart test", 1, WM_LBUTTONUP, WM_RBUTTONUP));
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
  ASSERT_TRUE(tray.Create(hwnd, LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION)), id,
                          "menu test", 1, WM_LBUTTONUP, WM_RBUTTONUP));
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
  const DWORD start = GetTickCount();
  while (!found && GetTickCount() - start < 2000) {
    found = PeekMessageW(&command, hwnd, WM_COMMAND, WM_COMMAND, PM_REMOVE) != 0;
    if (!found) Sleep(10);
  }
  ASSERT_TRUE(found) << "the chosen command did not reach the window";
  EXPECT_EQ(LOWORD(command.wParam), kCloseCommand);
  DispatchMessageW(&command);
  EXPECT_TRUE(Saw(window, WM_COMMAND));
  DestroyMenu(menu);
}

}  // namespace
}  // namespace dltest
