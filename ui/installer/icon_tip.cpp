// After a successful installation, a speech bubble beside the lobby's new desktop icon, with
// the desktop shown so that both are in view; hidden again a minute later.
#include <objbase.h>
#include <shldisp.h>

#include "config/site_record.h"
#include "base/com_owner.h"
#include "ui/controls/display_scale.h"
#include "ui/installer/desktop_icon.h"
#include "ui/installer/download_window.h"
#include "base/text_convert.h"
#include "ui/installer/window_controls.h"
#include "ui/installer/window_messages.h"

namespace dl {

namespace {

constexpr int kBubbleSkin = 1116;
constexpr wchar_t kBubbleClassName[] = L"ICO_TIPS";
constexpr wchar_t kGreeting[] = L"HI，恭候您多时了！世界那么大，有您更精彩！戳我开启游戏之旅！";
constexpr LabelStyle kGreetingStyle = {L"微软雅黑", 9, 0xFEC8C8C8};
// The bubble's tail points at the icon from a little below the icon's top edge.
constexpr LONG kBubbleDrop = 5;

// The shell's automation object and the interface that shows the desktop.
constexpr CLSID kShellObject = {
    0x13709620, 0xC279, 0x11CE, {0xA4, 0x9E, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr IID kShellDispatch4 = {
    0xEFD84B2D, 0x4BCF, 0x4298, {0xBE, 0x25, 0xEB, 0x54, 0x2A, 0x59, 0xFB, 0xDA}};
constexpr DWORD kShellContexts = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;

void ToggleDesktop() {
  // COM stays initialised on the window's thread afterwards.
  CoInitialize(nullptr);
  void* object = nullptr;
  if (FAILED(CoCreateInstance(kShellObject, nullptr, kShellContexts, kShellDispatch4, &object)) ||
      object == nullptr) {
    return;
  }
  ComOwner<IShellDispatch4> shell(static_cast<IShellDispatch4*>(object));
  shell.Get()->ToggleDesktop();
}

}  // namespace

void DownloadWindow::OnIconTipTimer() {
  KillTimer(TIMER_ICON_TIP);
  char name[256];
  ToNarrow(kSite.displayName, CodePage::kAnsi, name, sizeof name);
  HWND listView = nullptr;
  RECT icon = FindDesktopIcon(logFile_, name, &listView);
  if (IsRectEmpty(&icon)) {
    logFile_.Write("IsRectEmpty() = true");
    return;
  }
  logFile_.Write("sendmessage WM_APP+2");
  // The rectangle lives here: sent, not posted.
  SendMessageW(GetHwnd(), WM_SHOW_ICON_TIP, reinterpret_cast<WPARAM>(listView),
               reinterpret_cast<LPARAM>(&icon));
}

void DownloadWindow::ShowIconTip(HWND listView, const RECT* iconRect) {
  // Made at (0, 0), so that its tree and its client area share one space; then the native
  // window goes beside the icon. The desktop's list view covers the screen, so its client
  // coordinates serve as screen coordinates.
  iconTipWindow_ = std::make_unique<SkinWindow>(0, 0, MAKEINTRESOURCEW(kBubbleSkin),
                                                kBubbleClassName, listView, WS_EX_LAYERED, WS_POPUP,
                                                0, 0, L"IMAGE", GetModuleHandleW(nullptr));
  const LONG drop = ToDevice(kBubbleDrop, iconTipWindow_->Dpi());
  SetWindowPos(iconTipWindow_->GetHwnd(), nullptr, iconRect->right, iconRect->top + drop, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER);
  iconTipWindow_->Show(1);
  AddLabel(iconTipWindow_.get(), {15, 5, 209, 40}, kGreetingStyle, kGreeting, true);
  ToggleDesktop();
}

void DownloadWindow::OnHideIconTipTimer() {
  KillTimer(TIMER_HIDE_ICON_TIP);
  if (iconTipWindow_) iconTipWindow_->Show(0);
}

}  // namespace dl
