// The desktop shortcut under wine, on the bench's private desktop (the prefix's user desktop is
// the bench home's Desktop folder). The call runs on a worker thread, as in the installer, while
// this thread owns the timer window and pumps its messages.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/site_record.h"
#include "base/win_handles.h"
#include "install/desktop_shortcut.h"
#include "tests/support/win_test_util.h"

namespace {

std::string Ansi(const std::wstring& text) {
  char buf[1024] = {};
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, buf, sizeof buf, nullptr, nullptr);
  return buf;
}

// What the window saw while the worker ran.
struct Seen {
  std::vector<std::pair<WPARAM, LPARAM>> settingChanges;
  std::vector<UINT_PTR> timers;
  DWORD timerAfterMs = 0;
  DWORD startTick = 0;
};
Seen* g_seen = nullptr;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_seen != nullptr && message == WM_SETTINGCHANGE) {
    g_seen->settingChanges.emplace_back(wParam, lParam);
  }
  if (g_seen != nullptr && message == WM_TIMER) {
    if (g_seen->timers.empty()) g_seen->timerAfterMs = GetTickCount() - g_seen->startTick;
    g_seen->timers.push_back(wParam);
    KillTimer(window, wParam);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// The worker: optionally joins the multithreaded apartment first, the way a thread that already
// runs COM differently refuses the single-threaded one.
struct Job {
  const wchar_t* folder = nullptr;
  HWND window = nullptr;
  bool inMultithreadedApartment = false;
  bool saved = false;
  HRESULT apartmentAfter = E_FAIL;
};

DWORD WINAPI RunJob(void* param) {
  Job* job = static_cast<Job*>(param);
  if (job->inMultithreadedApartment) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
  }
  job->saved = dl::CreateDesktopShortcut(job->folder, job->window);
  if (job->inMultithreadedApartment) {
    // S_FALSE: the thread is still in its own apartment, untouched by the call.
    job->apartmentAfter = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    CoUninitialize();
    CoUninitialize();
  }
  return 0;
}

struct LinkFields {
  std::string path;
  std::string workingDirectory;
  std::string iconPath;
  int iconIndex = -1;
};

// Reads a link back through the shell's own link object; false if it cannot be loaded.
bool ReadLink(const std::wstring& file, LinkFields* out) {
  if (FAILED(CoInitialize(nullptr))) return false;
  bool ok = false;
  IShellLinkA* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
      char buf[1024] = {};
      if (SUCCEEDED(persist->Load(file.c_str(), STGM_READ))) {
        ok = SUCCEEDED(link->GetPath(buf, sizeof buf, nullptr, SLGP_RAWPATH));
        out->path = buf;
        buf[0] = '\0';
        ok = ok && SUCCEEDED(link->GetWorkingDirectory(buf, sizeof buf));
        out->workingDirectory = buf;
        buf[0] = '\0';
        ok = ok && SUCCEEDED(link->GetIconLocation(buf, sizeof buf, &out->iconIndex));
        out->iconPath = buf;
      }
      persist->Release();
    }
    link->Release();
  }
  CoUninitialize();
  return ok;
}

// Writes a link to another program, as an earlier installation of something else might have.
bool WriteOtherLink(const std::wstring& file) {
  if (FAILED(CoInitialize(nullptr))) return false;
  bool ok = false;
  IShellLinkA* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link)))) {
    link->SetPath("C:\\windows\\notepad.exe");
    link->SetWorkingDirectory("C:\\windows");
    link->SetIconLocation("C:\\windows\\notepad.exe", 1);
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
      ok = SUCCEEDED(persist->Save(file.c_str(), TRUE));
      persist->Release();
    }
    link->Release();
  }
  CoUninitialize();
  return ok;
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
    // Top-level (not message-only) so that the broadcast reaches it.
    window_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                              nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window_, nullptr);
    g_seen = &seen_;
  }
  void TearDown() override {
    g_seen = nullptr;
    if (window_ != nullptr) DestroyWindow(window_);
    DeleteFileW(link_.c_str());
    dltest::RemoveTree(root_);
  }

  // Runs the job on a worker while pumping this thread, then waits for the icon timer.
  void Run(Job* job) {
    job->folder = folder_.c_str();
    job->window = window_;
    seen_.startTick = GetTickCount();
    dl::UniqueHandle worker(CreateThread(nullptr, 0, RunJob, job, 0, nullptr));
    ASSERT_TRUE(worker);
    const DWORD deadline = GetTickCount() + 10000;
    bool workerDone = false;
    while ((!workerDone || seen_.timers.empty()) &&
           static_cast<LONG>(deadline - GetTickCount()) > 0) {
      HANDLE waitOn = worker.Get();
      const DWORD r =
          MsgWaitForMultipleObjects(workerDone ? 0 : 1, &waitOn, FALSE, 50, QS_ALLINPUT);
      if (r == WAIT_OBJECT_0 && !workerDone) workerDone = true;
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    ASSERT_TRUE(workerDone) << "the worker did not come back";
    DWORD code = 1;
    GetExitCodeThread(worker.Get(), &code);
    ASSERT_EQ(code, 0u);
  }

  void ExpectBroadcastAndTimer() {
    ASSERT_FALSE(seen_.settingChanges.empty()) << "no WM_SETTINGCHANGE reached the window";
    EXPECT_EQ(seen_.settingChanges.front().first, 0u);
    EXPECT_EQ(seen_.settingChanges.front().second, 0);
    ASSERT_EQ(seen_.timers.size(), 1u);
    EXPECT_EQ(seen_.timers.front(), dl::TIMER_ICON_TIP);
    // Allow for the tick granularity, not for a shorter delay.
    EXPECT_GE(seen_.timerAfterMs, 450u);
  }

  std::wstring root_;
  std::wstring folder_;
  std::wstring link_;
  HWND window_ = nullptr;
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
  // The shell resolves the path it is given, so the doubled separator of the target only
  // survives in the icon location, which is kept as text.
  EXPECT_EQ(fields.path, folder + "lobby.exe");
  EXPECT_EQ(fields.iconPath, folder + "\\lobby.exe");
  EXPECT_EQ(fields.workingDirectory, folder);
  EXPECT_EQ(fields.iconIndex, 0);
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
