// The desktop shortcut under wine. The bench prefix's user desktop (CSIDL_DESKTOPDIRECTORY) is the
// bench home's Desktop folder, so the links made here never leave the bench. The call runs on a
// worker thread, as in the installer, while this thread owns the windows and pumps their messages.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/site_record.h"
#include "base/win_handles.h"
#include "install/desktop_shortcut.h"
#include "tests/support/win_test_util.h"

namespace {

using Microsoft::WRL::ComPtr;

// A link through the shell's own link object: written to point at notepad (as something else
// might have left one of the same name), or read back as "path|working folder|icon|index".
std::string ShellLink(const std::wstring& name, bool writeOther) {
  if (FAILED(CoInitialize(nullptr))) return "<no COM>";
  std::string result = "<failed>";
  {
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
    char path[1024] = {}, dir[1024] = {}, icon[1024] = {};
    int index = -1;
    const bool made = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                                 IID_PPV_ARGS(&link))) &&
                      SUCCEEDED(link.As(&file));
    if (made && writeOther && SUCCEEDED(link->SetPath("C:\\windows\\notepad.exe")) &&
        SUCCEEDED(link->SetWorkingDirectory("C:\\windows")) &&
        SUCCEEDED(link->SetIconLocation("C:\\windows\\notepad.exe", 1)) &&
        SUCCEEDED(file->Save(name.c_str(), TRUE))) {
      result = "written";
    } else if (made && !writeOther && SUCCEEDED(file->Load(name.c_str(), STGM_READ)) &&
               SUCCEEDED(link->GetPath(path, sizeof path, nullptr, SLGP_RAWPATH)) &&
               SUCCEEDED(link->GetWorkingDirectory(dir, sizeof dir)) &&
               SUCCEEDED(link->GetIconLocation(icon, sizeof icon, &index))) {
      result = std::string(path) + "|" + dir + "|" + icon + "|" + std::to_string(index);
    }
  }
  CoUninitialize();
  return result;
}

// What the test windows received while the worker ran.
struct Seen {
  std::vector<std::pair<HWND, std::pair<WPARAM, LPARAM>>> settingChanges;
  std::vector<std::pair<HWND, UINT_PTR>> timers;
  DWORD startTick = 0;
  DWORD firstTimerAfterMs = 0;
} g_seen;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTINGCHANGE) g_seen.settingChanges.push_back({window, {wParam, lParam}});
  if (message != WM_TIMER) return DefWindowProcW(window, message, wParam, lParam);
  if (g_seen.timers.empty()) g_seen.firstTimerAfterMs = GetTickCount() - g_seen.startTick;
  g_seen.timers.push_back({window, wParam});
  KillTimer(window, wParam);
  return 0;
}

// The worker. Joining the multithreaded apartment first is how a thread that already runs COM
// differently makes the shortcut's own initialisation fail.
struct Job {
  const wchar_t* folder = nullptr;
  HWND timerWindow = nullptr;
  bool inMultithreadedApartment = false;
  bool saved = false;
  HRESULT apartmentAfter = E_FAIL;
};

DWORD WINAPI RunJob(void* param) {
  Job* job = static_cast<Job*>(param);
  if (job->inMultithreadedApartment && FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
    return 1;
  }
  job->saved = dl::CreateDesktopShortcut(job->folder, job->timerWindow);
  if (job->inMultithreadedApartment) {
    // S_FALSE: the thread is still in its own apartment, untouched by the call.
    job->apartmentAfter = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    CoUninitialize();
    CoUninitialize();
  }
  return 0;
}

class DesktopShortcutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_seen = Seen();
    root_ = dltest::FreshTempFolder(L"dl-shortcut-test");
    folder_ = root_ + L"\\" + dl::kSite.displayName + L"\\";
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    ASSERT_TRUE(dltest::WriteWholeFile(folder_ + L"lobby.exe", "MZ"));
    wchar_t desktop[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE));
    link_ = std::wstring(desktop) + L"\\" + dl::kSite.displayName + L".lnk";
    DeleteFileW(link_.c_str());

    WNDCLASSW wc = {};
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"dl_shortcut_test_window";
    RegisterClassW(&wc);
    // Top-level, not message-only: a broadcast reaches only top-level windows. The bystander
    // stands for every other window that has to hear of the new icon.
    for (HWND* window : {&timerWindow_, &bystander_}) {
      *window = CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                nullptr, wc.hInstance, nullptr);
      ASSERT_NE(*window, nullptr);
    }
  }
  void TearDown() override {
    for (HWND window : {timerWindow_, bystander_}) {
      if (window != nullptr) DestroyWindow(window);
    }
    DeleteFileW(link_.c_str());
    dltest::RemoveTree(root_);
  }

  // Runs the job on a worker while pumping this thread, until the worker is back and a timer
  // came; then checks that both windows heard of the change once and the icon tip timer came.
  void RunAndExpectBroadcastAndTimer(Job* job) {
    job->folder = folder_.c_str();
    job->timerWindow = timerWindow_;
    g_seen.startTick = GetTickCount();
    dl::UniqueHandle worker(CreateThread(nullptr, 0, RunJob, job, 0, nullptr));
    ASSERT_TRUE(worker);
    bool workerDone = false;
    for (const DWORD deadline = GetTickCount() + 10000;
         (!workerDone || g_seen.timers.empty()) &&
         static_cast<LONG>(deadline - GetTickCount()) > 0;) {
      HANDLE waitOn = worker.Get();
      workerDone |= MsgWaitForMultipleObjects(workerDone ? 0 : 1, &waitOn, FALSE, 50,
                                              QS_ALLINPUT) == WAIT_OBJECT_0 &&
                    !workerDone;
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    ASSERT_TRUE(workerDone) << "the worker did not come back";
    DWORD code = 1;
    GetExitCodeThread(worker.Get(), &code);
    ASSERT_EQ(code, 0u);

    for (HWND window : {timerWindow_, bystander_}) {
      EXPECT_EQ(std::count(g_seen.settingChanges.begin(), g_seen.settingChanges.end(),
                           std::make_pair(window, std::pair<WPARAM, LPARAM>(0, 0))),
                1)
          << (window == bystander_ ? "bystander" : "timer window");
    }
    ASSERT_EQ(g_seen.timers.size(), 1u);
    EXPECT_EQ(g_seen.timers.front(), std::make_pair(timerWindow_, dl::TIMER_ICON_TIP));
    EXPECT_GE(g_seen.firstTimerAfterMs, 450u);  // allows for the tick granularity only
  }

  std::wstring root_, folder_, link_;
  HWND timerWindow_ = nullptr;
  HWND bystander_ = nullptr;
};

TEST_F(DesktopShortcutTest, ReplacesTheLinkWithOneToTheLobbyThenBroadcastsAndArmsTheTimer) {
  ASSERT_EQ(ShellLink(link_, true), "written");
  Job job;
  RunAndExpectBroadcastAndTimer(&job);
  EXPECT_TRUE(job.saved);
  char folder[MAX_PATH] = {};
  WideCharToMultiByte(CP_ACP, 0, folder_.c_str(), -1, folder, MAX_PATH, nullptr, nullptr);
  // The shell resolves the path it is given, so the doubled separator of the target text shows
  // only in the icon location, which the link keeps as it was set.
  EXPECT_EQ(ShellLink(link_, false),
            std::string(folder) + "lobby.exe|" + folder + "|" + folder + "\\lobby.exe|0");
}

TEST_F(DesktopShortcutTest, ThreadInAnotherApartmentGetsNoLinkButTheBroadcastAndTimer) {
  Job job;
  job.inMultithreadedApartment = true;
  RunAndExpectBroadcastAndTimer(&job);
  EXPECT_FALSE(job.saved);
  EXPECT_EQ(job.apartmentAfter, S_FALSE) << "the call changed the thread's own COM state";
  EXPECT_FALSE(dltest::FileExists(link_));
}

}  // namespace
