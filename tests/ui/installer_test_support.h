// What the installer window tests under wine share: the program's start-up, a window whose
// worker is a stand-in the test steers and whose close is only counted, and helpers to look at
// timers and controls and to answer message boxes.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "tests/ui/ui_test_support.h"
#include "ui/installer/download_window.h"

namespace dltest {

// The installer window with a stand-in worker: it waits at the gate like the real one, counts
// its start, then reports a block every few milliseconds through the window's progress hook
// until told to finish.
class TestWindow : public dl::DownloadWindow {
 public:
  explicit TestWindow(ThreadStart bannerThread = nullptr) : DownloadWindow(bannerThread) {}
  ~TestWindow() override;

  int CanClose() override {
    ++closeCalls;
    return 0;
  }

  // Ends the current stand-in worker and waits for its thread.
  void FinishWorker();

  std::atomic<int> closeCalls{0};
  std::atomic<int> workersStarted{0};
  std::atomic<int> blocks{0};
  std::atomic<bool> workerMayRun{true};

 protected:
  void RunWorker() override;
};

// Whether the window's timer id is set: probed by stopping it, then set again with period.
bool TimerRunning(dl::SkinWindow& window, UINT_PTR id, UINT period);
// The first child (depth first) with that control id.
dl::Control* FindById(dl::Control* root, int id);
inline std::wstring TextOf(dl::Label* label) { return label->CopyText(); }
// What a click of the control does, as the window's tree passes it up.
inline void Click(dl::Control* window, dl::Control* source) {
  dl::ControlEvent click = {0, 0, dl::CN_CLICK};
  window->Notify(&click, source);
}
// A real click at a client point of the window: move, press, release.
inline void ClickAt(HWND hwnd, int x, int y) {
  SendMessageW(hwnd, WM_MOUSEMOVE, 0, Point(x, y));
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, Point(x, y));
  SendMessageW(hwnd, WM_LBUTTONUP, 0, Point(x, y));
}

// Answers (OK) the first message box that the given thread shows within ten seconds, and
// keeps its text: the window's own boxes and the shell's error boxes are modal on that thread.
class MessageBoxAnswer {
 public:
  explicit MessageBoxAnswer(DWORD windowThread);
  ~MessageBoxAnswer();
  // The box's text once answered (empty when none came); stops watching.
  std::wstring Text();

 private:
  void Watch(DWORD windowThread);

  std::atomic<bool> stop_{false};
  std::wstring text_;
  std::thread thread_;
};

// A fresh window per test, in a fresh current folder holding an empty debug log (the window
// opens its log there), with the install state back at Idle.
class InstallerWindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::string Log() const;

  std::wstring folder_;
  std::wstring oldCurrent_;
  std::unique_ptr<TestWindow> window_;
};

}  // namespace dltest
