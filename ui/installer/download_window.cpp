#include "ui/installer/download_window.h"

#include "app/build_config.h"
#include "app/instance_guard.h"
#include "app/program_identity.h"
#include "app/resource_strings.h"
#include "app/share_id.h"
#include "app/site_config.h"
#include "install/share_id_store.h"

namespace dl {

const wchar_t kWindowTitle[] = L"客户端下载器";
const wchar_t kWindowClassName[] = L"DownloadWindow";

namespace {
constexpr int kSkinImage = 1101;  // the window's background, resource type "IMAGE"
}  // namespace

DownloadWindow::DownloadWindow()
    : SkinWindow(0, 0, MAKEINTRESOURCEW(kSkinImage), kWindowClassName, nullptr, 0, WS_POPUP, 0, 0,
                 L"IMAGE", GetModuleHandleW(nullptr)) {
  // The title is not drawn; it names the window to the taskbar and to other programs.
  SetWindowTextW(GetHwnd(), kWindowTitle);
  ReadSiteConfiguration();
  std::string shareId;
  if (ShareIdFromFileName(&shareId) && IsAllDigits(shareId.c_str()) == 1) {
    StoreShareId(shareId.c_str());
  }
  logFile_.Open();
  Center(nullptr);
  Show(SW_SHOWNORMAL);
  ChooseDefaultInstallBase(pathText_, sizeof pathText_ / sizeof pathText_[0]);
}

DownloadWindow::~DownloadWindow() = default;

void DownloadWindow::ReadSiteConfiguration() {
  ResourceStrings strings;
  dl::ReadSiteConfiguration(strings, DL_TEST_UPDATE_HOST);
}

void DownloadWindow::StoreShareId(const char* shareId) { dl::StoreShareId(shareId); }

int DownloadWindow::CanClose() {
  TerminateProcess(GetCurrentProcess(), 0);
  return 0;
}

int DownloadWindow::GetDragRect(RECT* out, Control*) {
  return GetClientRect(GetHwnd(), out) ? 1 : 0;
}

void DownloadWindow::ComeForward() {
  HWND hwnd = GetHwnd();
  if (IsIconic(hwnd)) ShowWindow(hwnd, SW_RESTORE);
  ShowWindow(hwnd, SW_SHOW);
  SetForegroundWindow(hwnd);
}

LRESULT DownloadWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DOWNLOADER_ACTIVATE && WM_DOWNLOADER_ACTIVATE != 0) {
    ComeForward();
    return 0;
  }
  if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
    PostMessageW(GetHwnd(), WM_CLOSE, 0, 0);
    return 0;
  }
  return SkinWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace dl
