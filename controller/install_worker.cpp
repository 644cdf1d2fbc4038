// One installation attempt, on the worker's thread: connect, create the install folder,
// download the package (retrying as the retry policy says), extract it (with one more try), then
// hand over to the observer for the launch, start an already installed lobby, or report a failure;
// every extraction outcome goes to the statistics server.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "base/text_convert.h"
#include "base/win_handles.h"
#include "config/site_record.h"
#include "controller/install_controller.h"
#include "controller/retry_policy.h"
#include "controller/worker_rules.h"
#include "install/desktop_shortcut.h"
#include "install/package_extract.h"
#include "install/stream_unpack.h"
#include "trust/ecdsa_signature.h"
#include "net/diagnostic_text.h"
#include "net/http_client.h"
#include "net/part_record.h"
#include "net/report.h"
#include "net/url_encode.h"

namespace dl {

static_assert(kExtractCreateFailed == 0x200 && kExtractBadHeader == 0x700 &&
                  kExtractPassword == 0x1000 && kExtractOpenFailed == 0x10000 &&
                  kExtractDataFailed == 0x5000000,
              "controller/worker_rules.cpp decides on the same codes");

namespace {

// Low 32 bits of the package file's size; 0 when it cannot be opened.
uint32_t PackageFileSize() {
  UniqueFile file(CreateFileA(kSite.packageFileName, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  return file ? GetFileSize(file.Get(), nullptr) : 0;
}

// Extracts the package into the install base. After a failure the state of the package and
// the base folder is measured for the report, the base folder is (re)created, and when it is
// there one more try is made. The thread's last error is that of the last extraction.
int ExtractWithSecondTry(const wchar_t* package, const std::wstring& base,
                         ExtractionDiagnostics* diagnostics, ExtractOutcome* outcome) {
  int result = ExtractPackage(package, nullptr, base.c_str(), outcome);
  if (result == kExtractOk) return result;
  diagnostics->packageSize = PackageFileSize();
  diagnostics->attributes = GetFileAttributesW(base.c_str());
  diagnostics->createResult = SHCreateDirectoryExW(nullptr, base.c_str(), nullptr);
  const DWORD createError = GetLastError();
  if (diagnostics->createResult == ERROR_SUCCESS ||
      diagnostics->createResult == ERROR_ALREADY_EXISTS || createError == ERROR_ALREADY_EXISTS) {
    result = ExtractPackage(package, nullptr, base.c_str(), outcome);
  }
  return result;
}

// The next download has to fetch a broken package again. Deleting it is the one reset that
// cannot meet the server's time by chance, and nothing of value is lost: the bytes are bad.
// A file that cannot be deleted is held by someone else; the download could not open it either.
void ForgetPackageFile() {
  SetFileAttributesA(kSite.packageFileName, FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(kSite.packageFileName);
  DeleteFileA((std::string(kSite.packageFileName) + kPartRecordSuffix).c_str());
}

// Beside the install folder, on its volume: a package is unpacked there while it downloads
// when it must verify before anything of it reaches the install folder.
std::wstring StagingFolder(const std::wstring& folder) {
  std::wstring staging = folder;
  while (!staging.empty() && staging.back() == L'\\') staging.pop_back();
  return staging + L".staging\\";
}

// The report's text, URL-encoded; empty when it cannot be built, which still tells the server
// how the extraction ended: by the report's type.
void EncodeReport(const ExtractionDiagnostics& diagnostics, char* encoded, size_t cap) {
  wchar_t text[kDiagnosticTextCap];
  if (!BuildDiagnosticText(diagnostics, text, kDiagnosticTextCap) ||
      !EncodeDiagnosticText(text, encoded, cap)) {
    encoded[0] = '\0';
  }
}

}  // namespace

// Tries the download until an attempt leaves the package in place, the retry policy gives up
// (no byte for the give-up time), the attempts run out or the controller is stopping. A host
// that fails without a byte three times in a row hands over to the next one; the kept file
// goes with the download, and the time-stamp rule decides whether the next host continues it.
bool InstallController::DownloadPackage() {
  const std::vector<std::string> hosts = SplitHostList(settings_.updateHost);
  HostRotation rotation(hosts.size());
  // A failed connection shows up as failed attempts.
  client_->Connect(hosts.empty() ? "" : hosts[0].c_str(), nullptr, nullptr, 0);
  RetryTuning tuning;
  tuning.giveUpAfterMs = static_cast<uint32_t>(settings_.giveUpAfterSeconds) * 1000u;
  RetryPolicy policy(tuning, GetTickCount64());
  std::minstd_rand random(static_cast<uint32_t>(GetTickCount64()) ^ GetCurrentThreadId());
  NoProgressRule noProgress;
  for (int attempt = 0; attempt < settings_.maxDownloadAttempts; ++attempt) {
    HoldWhilePaused(policy);
    if (stopping_.load()) return false;
    noProgress.BeforeAttempt(receivedBytes_.load());
    const uint64_t blocksBefore = blocks_.load();
    // 1 (nothing transferred) means the file is already complete: extraction judges it.
    // A signature that could not be fetched is a failed attempt like a failed download: the
    // complete package stays, and the next attempt asks for the signature again.
    if (client_->DownloadToFile(settings_.packagePath.c_str(), kSite.packageFileName, 1) >= 0 &&
        FetchSignature()) {
      return true;
    }
    if (noProgress.AfterFailedAttempt(receivedBytes_.load())) receivedBytes_.store(0);
    const bool gotBytes = blocks_.load() != blocksBefore;
    const int64_t retryAfter = client_->RetryAfterSeconds();
    const RetryStep step = policy.AfterFailure(GetTickCount64(), gotBytes,
                                               retryAfter < 0 ? -1 : retryAfter * 1000, random());
    if (step.kind == RetryStep::Kind::kGiveUp) return false;
    if (rotation.AfterFailure(gotBytes)) {
      client_->Connect(hosts[rotation.current()].c_str(), nullptr, nullptr, 0);
    }
    if (step.kind == RetryStep::Kind::kWait) WaitToRetry(step.delayMs, policy);
  }
  return false;
}

bool InstallController::FetchSignature() {
  signature_.clear();
  signatureStatus_ = 0;
  if (!digest_.enabled()) return true;
  const std::string path = settings_.packagePath + ".sig";
  if (client_->SendGet(path.c_str(), nullptr) != 1) {
    signatureStatus_ = client_->LastStatus();
    // Only a server that says the file is not there proves it missing.
    return signatureStatus_ == 404 || signatureStatus_ == 410;
  }
  signatureStatus_ = client_->LastStatus();
  // One byte more than any signature: enough to tell a longer file, never a page to hold.
  signature_.resize(kP256DerSignatureMax + 1);
  size_t size = 0;
  if (!client_->ReadBody(signature_.data(), signature_.size(), &size)) return false;
  signature_.resize(size);
  return true;
}

int InstallController::CheckPackage(const std::wstring& package) {
  if (!digest_.enabled()) return kExtractOk;
  if (signatureStatus_ != 200) return kPackageSignatureMissing;
  const PackageVerdict verdict =
      digest_.Verify(package.c_str(), signature_.data(), signature_.size());
  return verdict == PackageVerdict::kGood ? kExtractOk : kPackageSignatureBad;
}

void InstallController::WaitToRetry(uint32_t delayMs, RetryPolicy& policy) {
  if (!reconnecting_.exchange(true)) observer_.OnReconnecting();
  const uint64_t end = GetTickCount64() + delayMs;
  for (;;) {
    const unsigned long long seen = gate_.Changes();
    if (stopping_.load()) return;
    if (gate_.IsPaused()) {
      // Whoever continues wants the download now, not at the end of the old wait.
      HoldWhilePaused(policy);
      return;
    }
    const uint64_t now = GetTickCount64();
    if (now >= end) return;
    gate_.WaitForChange(seen, static_cast<unsigned>(end - now));
  }
}

void InstallController::HoldWhilePaused(RetryPolicy& policy) {
  const uint64_t start = GetTickCount64();
  gate_.WaitWhilePaused();
  policy.Hold(GetTickCount64() - start);
}

void InstallController::HandOver(const std::wstring& folder, const char* encodedReport) {
  CreateDesktopShortcut(folder.c_str());
  state_.store(InstallState::Installed);
  observer_.OnInstalled();
  SendInstallReport(ReportType::kExtracted, encodedReport, settings_.statsHost.c_str(),
                    settings_.channelId);
  ReportDone();
}

void InstallController::Fail(int extractResult, const char* encodedReport) {
  SendInstallReport(ReportType::kNotExtracted, encodedReport, settings_.statsHost.c_str(),
                    settings_.channelId);
  ReportDone();
  observer_.OnFailed(FailureKind::kInstallation, extractResult);
}

void InstallController::RunAttempt(const InstallTarget& target) {
  gate_.WaitWhilePaused();
  if (stopping_.load()) return;
  observer_.OnDownloadStarted();
  // Both may fail; the download then cannot create its file and the attempts run out.
  SHCreateDirectoryExW(nullptr, target.folder.c_str(), nullptr);
  SetCurrentDirectoryW(target.folder.c_str());

  std::wstring packageName;
  ToWide(kSite.packageFileName, CodePage::kAnsi, &packageName);
  const std::wstring package = target.folder + packageName;
  // The package is unpacked as it arrives. With the site's key, nothing of it may reach the
  // install folder before it verifies: it is unpacked beside it and moved in after the check.
  const std::wstring staging = digest_.enabled() ? StagingFolder(target.folder) : std::wstring();
  if (!staging.empty()) StreamUnpacker::RemoveTree(staging);  // a killed run's
  auto unpacker = std::make_unique<StreamUnpacker>(package, staging.empty() ? target.base : staging,
                                                   !staging.empty());
  unpacker_ = unpacker->Start() ? unpacker.get() : nullptr;
  const bool downloaded = DownloadPackage();
  unpacker_ = nullptr;
  // Before any outcome is told: the lobby's start may end the process.
  const auto endUnpacking = [&] {
    unpacker.reset();
    if (!staging.empty()) StreamUnpacker::RemoveTree(staging);
  };
  if (!downloaded) {
    endUnpacking();
    if (stopping_.load()) return;
    ReportDone();
    observer_.OnFailed(FailureKind::kDownload, 0);
    return;
  }
  state_.store(InstallState::Extracting);
  observer_.OnDownloadComplete(figures());
  observer_.OnExtracting();
  const bool unpacked = unpacker->Finish();

  ExtractionDiagnostics diagnostics;
  diagnostics.installFolder = target.folder.c_str();
  // A package that is not the site's is never unpacked: nothing of it reaches the install
  // folder, and the next attempt downloads it again.
  if (const int refused = CheckPackage(package); refused != kExtractOk) {
    endUnpacking();
    diagnostics.extractResult = static_cast<uint32_t>(refused);
    diagnostics.lastError = refused == kPackageSignatureMissing
                                ? static_cast<uint32_t>(signatureStatus_)
                                : static_cast<uint32_t>(digest_.lastStatus());
    diagnostics.packageSize = PackageFileSize();
    ForgetPackageFile();
    char encoded[kEncodedTextCap];
    EncodeReport(diagnostics, encoded, sizeof encoded);
    Fail(refused, encoded);
    return;
  }
  // Whatever the unpacking as it arrived could not finish, the whole-file extraction does
  // again from the start, and its result is the outcome.
  ExtractOutcome outcome;
  int result = kExtractOk;
  const bool wholeFile = !unpacked || (!staging.empty() && !unpacker->MoveIntoPlace(target.base));
  if (wholeFile)
    result = ExtractWithSecondTry(package.c_str(), target.base, &diagnostics, &outcome);
  const DWORD lastError = GetLastError();
  UnpackFigures unpackFigures;
  unpackFigures.asItArrived = !wholeFile;
  unpackFigures.entries = unpacker->entries();
  unpackFigures.bytes = unpacker->bytes();
  unpackFigures.result = result;
  endUnpacking();
  observer_.OnUnpacked(unpackFigures);
  diagnostics.extractResult = static_cast<uint32_t>(result);
  diagnostics.lastError = lastError;
  char encoded[kEncodedTextCap];
  EncodeReport(diagnostics, encoded, sizeof encoded);

  const std::wstring lobby = target.folder + L"lobby.exe";
  const bool lobbyPresent = result == kExtractCreateFailed &&
                            GetFileAttributesW(lobby.c_str()) != INVALID_FILE_ATTRIBUTES;
  switch (DecideAfterExtraction(result, lobbyPresent)) {
    case AfterExtraction::kHandOver:
      HandOver(target.folder, encoded);
      break;
    case AfterExtraction::kStartPresentLobby:
      // The installation that is there is better than none: the process makes way for it.
      ShellExecuteW(nullptr, L"open", lobby.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
      observer_.OnPresentLobbyStarted();
      break;
    case AfterExtraction::kFail:
      if (PackageIsBad(result, outcome.packageExamined)) ForgetPackageFile();
      Fail(result, encoded);
      break;
  }
}

}  // namespace dl
