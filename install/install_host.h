// The contract between the install worker (its own thread) and the installer window: the
// install state both change, the timers they share, the progress figures the worker stores
// and the window displays, the pause gate, and what the worker asks the window to do. The
// window carries every request out on its own thread, so the worker never touches a window
// object, a timer or a control itself.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "base/pause_gate.h"

namespace dl {

// g_installState values.
constexpr int Idle = 0;
constexpr int Downloading = 1;
constexpr int Paused = 2;
constexpr int Installed = 3;
constexpr int Extracting = 4;
extern std::atomic<int> g_installState;

// The installer window's timers (TIMER_ICON_TIP, 114, is declared with the shortcut).
constexpr UINT_PTR TIMER_PROGRESS = 99;
constexpr UINT TIMER_PROGRESS_MS = 100;
constexpr UINT_PTR TIMER_RUNNER = 112;
constexpr UINT TIMER_RUNNER_MS = 50;
constexpr UINT_PTR TIMER_TIPS = 113;
constexpr UINT TIMER_TIPS_MS = 8000;
constexpr UINT_PTR TIMER_HIDE_ICON_TIP = 115;
constexpr UINT TIMER_HIDE_ICON_TIP_MS = 60000;

// Written by the downloading thread (through the HTTP client's progress hook), read by the
// window's display timer. Each value is stored whole.
struct InstallProgress {
  std::atomic<uint32_t> downloadedBytes{0};  // low 32 bits of what the local file holds
  std::atomic<uint32_t> totalBytes{1};       // low 32 bits of the package size
  std::atomic<uint32_t> transferMs{1};       // never 0
  std::atomic<uint64_t> receivedBytes{0};
};

// Stores one progress report and then holds the calling (downloading) thread while the
// installation is paused: between two blocks, when it holds no lock of the internet library
// or the allocator. Called from the HTTP client's OnProgress override.
inline void RecordProgress(InstallProgress& progress, PauseGate& gate, uint32_t elapsedMs,
                           uint64_t received, uint64_t total, uint64_t fileBytes) {
  progress.downloadedBytes.store(static_cast<uint32_t>(fileBytes));
  progress.totalBytes.store(static_cast<uint32_t>(total));
  progress.transferMs.store(elapsedMs);
  progress.receivedBytes.store(received);
  gate.WaitWhilePaused();
}

// The texts the worker changes.
enum class WorkerText { Size, Percent, InstallButton };

// What the worker asks of the window. Requests are carried out on the window's thread in the
// order they were made; only InstallFolder waits for an answer.
class InstallHost {
 public:
  virtual ~InstallHost() = default;
  virtual void StartTimer(UINT_PTR id, UINT periodMs) = 0;
  virtual void StopTimer(UINT_PTR id) = 0;
  virtual void SetText(WorkerText which, const wchar_t* text) = 0;  // copied at once
  virtual void ShowRunner(int show) = 0;
  virtual void ShowFailureNotice(int kind) = 0;  // 0 download failed, 1 installation failed
  // Posts WM_DOWNLOADER_ACTIVATE: the window launches the lobby.
  virtual void PostActivate() = 0;
  // The success report has been sent (or has failed): the launch need not wait any longer.
  virtual void ReportDone() = 0;
  // The install folder as the path label shows it after its five-character prefix; ends "\".
  virtual std::wstring InstallFolder() = 0;
};

}  // namespace dl
