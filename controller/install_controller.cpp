#include "controller/install_controller.h"

#include <windows.h>

#include "install/stream_unpack.h"
#include "net/http_client.h"

namespace dl {

// The download's client: every block's figures go to the controller, its bytes to the digest
// and the unpacking that follows them, and a paused installation holds the downloading thread
// here, between two blocks.
class InstallController::Client final : public HttpClient {
 public:
  explicit Client(InstallController& owner) : owner_(owner) {}

 protected:
  void OnProgress(HANDLE, int status, uint32_t elapsed, uint64_t received, uint64_t total,
                  uint64_t fileBytes, int32_t) override {
    DownloadFigures figures;
    figures.downloadedBytes = static_cast<uint32_t>(fileBytes);
    figures.totalBytes = static_cast<uint32_t>(total);
    figures.transferMs = elapsed;
    figures.receivedBytes = received;
    if (owner_.unpacker_ != nullptr) owner_.unpacker_->Written(fileBytes);
    owner_.RecordBlock(figures, status == 1);
  }
  void OnWriteFrom(HANDLE file, uint64_t offset) override {
    owner_.digest_.WriteFrom(file, offset);
    if (owner_.unpacker_ != nullptr) owner_.unpacker_->WriteFrom(offset);
  }
  void OnBlock(const char* data, uint32_t size) override { owner_.digest_.Block(data, size); }

 private:
  InstallController& owner_;
};

InstallController::InstallController(const SiteSettings& settings, InstallObserver& observer)
    : settings_(settings),
      observer_(observer),
      reportDone_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      digest_(settings.packageKey),
      client_(std::make_unique<Client>(*this)) {}

InstallController::~InstallController() { StopAndJoin(); }

void InstallController::StopAndJoin() {
  stopping_.store(true);
  client_->stopRequested.store(1);
  gate_.Resume();
  Join();
}

void InstallController::RecordBlock(const DownloadFigures& figures, bool gotBytes) {
  downloadedBytes_.store(figures.downloadedBytes);
  totalBytes_.store(figures.totalBytes);
  transferMs_.store(figures.transferMs);
  receivedBytes_.store(figures.receivedBytes);
  if (gotBytes) {
    blocks_.fetch_add(1);
    if (reconnecting_.exchange(false)) observer_.OnReconnected();
  }
  gate_.WaitWhilePaused();
}

void InstallController::ReportDone() { SetEvent(reportDone_.Get()); }

DownloadFigures InstallController::figures() const {
  DownloadFigures figures;
  figures.downloadedBytes = downloadedBytes_.load();
  figures.totalBytes = totalBytes_.load();
  figures.transferMs = transferMs_.load();
  figures.receivedBytes = receivedBytes_.load();
  return figures;
}

bool InstallController::Start(const InstallTarget& target) {
  InstallState expected = InstallState::Idle;
  if (!state_.compare_exchange_strong(expected, InstallState::Downloading)) return false;
  gate_.Resume();
  Launch(target);
  return true;
}

bool InstallController::Pause() {
  // The gate closes first: if the worker has moved on meanwhile, it opens again.
  gate_.Pause();
  InstallState expected = InstallState::Downloading;
  if (state_.compare_exchange_strong(expected, InstallState::Paused)) return true;
  gate_.Resume();
  return false;
}

bool InstallController::Resume() {
  InstallState expected = InstallState::Paused;
  if (!state_.compare_exchange_strong(expected, InstallState::Downloading)) return false;
  gate_.Resume();
  return true;
}

void InstallController::Restart(const InstallTarget& target, bool heldPaused) {
  // The previous worker's last act was to report its failure; it ends right after.
  Join();
  state_.store(heldPaused ? InstallState::Paused : InstallState::Downloading);
  if (heldPaused) {
    gate_.Pause();
  } else {
    gate_.Resume();
  }
  Launch(target);
}

void InstallController::WaitForReport(unsigned timeoutMs) const {
  WaitForSingleObject(reportDone_.Get(), timeoutMs);
}

void InstallController::Launch(const InstallTarget& target) {
  Join();
  ResetEvent(reportDone_.Get());
  reconnecting_.store(false);
  client_->stopRequested.store(0);
  worker_ = std::thread([this, target] { RunAttempt(target); });
}

void InstallController::Join() {
  if (worker_.joinable()) worker_.join();
}

}  // namespace dl
