// An icon in the notification area that belongs to one window. It hooks the window's
// procedure, so it sees the shell's callbacks before the window does: the show message
// brings the window back, the menu message opens the popup menu whose handle is the icon's
// identifier, and the icon is put back when the taskbar is created again.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <memory>

#include "base/win_handles.h"
#include "ui/framework/wndproc_thunk.h"

namespace dl {

class TrayIcon {
 public:
  TrayIcon() = default;
  // Destroy(); must run while the owner window still exists.
  virtual ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Prepares the icon for owner and hooks the owner's procedure; does not add the icon.
  // `tip` is ANSI, at most 127 bytes of it are kept. A second call returns true and changes
  // nothing; a null owner returns true and does nothing. False (and still empty) only when
  // the hook cannot be installed.
  bool Create(HWND owner, HICON icon, UINT id, const char* tip, int removeOnRestore,
              UINT showMessage, UINT menuMessage);
  // Draws the icon from the icon resource `id` of module at the small-icon size of the owner's
  // density, now and again whenever the owner reaches a display of another density. After Create.
  void FollowDpi(HMODULE module, WORD id);
  // Adds the icon (iconShown 1 when the shell accepts it).
  void ShowIcon();
  // Removes the icon (iconShown 0 when the shell accepts it).
  void HideIcon();

  // Removes the icon and the hook, and forgets the owner: the TrayIcon is empty again.
  void Destroy();

  int iconShown() const { return iconShown_; }
  // The shell's description of the icon; null until Create.
  const NOTIFYICONDATAA* iconData() const { return iconData_.get(); }

  // The hook's target; context is the TrayIcon.
  static LRESULT CALLBACK TrayHookProc(void* context, UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  void LoadScaledIcon(unsigned dpi);

  std::unique_ptr<NOTIFYICONDATAA> iconData_;
  UniqueIcon scaledIcon_;
  HMODULE iconModule_ = nullptr;
  WORD iconId_ = 0;
  UINT showMessage_ = 0;
  UINT menuMessage_ = 0;
  HWND ownerWindow_ = nullptr;
  std::unique_ptr<WndProcThunk> thunk_;
  int removeOnRestore_ = 0;
  int iconShown_ = 0;
};

}  // namespace dl
