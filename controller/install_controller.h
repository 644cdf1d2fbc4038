// One installation of the lobby, from the click on install to the hand-over: the HTTP client of
// the download, the pause gate, the progress figures, the worker thread and its attempt. The
// commands run on the caller's (the window's) thread; the attempt runs on the worker's thread and
// tells an InstallObserver what happens. The controller never touches a window.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/pause_gate.h"
#include "base/win_handles.h"
#include "config/site_settings.h"
#include "controller/install_events.h"
#include "controller/package_digest.h"

namespace dl {

class HttpClient;
class RetryPolicy;
class StreamUnpacker;

// Where one installation goes.
struct InstallTarget {
  std::wstring base;    // the package is extracted under it; ends with a backslash
  std::wstring folder;  // base + the site's folder name + "\": the package and the lobby
};

class InstallController {
 public:
  // Both must outlive the controller.
  InstallController(const SiteSettings& settings, InstallObserver& observer);
  // Stops a running attempt at its next block and waits for its thread.
  virtual ~InstallController();
  InstallController(const InstallController&) = delete;
  InstallController& operator=(const InstallController&) = delete;

  InstallState state() const { return state_.load(); }
  DownloadFigures figures() const;
  bool IsPaused() const { return gate_.IsPaused(); }

  // Idle -> Downloading and the worker starts. False, with nothing started, from any other state.
  bool Start(const InstallTarget& target);
  // Downloading -> Paused: the worker holds between two blocks, holding no lock. False when the
  // state had moved on (the worker reached the extraction).
  bool Pause();
  // Paused -> Downloading.
  bool Resume();
  // A new attempt after a failed one, running or held paused until Resume. Waits for the
  // previous worker to end first: the two would share one client.
  void Restart(const InstallTarget& target, bool heldPaused);
  // Waits up to timeoutMs for the outcome report of the attempt under way.
  void WaitForReport(unsigned timeoutMs) const;

 protected:
  // The attempt, on the worker's thread (install_worker.cpp); a stand-in in window tests. It
  // starts at the pause gate and reports through observer().
  virtual void RunAttempt(const InstallTarget& target);
  // One block's figures; holds the calling (downloading) thread while paused.
  // gotBytes: the block brought new bytes (a complete file found on disk brings none).
  void RecordBlock(const DownloadFigures& figures, bool gotBytes = true);
  void WaitWhilePaused() { gate_.WaitWhilePaused(); }
  void SetState(InstallState state) { state_.store(state); }
  void ReportDone();
  bool stopping() const { return stopping_.load(); }
  InstallObserver& observer() { return observer_; }
  // Stops the attempt under way at its next block and waits for its thread (a stand-in's
  // destructor calls it, while its own members still live).
  void StopAndJoin();

 private:
  class Client;

  void Launch(const InstallTarget& target);
  void Join();
  bool DownloadPackage();
  // Waits delayMs before the next attempt; a pause holds the wait and a continue ends it at
  // once. Paused time goes to policy (it does not count against giving up).
  void WaitToRetry(uint32_t delayMs, RetryPolicy& policy);
  void HoldWhilePaused(RetryPolicy& policy);
  // With the site's key: fetches the package's signature from the host that served it into
  // signature_. False only when no answer came (the download is then tried again).
  bool FetchSignature();
  // kExtractOk when the package passed (or the build checks none), else the report's result.
  int CheckPackage(const std::wstring& package);
  void HandOver(const std::wstring& folder, const char* encodedReport);
  void Fail(int extractResult, const char* encodedReport);

  const SiteSettings& settings_;
  InstallObserver& observer_;
  std::atomic<InstallState> state_{InstallState::Idle};
  PauseGate gate_;
  std::atomic<bool> stopping_{false};
  UniqueHandle reportDone_;  // set once the attempt's outcome report is out (or none is due)

  std::atomic<uint32_t> downloadedBytes_{0};
  std::atomic<uint32_t> totalBytes_{1};
  std::atomic<uint32_t> transferMs_{1};
  std::atomic<uint64_t> receivedBytes_{0};
  std::atomic<uint64_t> blocks_{0};        // blocks with bytes, over the whole installation
  std::atomic<bool> reconnecting_{false};  // OnReconnecting said, no byte since

  PackageDigest digest_;                // fed by the client's writes
  StreamUnpacker* unpacker_ = nullptr;  // follows the client's writes during a download
  std::vector<uint8_t> signature_;      // as the server sent it, at most one byte too long
  int signatureStatus_ = 0;             // the signature's HTTP status (404: none published)
  std::unique_ptr<HttpClient> client_;  // a Client
  std::thread worker_;
};

}  // namespace dl
