// The desktop shortcut on the bench's own desktop, read back through the shell's link object,
// and the broadcast and timer that follow it even when COM is unusable on the calling thread.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "app/site_record.h"
#include "install/desktop_shortcut.h"
#include "tests/support/win_test_util.h"

namespace {

std::wstring LinkPath() {
  wchar_t desktop[MAX_PATH] = {};
  SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE);
  return std::wstring(desktop) + L"\\" + dl::kSite.displayName + L".lnk";
}

std::string Collapsed(std::string path) {
  for (size_t at; (at = path.find("\\\\")) != std::string::npos;) path.erase(at, 1);
  return path;
}

struct LinkContents {
  std::string path, workingDir, iconPath;
  int iconIndex = -1;
};

bool ReadLink(const std::wstring& file, LinkContents* out) {
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link)))) {
    return false;
  }
  IPersistFile* persist = nullptr;
  bool ok = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)));
  char text[MAX_PATH * 2];
  if (ok) ok = SUCCEEDED(persist->Load(file.c_str(), STGM_READ));
  if (ok && SUCCEEDED(link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH))) out->path = text;
  if (ok && SUCCEEDED(link->GetWorkingDirectory(text, sizeof text))) out->workingDir = text;
  if (ok && SUCCEEDED(link->GetIconLocation(text, sizeof text, &out->iconIndex))) {
    out->iconPath = text;
  }
  if (persist != nullptr) persist->Release();
  link->Release();
  return ok;
}

// A top-level window that notes the broadcast and the icon-tip timer.
struct Observer {
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Observer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && message == WM_SETTINGCHANGE) ++self->settingChanges;
    if (self != nullptr && message == WM_TIMER && wParam == dl::TIMER_ICON_TIP) {
      ++self->iconTimers;
      KillTimer(window, wParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }
  Observer() {
    WNDCLASSW cls = {};
    cls.lpfnWndProc = Proc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"DlShortcutObserver";
    RegisterClassW(&cls);
    window = CreateWindowW(cls.lpszClassName, L"observer", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                           nullptr, cls.hInstance, nullptr);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~Observer() { DestroyWindow(window); }

  // Runs the call on a worker thread, as the installer does, pumping this thread's messages
  // until the timer fired or two seconds passed.
  bool RunOnWorker(const std::wstring& folder, bool workerInMultithreadedCom) {
    bool saved = false;
    std::thread worker([&] {
      // A thread already in the multithreaded apartment cannot enter a single-threaded one.
      if (workerInMultithreadedCom) CoInitializeEx(nullptr, COINIT_MULTITHREADED);
      saved = dl::CreateDesktopShortcut(folder.c_str(), window);
      if (workerInMultithreadedCom) CoUninitialize();
    });
    // The broadcast is sent while the worker runs; it needs this thread to answer.
    const DWORD start = GetTickCount();
    while (iconTimers == 0 && GetTickCount() - start < 2000) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    worker.join();
    return saved;
  }

  HWND window = nullptr;
  int settingChanges = 0;
  int iconTimers = 0;
};

class ShortcutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    DeleteFileW(LinkPath().c_str());
  }
  void TearDown() override {
    DeleteFileW(LinkPath().c_str());
    CoUninitialize();
  }
};

TEST_F(ShortcutTest, LinkPointsAtTheLobbyAndReplacesAnOldOne) {
  // An older link to somewhere else is replaced.
  ASSERT_TRUE(dltest::WriteWholeFile(LinkPath(), "not a link at all"));
  Observer observer;
  ASSERT_TRUE(observer.RunOnWorker(L"C:\\Program Files\\Tavoro\\", false));
  LinkContents link;
  ASSERT_TRUE(ReadLink(LinkPath(), &link));
  // The shell may store the target with the doubled separator collapsed; both name the lobby.
  EXPECT_EQ(Collapsed(link.path), "C:\\Program Files\\Tavoro\\lobby.exe");
  EXPECT_EQ(link.workingDir, "C:\\Program Files\\Tavoro\\");
  EXPECT_EQ(link.iconPath, "C:\\Program Files\\Tavoro\\\\lobby.exe");
  EXPECT_EQ(link.iconIndex, 0);
  EXPECT_GE(observer.settingChanges, 1);
  EXPECT_EQ(observer.iconTimers, 1);

  ASSERT_TRUE(observer.RunOnWorker(L"D:\\Games\\Tavoro\\", false));
  ASSERT_TRUE(ReadLink(LinkPath(), &link));
  EXPECT_EQ(Collapsed(link.path), "D:\\Games\\Tavoro\\lobby.exe");
}

TEST_F(ShortcutTest, BroadcastAndTimerHappenWhenComFails) {
  Observer observer;
  EXPECT_FALSE(observer.RunOnWorker(L"C:\\Program Files\\Tavoro\\", true));
  EXPECT_FALSE(dltest::FileExists(LinkPath()));
  EXPECT_GE(observer.settingChanges, 1);
  EXPECT_EQ(observer.iconTimers, 1);

  // A folder that does not fit the path buffer saves nothing, and still arms the timer.
  Observer second;
  EXPECT_FALSE(second.RunOnWorker(std::wstring(300, L'x') + L"\\", false));
  EXPECT_FALSE(dltest::FileExists(LinkPath()));
  EXPECT_EQ(second.iconTimers, 1);
}

}  // namespace
