// The end of an installation: the lobby started elevated from the install folder, then the
// downloader makes way for it.
#include <windows.h>
#include <shellapi.h>

#include "ui/installer/download_window.h"
#include "ui/installer/machine_checks.h"
#include "ui/installer/notice_window.h"

namespace dl {

namespace {
// The outcome report follows the activation on the worker's thread; the launch gives it this
// long before the process ends, with nothing left on the screen.
constexpr DWORD kReportWaitMs = 3000;
}  // namespace

int IsUserAdmin() {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID admins = nullptr;
  if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0,
                                0, 0, 0, 0, &admins)) {
    return 0;
  }
  BOOL member = FALSE;
  if (!CheckTokenMembership(nullptr, admins, &member)) member = FALSE;
  FreeSid(admins);
  return member ? 1 : 0;
}

void DownloadWindow::LaunchLobby() {
  KillTimer(TIMER_TIPS);
  if (IsUserAdmin() == 1) {
    const std::wstring program = Target().folder + L"lobby.exe";
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.lpVerb = L"runas";
    info.lpFile = program.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info)) {
      DWORD error = GetLastError();
      // The shell's own error box may leave the thread's error cleared; its answer in
      // hInstApp then says what went wrong (its codes up to 32 match the system's).
      if (error == ERROR_SUCCESS) {
        error = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(info.hInstApp));
      }
      if (error == ERROR_CANCELLED) {
        logFile_.Write("ShellExecuteEx dwError Do nothing!");
      } else {
        logFile_.Write("ShellExecuteEx [%d]", static_cast<int>(error));
      }
    }
  }
  ShowWindow(GetHwnd(), SW_HIDE);
  if (noticeWindow_) noticeWindow_->Show(0);
  controller_->WaitForReport(kReportWaitMs);
  CanClose();
}

}  // namespace dl
