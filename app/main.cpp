// Process entry: crash filter, single instance, the site's settings, the installer window and
// its loop.
#include <windows.h>

#include "app/crash_handler.h"
#include "app/instance_guard.h"
#include "app/process_startup.h"
#include "config/resource_strings.h"
#include "config/site_settings_load.h"
#include "install/share_id_store.h"
#include "ui/controls/skin_preload.h"
#include "ui/installer/download_window.h"

namespace {
// The only object with a dynamic initialiser: it runs the start-up steps in their order
// before WinMain.
dl::ProcessStartup g_startup;
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  dl::InstallCrashHandler();
  if (!dl::TakeInstanceMutex()) {
    dl::BroadcastActivation();
    return 0;
  }
  // Outlives the window, and ends before the drawing library does.
  const std::unique_ptr<dl::SkinPreload> skins = dl::DownloadWindow::PreloadSkins();
  dl::ResourceStrings strings;
  const dl::SiteSettings settings = dl::LoadSiteSettings(strings);
  if (!settings.shareId.empty()) dl::StoreShareId(settings.shareId.c_str());
  {
    dl::DownloadWindow window(settings);
    dl::RunMessageLoop();
  }
  return 0;
}
