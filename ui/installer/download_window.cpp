// Construction of the installer window in its fixed order, and its teardown.
#include "ui/installer/download_window.h"

#include "app/build_config.h"
#include "app/program_identity.h"
#include "app/resource_strings.h"
#include "app/share_id.h"
#include "app/site_config.h"
#include "browser/banner_thread.h"
#include "install/share_id_store.h"
#include "ui/installer/notice_window.h"

namespace dl {

const wchar_t kWindowTitle[] = L"客户端下载器";
const wchar_t kWindowClassName[] = L"DownloadWindow";

namespace {
// How long a closing window waits for a worker that is still running (tests only: the
// program itself ends without closing the window).
constexpr DWORD kWorkerEndWaitMs = 10000;
}  // namespace

DownloadWindow::DownloadWindow() : DownloadWindow(&BannerThreadProc) {}

DownloadWindow::DownloadWindow(ThreadStart bannerThread)
    : SkinWindow(0, 0, MAKEINTRESOURCEW(kBackgroundSkin), kWindowClassName, nullptr, 0, WS_POPUP, 0,
                 0, L"IMAGE", GetModuleHandleW(nullptr)),
      reportDone_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  ReadSiteConfiguration();
  std::string shareId;
  if (ShareIdFromFileName(&shareId) && IsAllDigits(shareId.c_str()) == 1) {
    StoreShareId(shareId.c_str());
  }
  logFile_.Open();
  Center(nullptr);
  Show(1);
  // The title is not drawn; it names the window to the taskbar and to other programs. Set
  // wide, so it reads right whatever the system's ANSI code page.
  SetWindowTextW(GetHwnd(), kWindowTitle);
  CreateTrayIcon();
  BuildMainControls();
  SetTimer(TIMER_TIPS, TIMER_TIPS_MS);
  // The finished window goes on the screen now: the banner (whose engine takes long to load)
  // and the notice, built hidden, need not hold the first frame back.
  UpdateWindow(GetHwnd());
  StartBannerThread(bannerThread);
  BuildNoticeWindow();
}

DownloadWindow::~DownloadWindow() {
  // A worker still running reaches this object through its host and client: let it end.
  if (workerThread_) {
    stopRequested.store(1);
    gate_.Resume();
    WaitForSingleObject(workerThread_.Get(), kWorkerEndWaitMs);
  }
  // The members go next (the tray icon takes itself out of the notification area), then the
  // client's internet handles, then the native window.
}

void DownloadWindow::ReadSiteConfiguration() {
  ResourceStrings strings;
  dl::ReadSiteConfiguration(strings, DL_TEST_UPDATE_HOST);
}

void DownloadWindow::StoreShareId(const char* shareId) { dl::StoreShareId(shareId); }

int DownloadWindow::CanClose() {
  TerminateProcess(GetCurrentProcess(), 0);
  return 0;
}

int DownloadWindow::GetDragRect(RECT* out, Control* control) {
  if (control == nullptr || (control != ui_.titleBar && control != ui_.versionLabel)) return 0;
  return GetClientRect(GetHwnd(), out) ? 1 : 0;
}

SkinWindow* DownloadWindow::noticeWindow() const { return noticeWindow_.get(); }

}  // namespace dl
