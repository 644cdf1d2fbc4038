#include "ui/installer/download_window.h"

#include "app/build_config.h"
#include "app/instance_guard.h"
#include "app/program_identity.h"
#include "app/resource_strings.h"
#include "app/share_id.h"
#include "app/site_config.h"
#include "base/win_handles.h"
#include "install/share_id_store.h"

namespace dl {

const wchar_t kWindowTitle[] = L"客户端下载器";
const char kWindowClassName[] = "DownloadWindow";

namespace {
constexpr int kWidth = 600;
constexpr int kHeight = 350;
}  // namespace

DownloadWindow::DownloadWindow() {
  Create(kWindowClassName, kWindowTitle, WS_POPUP, 0, 0, 0, kWidth, kHeight, nullptr);
  ReadSiteConfiguration();
  std::string shareId;
  if (ShareIdFromFileName(&shareId) && IsAllDigits(shareId.c_str()) == 1) {
    StoreShareId(shareId.c_str());
  }
  logFile_.Open();
  Center();
  Show(SW_SHOW);
  ChooseDefaultInstallBase(pathText_, sizeof pathText_ / sizeof pathText_[0]);
  InvalidateRect(GetHwnd(), nullptr, FALSE);
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
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_LBUTTONDOWN:
      // The whole stand-in face is a drag handle.
      ReleaseCapture();
      SendMessageW(GetHwnd(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) PostMessageW(GetHwnd(), WM_CLOSE, 0, 0);
      return 0;
    default:
      return SkinWindow::HandleMessage(message, wParam, lParam);
  }
}

void DownloadWindow::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(GetHwnd(), &ps);
  RECT client;
  GetClientRect(GetHwnd(), &client);
  UniqueGdiObject navy(CreateSolidBrush(RGB(0x12, 0x1c, 0x33)));
  FillRect(dc, &client, static_cast<HBRUSH>(navy.Get()));
  RECT bar = {0, 0, client.right, 37};
  UniqueGdiObject barBrush(CreateSolidBrush(RGB(0x1d, 0x2b, 0x4f)));
  FillRect(dc, &bar, static_cast<HBRUSH>(barBrush.Get()));

  UniqueGdiObject titleFont(CreateFontW(-16, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                                        CLEARTYPE_QUALITY, 0, L"微软雅黑"));
  UniqueGdiObject textFont(CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                                       CLEARTYPE_QUALITY, 0, L"微软雅黑"));
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ oldFont = SelectObject(dc, titleFont.Get());
  SetTextColor(dc, RGB(0xff, 0xff, 0xff));
  RECT titleRect = {14, 0, client.right, 37};
  DrawTextW(dc, kWindowTitle, -1, &titleRect, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
  SelectObject(dc, textFont.Get());
  SetTextColor(dc, RGB(0xa9, 0xb8, 0xd8));
  RECT pathRect = {30, 222, client.right - 30, 240};
  DrawTextW(dc, pathText_, -1, &pathRect, DT_SINGLELINE | DT_LEFT | DT_NOPREFIX);
  SelectObject(dc, oldFont);
  EndPaint(GetHwnd(), &ps);
}

}  // namespace dl
