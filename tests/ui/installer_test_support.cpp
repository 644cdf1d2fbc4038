#include "tests/ui/installer_test_support.h"

#include "app/process_startup.h"
#include "app/site_config.h"
#include "tests/support/win_test_util.h"

namespace {
// The start-up the program does before its entry function: drawing library, window registry,
// the registered messages.
dl::ProcessStartup g_startup;
}  // namespace

namespace dltest {

TestWindow::~TestWindow() { FinishWorker(); }

void TestWindow::FinishWorker() {
  workerMayRun.store(false);
  gate().Resume();
  if (workerThread() != nullptr) WaitForSingleObject(workerThread(), INFINITE);
}

void TestWindow::RunWorker() {
  gate().WaitWhilePaused();
  ++workersStarted;
  while (workerMayRun.load()) {
    const int n = ++blocks;
    OnProgress(nullptr, 1, 10u * n, 1000u * n, 1000000, 1000u * n, 0);
    Sleep(5);
  }
}

bool TimerRunning(dl::SkinWindow& window, UINT_PTR id, UINT period) {
  if (!window.KillTimer(id)) return false;
  window.SetTimer(id, period);
  return true;
}

dl::Control* FindById(dl::Control* root, int id) {
  for (dl::Control* child : root->children()) {
    if (child->GetId() == id) return child;
    if (dl::Control* found = FindById(child, id)) return found;
  }
  return nullptr;
}

namespace {
BOOL CALLBACK FindMessageBox(HWND hwnd, LPARAM found) {
  wchar_t name[16] = {};
  GetClassNameW(hwnd, name, 16);
  if (wcscmp(name, L"#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
  *reinterpret_cast<HWND*>(found) = hwnd;
  return FALSE;
}
}  // namespace

MessageBoxAnswer::MessageBoxAnswer(DWORD windowThread)
    : thread_([this, windowThread] { Watch(windowThread); }) {}

MessageBoxAnswer::~MessageBoxAnswer() { Text(); }

std::wstring MessageBoxAnswer::Text() {
  stop_.store(true);
  if (thread_.joinable()) thread_.join();
  return text_;
}

void MessageBoxAnswer::Watch(DWORD windowThread) {
  for (int waited = 0; waited < 10000 && !stop_.load(); waited += 20) {
    HWND box = nullptr;
    EnumThreadWindows(windowThread, &FindMessageBox, reinterpret_cast<LPARAM>(&box));
    if (box != nullptr) {
      wchar_t text[128] = {};
      GetDlgItemTextW(box, 0xFFFF, text, 128);  // a message box's text control
      text_ = text;
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      return;
    }
    Sleep(20);
  }
}

void InstallerWindowTest::SetUp() {
  folder_ = FreshTempFolder(L"dl_installer_window");
  wchar_t current[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, current);
  oldCurrent_ = current;
  ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
  ASSERT_TRUE(WriteWholeFile(folder_ + L"\\__lobby_dl_debug.log", ""));
  dl::g_installState.store(dl::Idle);
  window_ = std::make_unique<TestWindow>();
  ASSERT_NE(window_->GetHwnd(), nullptr);
  PumpFor(50);
}

void InstallerWindowTest::TearDown() {
  window_.reset();
  if (!oldCurrent_.empty()) SetCurrentDirectoryW(oldCurrent_.c_str());
}

std::string InstallerWindowTest::Log() const {
  return ReadWholeFile(folder_ + L"\\__lobby_dl_debug.log");
}

}  // namespace dltest
