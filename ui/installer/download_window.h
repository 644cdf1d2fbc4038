// The installer's one main window: the skinned face with banner, install path, progress bar,
// texts and buttons, and the observer of the installation it controls. The installation's
// events arrive on the worker's thread and wait in a queue until the window's thread turns them
// into labels, timers, the runner, notices and the icon tip. Everything else here runs on the
// window's thread.
#pragma once

#include <windows.h>

#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "base/win_handles.h"
#include "browser/banner_thread.h"
#include "config/debug_log.h"
#include "config/site_settings.h"
#include "controller/install_controller.h"
#include "ui/framework/accessibility.h"
#include "ui/framework/keyboard_focus.h"
#include "ui/framework/skin_window.h"
#include "ui/framework/tray_icon.h"
#include "ui/installer/remaining_time.h"
#include "ui/installer/taskbar_progress.h"
#include "ui/installer/window_controls.h"

namespace dl {

class SkinPreload;
class NoticeWindow;

extern const wchar_t kWindowTitle[];
extern const wchar_t kWindowClassName[];
// The speed text while the download waits to reconnect.
extern const wchar_t kReconnectingText[];

// The installer window's timers.
constexpr UINT_PTR TIMER_PROGRESS = 99;
constexpr UINT TIMER_PROGRESS_MS = 100;
constexpr UINT_PTR TIMER_RUNNER = 112;
constexpr UINT TIMER_RUNNER_MS = 50;
constexpr UINT_PTR TIMER_TIPS = 113;
constexpr UINT TIMER_TIPS_MS = 8000;
constexpr UINT_PTR TIMER_ICON_TIP = 114;  // looks for the new desktop icon once
constexpr UINT TIMER_ICON_TIP_MS = 500;
constexpr UINT_PTR TIMER_HIDE_ICON_TIP = 115;
constexpr UINT TIMER_HIDE_ICON_TIP_MS = 60000;

struct MenuTraits {
  using Handle = HMENU;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle menu) noexcept { DestroyMenu(menu); }
};
using UniqueMenu = UniqueOwner<MenuTraits>;

// What the window is built with besides the settings; tests replace parts of it.
struct WindowParts {
  using ThreadStart = DWORD(WINAPI*)(void*);
  using MakeController = std::unique_ptr<InstallController> (*)(const SiteSettings&,
                                                                InstallObserver&);
  // Asks the user for a folder into path[0..MAX_PATH); false when cancelled.
  using PickFolder = bool (*)(wchar_t* path);

  ThreadStart bannerThread = &BannerThreadProc;  // none when null
  MakeController makeController = nullptr;       // the real installation when null
  PickFolder pickFolder = nullptr;               // the shell's folder browser when null
};

class DownloadWindow : public SkinWindow, public InstallObserver {
 public:
  // Creates, configures, centres and shows the window with all its controls, starts the
  // banner thread and the tip rotation. Does not start an installation. settings must outlive
  // the window.
  explicit DownloadWindow(const SiteSettings& settings, const WindowParts& parts = WindowParts());
  ~DownloadWindow() override;

  // Starts decoding the skins of the window and its notice, to be kept until the window is
  // built: construction then finds them ready.
  static std::unique_ptr<SkinPreload> PreloadSkins();
  // The window's background skin, an "IMAGE" resource of the program.
  static constexpr int kBackgroundSkin = 1101;

  LRESULT Notify(ControlEvent* event, Control* source) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  // The title bar and the edition text drag the window; nothing else does.
  int GetDragRect(RECT* out, Control* control) override;
  // Ends the process at once with exit code 0; never returns normally.
  int CanClose() override;
  void OnTimer(UINT_PTR id) override;

  // InstallObserver: from the worker's thread; queued for the window's thread.
  void OnDownloadStarted() override;
  void OnReconnecting() override;
  void OnReconnected() override;
  void OnDownloadComplete(const DownloadFigures& figures) override;
  void OnExtracting() override;
  void OnUnpacked(const UnpackFigures& figures) override;
  void OnInstalled() override;
  void OnFailed(FailureKind kind, int extractResult) override;
  void OnPresentLobbyStarted() override;

