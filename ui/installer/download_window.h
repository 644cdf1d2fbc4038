// The installer's main window. For now it carries the start-up duties of the window
// (configuration, share id, debug log, install base) and shows its background skin; the
// skinned controls, the worker and the commands hang off this class.
#pragma once

#include <string>

#include "app/debug_log.h"
#include "ui/framework/skin_window.h"

namespace dl {

extern const wchar_t kWindowTitle[];
extern const wchar_t kWindowClassName[];

class DownloadWindow : public SkinWindow {
 public:
  // Creates, configures, centres and shows the window. Does not start an installation.
  DownloadWindow();
  ~DownloadWindow() override;

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  // The whole window drags until the real face brings its title bar.
  int GetDragRect(RECT* out, Control* control) override;
  // Ends the process at once with exit code 0; never returns normally.
  int CanClose() override;

  void ReadSiteConfiguration();
  void StoreShareId(const char* shareId);
  DebugLog& log() { return logFile_; }
  // The line naming the default install folder, for the path label.
  const wchar_t* pathText() const { return pathText_; }

 private:
  void ComeForward();

  DebugLog logFile_;
  wchar_t pathText_[260 + 16] = {};
};

}  // namespace dl
