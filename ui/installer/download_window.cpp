// Construction of the installer window in its fixed order, and its teardown.
#include "ui/installer/download_window.h"

#include "config/site_record.h"
#include "ui/installer/notice_window.h"

namespace dl {

const wchar_t kWindowTitle[] = L"客户端下载器";
const wchar_t kWindowClassName[] = L"DownloadWindow";

DownloadWindow::DownloadWindow(const SiteSettings& settings, const WindowParts& parts)
    : SkinWindow(0, 0, MAKEINTRESOURCEW(kBackgroundSkin), kWindowClassName, nullptr, 0, WS_POPUP, 0,
                 0, L"IMAGE", GetModuleHandleW(nullptr)),
      settings_(settings),
      parts_(parts),
      installBase_(settings.defaultInstallBase),
      bannerStart_{this, settings.bannerUrl.c_str()},
      controller_(parts.makeController != nullptr
                      ? parts.makeController(settings, *this)
                      : std::make_unique<InstallController>(settings, *this)) {
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
  StartBannerThread(parts.bannerThread);
  BuildNoticeWindow();
  BuildAccess();
}

// The controller goes first (it is the last member): a worker still running ends, and what it
// queued on its way out is never carried out. Then the tray icon takes itself out of the
// notification area, and the native window goes last. Messages that arrive meanwhile find the
// window's own parts gone.
DownloadWindow::~DownloadWindow() { built_ = false; }

InstallTarget DownloadWindow::Target() const {
  return {installBase_, installBase_ + kSite.displayName + L"\\"};
}

int DownloadWindow::CanClose() {
  TerminateProcess(GetCurrentProcess(), 0);
  return 0;
}

int DownloadWindow::GetDragRect(RECT* out, Control* control) {
  if (control == nullptr || (control != ui_.titleBar && control != ui_.versionLabel)) return 0;
  return GetLayoutClientRect(out) ? 1 : 0;
}

SkinWindow* DownloadWindow::noticeWindow() const { return noticeWindow_.get(); }

}  // namespace dl
