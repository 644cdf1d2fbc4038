#include "ui/framework/tray_icon.h"

#include <cstring>

#include "ui/framework/tray_messages.h"
#include "ui/framework/window_dpi.h"

namespace dl {

namespace {
constexpr size_t kTipBytes = 127;  // the last byte of the 128-byte field stays 0
}

bool TrayIcon::Create(HWND owner, HICON icon, UINT id, const char* tip, int removeOnRestore,
                      UINT showMessage, UINT menuMessage) {
  if (ownerWindow_ != nullptr || iconData_ || thunk_) return true;
  if (owner == nullptr) return true;
  auto data = std::make_unique<NOTIFYICONDATAA>();
  auto thunk = std::make_unique<WndProcThunk>();
  if (thunk->Install(owner, &TrayIcon::TrayHookProc, this) == 0) return false;
  std::memset(data.get(), 0, sizeof *data);
  data->cbSize = sizeof *data;
  data->hWnd = owner;
  data->uID = id;
  data->uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO;
  data->uCallbackMessage = TrayNotifyMessage();
  data->hIcon = icon;
  if (tip != nullptr) std::memcpy(data->szTip, tip, strnlen(tip, kTipBytes));
  iconData_ = std::move(data);
  thunk_ = std::move(thunk);
  ownerWindow_ = owner;
  removeOnRestore_ = removeOnRestore;
  showMessage_ = showMessage;
  menuMessage_ = menuMessage;
  return true;
}

void TrayIcon::FollowDpi(HMODULE module, WORD id) {
  if (!iconData_) return;
  iconModule_ = module;
  iconId_ = id;
  LoadScaledIcon(WindowDpi(ownerWindow_));
}

void TrayIcon::LoadScaledIcon(unsigned dpi) {
  const int side = SmallIconSize(dpi);
  UniqueIcon icon(static_cast<HICON>(
      LoadImageW(iconModule_, MAKEINTRESOURCEW(iconId_), IMAGE_ICON, side, side, 0)));
  if (!icon) return;  // the icon shown so far stays
  iconData_->hIcon = icon.Get();
  if (iconShown_ == 1) Shell_NotifyIconA(NIM_MODIFY, iconData_.get());
  scaledIcon_ = std::move(icon);  // the old one goes only once the shell has the new one
}

void TrayIcon::ShowIcon() {
  if (iconData_ && Shell_NotifyIconA(NIM_ADD, iconData_.get()) == TRUE) iconShown_ = 1;
}

void TrayIcon::HideIcon() {
  if (iconData_ && Shell_NotifyIconA(NIM_DELETE, iconData_.get()) == TRUE) iconShown_ = 0;
}

LRESULT CALLBACK TrayIcon::TrayHookProc(void* context, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* tray = static_cast<TrayIcon*>(context);
  if (msg == TrayNotifyMessage() && tray->iconData_ && wParam == tray->iconData_->uID) {
    if (static_cast<UINT>(lParam) == tray->showMessage_) {
      ShowWindow(tray->ownerWindow_, SW_SHOW);
      SetForegroundWindow(tray->ownerWindow_);
      if (tray->removeOnRestore_ != 0) tray->HideIcon();
    } else if (static_cast<UINT>(lParam) == tray->menuMessage_) {
      // The identifier is the popup menu; the chosen command reaches the owner as WM_COMMAND.
      POINT at;
      GetCursorPos(&at);
      SetForegroundWindow(tray->ownerWindow_);
      TrackPopupMenu(reinterpret_cast<HMENU>(wParam), 0, at.x, at.y, 0, tray->ownerWindow_,
                     nullptr);
    }
  } else if (msg == WM_DPICHANGED_MESSAGE && tray->iconId_ != 0 && tray->iconData_) {
    tray->LoadScaledIcon(LOWORD(wParam));
  } else if (msg == TaskbarCreatedMessage() && tray->iconShown_ == 1 && tray->iconData_) {
    // The new taskbar knows no icons: put back the one that was shown.
    if (Shell_NotifyIconA(NIM_ADD, tray->iconData_.get()) == TRUE) tray->iconShown_ = 1;
  }
  // Every message then goes on to the window's own procedure.
  WndProcThunk* thunk = tray->thunk_.get();
  if (thunk == nullptr || thunk->previousProc() == nullptr || thunk->hookedWindow() == nullptr) {
    return 0;
  }
  return CallWindowProcW(thunk->previousProc(), thunk->hookedWindow(), msg, wParam, lParam);
}

TrayIcon::~TrayIcon() { Destroy(); }

void TrayIcon::Destroy() {
  if (ownerWindow_ == nullptr) return;
  if (iconData_ && Shell_NotifyIconA(NIM_DELETE, iconData_.get()) == TRUE) iconShown_ = 0;
  ownerWindow_ = nullptr;
  iconData_.reset();
  scaledIcon_.Reset();
  thunk_.reset();  // puts the owner's procedure back
}

}  // namespace dl