  // Where the installation goes: the chosen base and the site's folder under it.
  InstallTarget Target() const;
  DebugLog& log() { return logFile_; }

  const MainControls& controls() const { return ui_; }
  const NoticeControls& notice() const { return notice_; }
  SkinWindow* noticeWindow() const;
  KeyboardFocus& keys() { return keys_; }
  const TaskbarProgress& taskbar() const { return taskbar_; }
  SkinWindow* iconTipWindow() const { return iconTipWindow_.get(); }
  TrayIcon& trayIcon() { return trayIcon_; }
  InstallController& controller() { return *controller_; }
  int tipIndex() const { return tipIndex_; }

 private:
  // One event of the installation, as it waits for the window's thread.
  struct QueuedEvent {
    enum class Kind {
      DownloadStarted,
      Reconnecting,
      Reconnected,
      DownloadComplete,
      Extracting,
      Installed,
      Failed,
      LobbyStarted,
      Unpacked
    };
    Kind kind;
    DownloadFigures figures;
    FailureKind failure = FailureKind::kDownload;
    UnpackFigures unpack = {};
  };

  // Construction steps (window_layout.cpp).
  void BuildMainControls();
  void StartBannerThread(WindowParts::ThreadStart bannerThread);
  void BuildNoticeWindow();
  void CreateTrayIcon();

  // Keyboard, screen readers and the taskbar button (window_access.cpp).
  void BuildAccess();
  // Before the window's own handling: true with the answer when the message was consumed.
  bool HandleAccessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* answer);
  // After each message: the focus ring, the time left, the taskbar button and the screen
  // readers' announcements follow whatever the message changed.
  void FollowChanges();

  // The time left beside the speed (remaining_display.cpp).
  void BuildRemainingLabel();
  void ShowRemaining(const DownloadFigures& figures);
  void HideRemainingWhenStill();

  // Display timers (progress_timers.cpp).
  void StepRunner();
  void RotateTip();
  void RefreshProgress();

  // Commands (window_commands.cpp, folder_choice.cpp, lobby_launch.cpp).
  void OnInstallClick();
  void ChooseFolder();
  void LaunchLobby();
  void Activate();
  void StartNewAttempt(bool heldPaused);

  // Icon tip (icon_tip.cpp).
  void OnIconTipTimer();
  void ShowIconTip(HWND listView, const RECT* iconRect);
  void OnHideIconTipTimer();

  // The installation's events (install_events.cpp).
  void Queue(const QueuedEvent& event);
  void RunQueuedEvents();
  void Carry(const QueuedEvent& event);

  // Failure notice (failure_notice.cpp).
  void PutUpFailureNotice(FailureKind kind);

  const SiteSettings& settings_;
  const WindowParts parts_;
  std::wstring installBase_;  // ends with a backslash
  BannerStart bannerStart_;
  MainControls ui_;
  TrayIcon trayIcon_;
  DebugLog logFile_;
  std::unique_ptr<SkinWindow> iconTipWindow_;
  std::unique_ptr<NoticeWindow> noticeWindow_;
  NoticeControls notice_;
  UniqueMenu trayMenu_;  // the tray icon's menu is its first submenu
  int tipIndex_ = 0;
  // Between OnReconnecting and the first new byte: the speed text says so and the runner rests.
  bool reconnecting_ = false;
  RateSmoother rate_;
  KeyboardFocus keys_{this};
  Accessibility access_{this, &keys_};
  TaskbarProgress taskbar_{GetHwnd()};
  // From the end of construction to the start of destruction: the parts above are all there.
  bool built_ = false;

  std::mutex eventsMutex_;
  std::deque<QueuedEvent> events_;
  bool wakePosted_ = false;

  // Last, so that it goes first: its worker may still queue events while it ends.
  std::unique_ptr<InstallController> controller_;
};

}  // namespace dl
