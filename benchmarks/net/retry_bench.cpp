// Runs one installation's download, retries and all, against a server and prints when it
// ended, so the retry policy's cost can be measured against real failures.
//
//   retry_bench HOST PATH FOLDER
//
// Prints one line: outcome (complete or failed) and the seconds from the start to it.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "config/site_settings.h"
#include "controller/install_controller.h"

namespace {

struct Ending : dl::InstallObserver {
  Ending() : done(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  void OnDownloadStarted() override {}
  void OnReconnecting() override {}
  void OnReconnected() override {}
  void OnDownloadComplete(const dl::DownloadFigures&) override { End("complete"); }
  void OnExtracting() override {}
  void OnInstalled() override {}
  void OnFailed(dl::FailureKind kind, int) override {
    if (kind == dl::FailureKind::kDownload) End("failed");
  }
  void OnPresentLobbyStarted() override {}
  void End(const char* what) {
    const char* expected = nullptr;
    if (outcome.compare_exchange_strong(expected, what)) {
      endedMs = GetTickCount64();
      SetEvent(done);
    }
  }
  HANDLE done;
  std::atomic<const char*> outcome{nullptr};
  uint64_t endedMs = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: retry_bench HOST PATH FOLDER\n");
    return 2;
  }
  dl::SiteSettings settings;
  settings.updateHost = argv[1];
  settings.packagePath = argv[2];
  settings.statsHost = "127.0.0.1:1";  // the outcome report goes nowhere
  settings.giveUpAfterSeconds = dl::CompiledBuildSettings().giveUpAfterSeconds;
  settings.maxDownloadAttempts = dl::CompiledBuildSettings().maxDownloadAttempts;
  const std::string folder = argv[3];
  const std::wstring base(folder.begin(), folder.end());
  Ending ending;
  dl::InstallController controller(settings, ending);
  const uint64_t start = GetTickCount64();
  controller.Start({base + L"\\", base + L"\\Tavoro\\"});
  WaitForSingleObject(ending.done, INFINITE);
  std::printf("%s %.2f\n", ending.outcome.load(), (ending.endedMs - start) / 1000.0);
  std::fflush(stdout);
  return 0;
}
