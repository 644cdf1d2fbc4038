// The desktop shortcut under wine, on the bench's private desktop.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/site_record.h"
#include "install/desktop_shortcut.h"
#include "tests/support/win_test_util.h"

namespace {

// The link as the shell reads it back: "path|working folder|icon|index". The thread is in COM
// only for this; the shortcut is made on a thread that is not, as in the installer.
std::string ReadLink(const std::wstring& name) {
  if (FAILED(CoInitialize(nullptr))) return "<no COM>";
  Microsoft::WRL::ComPtr<IShellLinkA> link;
  Microsoft::WRL::ComPtr<IPersistFile> file;
  char path[1024] = {}, dir[1024] = {}, icon[1024] = {};
  int index = -1;
  if (FAILED(
          CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))) ||
      FAILED(link.As(&file)) || FAILED(file->Load(name.c_str(), STGM_READ)) ||
      FAILED(link->GetPath(path, sizeof path, nullptr, SLGP_RAWPATH)) ||
      FAILED(link->GetWorkingDirectory(dir, sizeof dir)) ||
      FAILED(link->GetIconLocation(icon, sizeof icon, &index))) {
    index = -2;
  }
  link.Reset();
  file.Reset();
  CoUninitialize();
  return std::string(path) + "|" + dir + "|" + icon + "|" + std::to_string(index);
}

std::vector<std::string> g_seen;  // "<window> <message> <wParam>" as the windows received them

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTINGCHANGE || message == WM_TIMER) {
    g_seen.push_back(std::to_string(GetWindowLongPtrW(window, GWLP_ID)) +
                     (message == WM_TIMER ? " timer " : " setting ") + std::to_string(wParam));
    if (message == WM_TIMER) KillTimer(window, wParam);
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// The installer window (1) and any other window (2), top-level: a broadcast reaches only those.
// The shortcut is made twice, the second time over the first; each time both windows hear of
// the change once, and the icon tip timer comes to the installer window after its delay.
TEST(DesktopShortcut, ReplacesTheLinkWithOneThatResolvesToTheLobbyAndTellsTheWindows) {
  const std::wstring root = dltest::FreshTempFolder(L"dl-shortcut-test");
  wchar_t desktop[MAX_PATH] = {};
  ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE));
  const std::wstring link = std::wstring(desktop) + L"\\" + dl::kSite.displayName + L".lnk";
  DeleteFileW(link.c_str());
  WNDCLASSW wc = {};
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = L"dl_shortcut_test_window";
  RegisterClassW(&wc);
  HWND windows[2];
  for (int id : {1, 2}) {
    windows[id - 1] = CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10,
                                      nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(windows[id - 1], nullptr);
    SetWindowLongPtrW(windows[id - 1], GWLP_ID, id);
  }
  for (const wchar_t* name : {L"\\Old\\", L"\\Tavoro\\"}) {
    ASSERT_TRUE(CreateDirectoryW((root + name).c_str(), nullptr));
    ASSERT_TRUE(dltest::WriteWholeFile(root + name + L"lobby.exe", "MZ"));
    g_seen.clear();
    const DWORD start = GetTickCount();
    EXPECT_TRUE(dl::CreateDesktopShortcut((root + name).c_str(), windows[0]));
    for (MSG msg; g_seen.size() < 3 && GetTickCount() - start < 5000;) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    EXPECT_GE(GetTickCount() - start, 450u);
    std::sort(g_seen.begin(), g_seen.end());
    EXPECT_EQ(g_seen, (std::vector<std::string>{"1 setting 0", "1 timer 114", "2 setting 0"}));
  }
  const std::string at(root.begin(), root.end());
  // The doubled separator of the target text shows only in the icon location: the shell
  // resolves the path it is given.
  EXPECT_EQ(ReadLink(link),
            at + "\\Tavoro\\lobby.exe|" + at + "\\Tavoro\\|" + at + "\\Tavoro\\\\lobby.exe|0");
  for (HWND window : windows) DestroyWindow(window);
  DeleteFileW(link.c_str());
  dltest::RemoveTree(root);
}

}  // namespace
