// What an installation tells its observer, in its own terms: where it is and what came of it.
// The observer decides what a person sees; nothing here knows a window, a timer or a text.
#pragma once

#include <cstdint>

namespace dl {

// The numbers are what the install button's state table has always used.
enum class InstallState { Idle = 0, Downloading = 1, Paused = 2, Installed = 3, Extracting = 4 };

// The download's figures as the display turns them into the bar and texts.
struct DownloadFigures {
  uint32_t downloadedBytes = 0;  // low 32 bits of what the local file holds
  uint32_t totalBytes = 1;       // low 32 bits of the package size
  uint32_t transferMs = 1;       // time spent receiving since the connection was made
  uint64_t receivedBytes = 0;    // bytes received since the connection was made
};

// How the package was unpacked, for the diagnostics.
struct UnpackFigures {
  bool asItArrived = false;  // followed the download; otherwise read whole after it
  int entries = 0;           // entries unpacked as it arrived
  uint64_t bytes = 0;        // their bytes
  int result = 0;            // the outcome's code (0: unpacked)
};

enum class FailureKind {
  kDownload,      // every attempt failed; downloading again may help
  kInstallation,  // the package did not extract; downloading again would not help
};

// Called on the install worker's thread, in the order below for one attempt. Implementations
// hand each event to their own thread and return at once: the worker must never wait for a
// window.
class InstallObserver {
 public:
  virtual ~InstallObserver() = default;
  // The attempt runs (a worker created held paused calls this once it is resumed).
  virtual void OnDownloadStarted() = 0;
  // The server or network stopped answering and the download waits before it tries again:
  // the figures are stale from now on. Said once per outage, however many waits follow.
  virtual void OnReconnecting() = 0;
  // The first byte after OnReconnecting arrived: the figures are live again.
  virtual void OnReconnected() = 0;
  // The package is complete; figures are the last ones. The state is Extracting from now on.
  virtual void OnDownloadComplete(const DownloadFigures& figures) = 0;
  virtual void OnExtracting() = 0;
  // The package was unpacked, or failed to be; before OnInstalled, OnFailed or
  // OnPresentLobbyStarted.
  virtual void OnUnpacked(const UnpackFigures& figures) { (void)figures; }
  // Extracted and the desktop shortcut made; the state is Installed. The outcome report
  // follows; InstallController::WaitForReport waits for it.
  virtual void OnInstalled() = 0;
  // The attempt ended without an installation. extractResult is the extraction's code that
  // went to the statistics server (0 for a download failure, which sends no report).
  virtual void OnFailed(FailureKind kind, int extractResult) = 0;
  // The package could not replace a lobby that is running; that lobby was started instead and
  // this process has nothing left to do.
  virtual void OnPresentLobbyStarted() = 0;
};

}  // namespace dl
