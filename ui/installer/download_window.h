// The installer's one main window: the skinned face with banner, install path, progress bar,
// texts and buttons; the HTTP client the install worker downloads with; the host through which
// the worker, on its own thread, asks for everything it wants shown. Everything here except
// the InstallHost operations and the progress hook runs on the window's thread.
#pragma once

#include <windows.h>

#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "app/debug_log.h"
#include "base/pause_gate.h"
#include "base/win_handles.h"
#include "install/install_host.h"
#include "net/http_client.h"
#include "ui/framework/skin_window.h"
#include "ui/framework/tray_icon.h"
#include "ui/installer/host_request.h"
#include "ui/installer/window_controls.h"

namespace dl {

class SkinPreload;

extern const wchar_t kWindowTitle[];
extern const wchar_t kWindowClassName[];

class NoticeWindow;

struct MenuTraits {
  using Handle = HMENU;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle menu) noexcept { DestroyMenu(menu); }
};
using UniqueMenu = UniqueOwner<MenuTraits>;

class DownloadWindow : public SkinWindow, public HttpClient, public InstallHost {
 public:
  // A thread procedure handed the window as SkinWindow*.
  using ThreadStart = DWORD(WINAPI*)(void* window);

  // Creates, configures, centres and shows the window with all its controls, starts the
  // banner thread and the tip rotation. Does not start an installation.
  DownloadWindow();
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

  // InstallHost: callable from any thread; carried out on the window's thread in order.
  void StartTimer(UINT_PTR id, UINT periodMs) override;
  void StopTimer(UINT_PTR id) override;
  void SetText(WorkerText which, const wchar_t* text) override;
  void ShowRunner(int show) override;
  void ShowFailureNotice(int kind) override;
  void PostActivate() override;
  void ReportDone() override;
  std::wstring InstallFolder() override;

  void ReadSiteConfiguration();
  void StoreShareId(const char* shareId);
  DebugLog& log() { return logFile_; }

  const MainControls& controls() const { return ui_; }
  const NoticeControls& notice() const { return notice_; }
  SkinWindow* noticeWindow() const;
  SkinWindow* iconTipWindow() const { return iconTipWindow_.get(); }
  TrayIcon& trayIcon() { return trayIcon_; }
  InstallProgress& progress() { return progress_; }
  PauseGate& gate() { return gate_; }
  HANDLE workerThread() const { return workerThread_.Get(); }
  int tipIndex() const { return tipIndex_; }

 protected:
  // As the default constructor, with another banner thread (none when null).
  explicit DownloadWindow(ThreadStart bannerThread);

  // The install worker's body, on the worker thread.
  virtual void RunWorker();
  // Stores the download's figures and holds the downloading thread while paused.
  void OnProgress(HANDLE file, int status, uint32_t elapsed, uint64_t received, uint64_t total,
                  uint64_t fileBytes, int32_t progressTag) override;

 private:
  static DWORD WINAPI WorkerMain(void* window);

  // Construction steps (window_layout.cpp).
  void BuildMainControls();
  void StartBannerThread(ThreadStart bannerThread);
  void BuildNoticeWindow();
  void CreateTrayIcon();

  // Display timers (progress_timers.cpp).
  void StepRunner();
  void RotateTip();
  void RefreshProgress();

  // Commands (window_commands.cpp, folder_choice.cpp, lobby_launch.cpp).
  void OnInstallClick();
  void StartWorker();
  void ChooseFolder();
  void LaunchLobby();
  void Activate();
  void StartNewWorker(bool heldPaused);

  // Icon tip (icon_tip.cpp).
  void OnIconTipTimer();
  void ShowIconTip(HWND listView, const RECT* iconRect);
  void OnHideIconTipTimer();

  // Worker requests (host_requests.cpp).
  void Queue(HostRequest request);
  void RunQueuedRequests();
  void Carry(const HostRequest& request);

  // Failure notice (failure_notice.cpp).
  void PutUpFailureNotice(int kind);

  MainControls ui_;
  UniqueHandle workerThread_;
  TrayIcon trayIcon_;
  InstallProgress progress_;
  PauseGate gate_;
  DebugLog logFile_;
  std::unique_ptr<SkinWindow> iconTipWindow_;
  std::unique_ptr<NoticeWindow> noticeWindow_;
  NoticeControls notice_;

  UniqueMenu trayMenu_;      // the tray icon's menu is its first submenu
  UniqueHandle reportDone_;  // set by the worker once its outcome report is out
  int tipIndex_ = 0;

  std::mutex requestsMutex_;
  std::deque<HostRequest> requests_;
  bool wakePosted_ = false;
};

}  // namespace dl
