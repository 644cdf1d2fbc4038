#include "install/install_worker.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "app/build_config.h"
#include "app/site_config.h"
#include "app/site_record.h"
#include "base/bounded_text.h"
#include "base/win_handles.h"
#include "install/desktop_shortcut.h"
#include "install/package_extract.h"
#include "install/worker_rules.h"
#include "net/diagnostic_text.h"
#include "net/report.h"
#include "net/url_encode.h"

namespace dl {

std::atomic<int> g_installState{Idle};
int g_maxDownloadAttempts = DL_MAX_DOWNLOAD_ATTEMPTS;
const char* g_statsHost = DL_STATS_HOST;

static_assert(kExtractCreateFailed == 0x200 && kExtractBadHeader == 0x700 &&
                  kExtractReadFailed == 0x800 && kExtractPassword == 0x1000 &&
                  kExtractOpenFailed == 0x10000 && kExtractDataFailed == 0x5000000,
              "install/worker_rules.cpp decides on the same codes");

namespace {

constexpr int kDownloadFailedNotice = 0;
constexpr int kInstallFailedNotice = 1;
// A path in the ANSI code page: up to two bytes per character of a 260-character path.
constexpr size_t kAnsiPathCap = 1024;

// The ANSI form the extraction and the shell's ANSI calls take; "" when it does not convert,
// which the extraction then reports as a package it cannot open.
void ToAnsi(const wchar_t* text, char* out, size_t cap) {
  if (WideCharToMultiByte(CP_ACP, 0, text, -1, out, static_cast<int>(cap), nullptr, nullptr) <= 0) {
    out[0] = '\0';
  }
}

// Tries the download until an attempt leaves the package in place or the attempts run out.
// Attempts follow each other at once: a server that refuses quickly is simply asked again.
bool DownloadPackage(HttpClient& client, InstallProgress& progress, PauseGate& gate) {
  NoProgressRule noProgress;
  for (int attempt = 0; attempt < g_maxDownloadAttempts; ++attempt) {
    gate.WaitWhilePaused();
    noProgress.BeforeAttempt(progress.receivedBytes.load());
    // 1 (nothing transferred) means the file is already complete: extraction judges it.
    if (client.DownloadToFile(g_packagePath, kSite.packageFileName, 1) >= 0) return true;
    if (noProgress.AfterFailedAttempt(progress.receivedBytes.load())) {
      progress.receivedBytes.store(0);
    }
  }
  return false;
}

// The figures stop with the download: the worker writes the final ones itself.
void ShowDownloadComplete(InstallHost& host, const InstallProgress& progress) {
  host.StopTimer(TIMER_RUNNER);
  host.StopTimer(TIMER_PROGRESS);
  wchar_t size[64];
  FormatDownloadSizeText(progress.downloadedBytes.load(), progress.totalBytes.load(), size,
                         sizeof size / sizeof size[0]);
  host.SetText(WorkerText::Size, size);
  host.SetText(WorkerText::Percent, L"100%");
  g_installState.store(Extracting);
  host.SetText(WorkerText::InstallButton, L"正在启动");
}

// Low 32 bits of the package file's size; 0 when it cannot be opened.
uint32_t PackageFileSize() {
  UniqueFile file(CreateFileA(kSite.packageFileName, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  return file ? GetFileSize(file.Get(), nullptr) : 0;
}

// Extracts the package into the install base. After a failure the state of the package and
// the base folder is measured for the report, the base folder is (re)created, and when it is
// there one more try is made. The thread's last error is that of the last extraction.
int ExtractWithSecondTry(const char* package, const char* base,
                         ExtractionDiagnostics* diagnostics) {
  int result = ExtractPackage(package, nullptr, base);
  if (result == kExtractOk) return result;
  diagnostics->packageSize = PackageFileSize();
  diagnostics->attributes = GetFileAttributesW(g_installBase);
  diagnostics->createResult = SHCreateDirectoryExW(nullptr, g_installBase, nullptr);
  const DWORD createError = GetLastError();
  if (diagnostics->createResult == ERROR_SUCCESS ||
      diagnostics->createResult == ERROR_ALREADY_EXISTS || createError == ERROR_ALREADY_EXISTS) {
    result = ExtractPackage(package, nullptr, base);
  }
  return result;
}

// The next download has to fetch a broken package again. Deleting it is the one reset that
// cannot meet the server's time by chance, and nothing of value is lost: the bytes are bad.
// A file that cannot be deleted is held by someone else; the download could not open it either.
void ForgetPackageFile() {
  SetFileAttributesA(kSite.packageFileName, FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(kSite.packageFileName);
}

void HandOver(InstallHost& host, const wchar_t* folder, const char* encoded) {
  CreateDesktopShortcut(folder, nullptr);
  host.StartTimer(TIMER_ICON_TIP, kIconTipDelayMs);
  g_installState.store(Installed);
  host.PostActivate();
  host.ShowRunner(0);
  SendInstallReport(ReportType::kExtracted, encoded, g_statsHost);
  host.ReportDone();
  host.StartTimer(TIMER_HIDE_ICON_TIP, TIMER_HIDE_ICON_TIP_MS);
}

void Fail(InstallHost& host, int result, const char* encoded) {
  if (PackageIsBad(result)) ForgetPackageFile();
  SendInstallReport(ReportType::kNotExtracted, encoded, g_statsHost);
  host.ReportDone();
  host.ShowFailureNotice(kInstallFailedNotice);
}

// The installation that is there is better than none: the process makes way for it.
void StartPresentLobby(const char* lobby) {
  ShellExecuteA(nullptr, "open", lobby, nullptr, nullptr, SW_SHOWNORMAL);
  TerminateProcess(GetCurrentProcess(), 0);
}

}  // namespace

void RunInstall(InstallHost& host, HttpClient& client, InstallProgress& progress, PauseGate& gate) {
  gate.WaitWhilePaused();
  host.StartTimer(TIMER_RUNNER, TIMER_RUNNER_MS);
  // A failed connection shows up as failed attempts.
  client.Connect(g_serverHost, nullptr, nullptr, 0);
  const std::wstring folder = host.InstallFolder();
  // Both may fail; the download then cannot create its file and the attempts run out.
  SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  SetCurrentDirectoryW(folder.c_str());

  if (!DownloadPackage(client, progress, gate)) {
    host.ReportDone();
    host.ShowFailureNotice(kDownloadFailedNotice);
    return;
  }
  ShowDownloadComplete(host, progress);

  char folderAnsi[kAnsiPathCap];
  char package[kAnsiPathCap];
  char base[kAnsiPathCap];
  ToAnsi(folder.c_str(), folderAnsi, sizeof folderAnsi);
  ToAnsi(g_installBase, base, sizeof base);
  if (!FormatBounded(package, sizeof package, "%s%s", folderAnsi, kSite.packageFileName)) {
    package[0] = '\0';
  }
  ExtractionDiagnostics diagnostics;
  diagnostics.installFolder = folder.c_str();
  const int result = ExtractWithSecondTry(package, base, &diagnostics);
  diagnostics.extractResult = static_cast<uint32_t>(result);
  diagnostics.lastError = GetLastError();

  wchar_t text[kDiagnosticTextCap];
  char encoded[kEncodedTextCap];
  // An empty text still tells the server how the extraction ended: by the report's type.
  if (!BuildDiagnosticText(diagnostics, text, kDiagnosticTextCap) ||
      !EncodeDiagnosticText(text, encoded, sizeof encoded)) {
    encoded[0] = '\0';
  }

  char lobby[kAnsiPathCap] = "";
  bool lobbyPresent = false;
  if (result == kExtractCreateFailed &&
      FormatBounded(lobby, sizeof lobby, "%slobby.exe", folderAnsi)) {
    lobbyPresent = GetFileAttributesA(lobby) != INVALID_FILE_ATTRIBUTES;
  }
  switch (DecideAfterExtraction(result, lobbyPresent)) {
    case AfterExtraction::kHandOver:
      HandOver(host, folder.c_str(), encoded);
      break;
    case AfterExtraction::kStartPresentLobby:
      StartPresentLobby(lobby);
      break;
    case AfterExtraction::kFail:
      Fail(host, result, encoded);
      break;
  }
}

}  // namespace dl
