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

std::string Ansi(const std::wstring& text) {
  char buf[1024] = {};
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, buf, sizeof buf, nullptr, nullptr);
  return buf;
}

// Single-threaded COM on this thread for one scope; declare it before the interfaces.
class ComScope {
 public:
  ComScope() : ok_(SUCCEEDED(CoInitialize(nullptr))) {}
  ~ComScope() {
    if (ok_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_;
};

bool NewShellLink(ComPtr<IShellLinkA>* link, ComPtr<IPersistFile>* file) {
  return SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_PPV_ARGS(link->ReleaseAndGetAddressOf()))) &&
         SUCCEEDED(link->As(file));
}

struct LinkFields {
  std::string path;
  std::string workingDirectory;
  std::string iconPath;
  int iconIndex = -1;
};

// Reads a link back through the shell's own link object.
bool ReadLink(const std::wstring& name, LinkFields* out) {
  ComScope com;
  ComPtr<IShellLinkA> link;
  ComPtr<IPersistFile> file;
  char path[1024] = {};
  char dir[1024] = {};
  char icon[1024] = {};
  if (!com.ok() || !NewShellLink(&link, &file) || FAILED(file->Load(name.c_str(), STGM_READ)) ||
      FAILED(link->GetPath(path, sizeof path, nullptr, SLGP_RAWPATH)) ||
      FAILED(link->GetWorkingDirectory(dir, sizeof dir)) ||
      FAILED(link->GetIconLocation(icon, sizeof icon, &out->iconIndex))) {
    return false;
  }
  *out = {path, dir, icon, out->iconIndex};
  return true;
}

// A link of the same name to another program, as something else might have left there.
bool WriteOtherLink(const std::wstring& name) {
  ComScope com;
  ComPtr<IShellLinkA> link;
  ComPtr<IPersistFile> file;
  return com.ok() && NewShellLink(&link, &file) &&
         SUCCEEDED(link->SetPath("C:\\windows\\notepad.exe")) &&
         SUCCEEDED(link->SetWorkingDirectory("C:\\windows")) &&
         SUCCEEDED(link->SetIconLocation("C:\\windows\\notepad.exe", 1)) &&
         SUCCEEDED(file->Save(name.c_str(), TRUE));
}

// What the test windows received while the worker ran.
struct Seen {
  std::vector<std::pair<HWND, std::pair<WPARAM, LPARAM>>> settingChanges;
  std::vector<std::pair<HWND, UINT_PTR>> timers;
  DWORD startTick = 0;
  DWORD firstTimerAfterMs = 0;
};
Seen* g_seen = nullptr;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_seen != nullptr && message == WM_SETTINGCHANGE) {
    g_seen->settingChanges.push_back({window, {wParam, lParam}});
  }
  if (g_seen != nullptr && message == WM_TIMER) {
    if (g_seen->timers.empty()) g_seen->firstTimerAfterMs = GetTickCount() - g_seen->startTick;
    g_seen->timers.push_back({window, wParam});
    KillTimer(window, wParam);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
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
    g_seen = &seen_;
  }
  void TearDown() override {
    g_seen = nullptr;
    for (HWND window : {timerWindow_, bystander_}) {
      if (window != nullptr) DestroyWindow(window);
    }
    DeleteFileW(link_.c_str());
    dltest::RemoveTree(root_);
  }

  // Runs the job on a worker while pumping this thread, until the worker is back and a timer came.
  void Run(Job* job) {
    job->folder = folder_.c_str();
    job->timerWindow = timerWindow_;
    seen_.startTick = GetTickCount();
    dl::UniqueHandle worker(CreateThread(nullptr, 0, RunJob, job, 0, nullptr));
    ASSERT_TRUE(worker);
    const DWORD deadline = GetTickCount() + 10000;
    bool workerDone = false;
    while ((!workerDone || seen_.timers.empty()) &&
           static_cast<LONG>(deadline - GetTickCount()) > 0) {
      HANDLE waitOn = worker.Get();
      if (MsgWaitForMultipleObjects(workerDone ? 0 : 1, &waitOn, FALSE, 50, QS_ALLINPUT) ==
              WAIT_OBJECT_0 &&
          !workerDone) {
        workerDone = true;
      }
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    ASSERT_TRUE(workerDone) << "the worker did not come back";
    DWORD code = 1;
    GetExitCodeThread(worker.Get(), &code);
    ASSERT_EQ(code, 0u);
  }

  void ExpectBroadcastAndTimer() {
    const std::pair<WPARAM, LPARAM> noParameters{0, 0};
    for (HWND window : {timerWindow_, bystander_}) {
      EXPECT_EQ(std::count(seen_.settingChanges.begin(), seen_.settingChanges.end(),
                           std::make_pair(window, noParameters)),
                1)
          << (window == bystander_ ? "bystander" : "timer window")
          << ": WM_SETTINGCHANGE(0, 0) not received exactly once";
    }
    ASSERT_EQ(seen_.timers.size(), 1u);
    EXPECT_EQ(seen_.timers.front(), std::make_pair(timerWindow_, dl::TIMER_ICON_TIP));
    // Allows for the tick granularity, not for a shorter delay.
    EXPECT_GE(seen_.firstTimerAfterMs, 450u);
  }

  std::wstring root_;
  std::wstring folder_;
  std::wstring link_;
  HWND timerWindow_ = nullptr;
  HWND bystander_ = nullptr;
  Seen seen_;
};

TEST_F(DesktopShortcutTest, ReplacesTheLinkWithOneToTheLobbyThenBroadcastsAndArmsTheTimer) {
  ASSERT_TRUE(WriteOtherLink(link_));
  Job job;
  Run(&job);
  EXPECT_TRUE(job.saved);

  LinkFields fields;
  ASSERT_TRUE(ReadLink(link_, &fields));
  const std::string folder = Ansi(folder_);
  // The shell resolves the path it is given, so the doubled separator of the target text shows
  // only in the icon location, which the link keeps as it was set.
  EXPECT_EQ(fields.path, folder + "lobby.exe");
  EXPECT_EQ(fields.iconPath, folder + "\\lobby.exe");
  EXPECT_EQ(fields.iconIndex, 0);
  EXPECT_EQ(fields.workingDirectory, folder);
  ExpectBroadcastAndTimer();
}

TEST_F(DesktopShortcutTest, ThreadInAnotherApartmentGetsNoLinkButTheBroadcastAndTimer) {
  Job job;
  job.inMultithreadedApartment = true;
  Run(&job);
  EXPECT_FALSE(job.saved);
  EXPECT_EQ(job.apartmentAfter, S_FALSE) << "the call changed the thread's own COM state";
  EXPECT_FALSE(dltest::FileExists(link_));
  ExpectBroadcastAndTimer();
}

}  // namespace
