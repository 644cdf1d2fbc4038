#include "app/process_startup.h"

#include <windows.h>
#include <gdiplus.h>

#include "app/dll_search.h"
#include "ui/framework/tray_messages.h"
#include "ui/framework/window_dpi.h"
#include "ui/installer/window_messages.h"

namespace dl {

namespace {
ProcessStartup* g_instance = nullptr;

void EnterProgramFolder() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  wchar_t* slash = wcsrchr(path, L'\\');
  if (slash == nullptr) return;
  *slash = L'\0';
  SetCurrentDirectoryW(path);
}
}  // namespace

ProcessStartup::ProcessStartup() {
  // Before anything loads a library, the program's own or the system's on its behalf.
  RestrictDllSearch();
  g_instance = this;
  // Before any window: a window's awareness is fixed when it is made.
  DeclareDpiAwareness();
  ActivateMessage();

  Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback, no suppression
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) gdiplusToken_ = token;
  EnterProgramFolder();

  registry_.emplace();
  SetProcessRegistry(&*registry_);
  TrayNotifyMessage();
  TaskbarCreatedMessage();
}

ProcessStartup::~ProcessStartup() {
  SetProcessRegistry(nullptr);
  registry_.reset();
  if (gdiplusToken_ != 0) Gdiplus::GdiplusShutdown(static_cast<ULONG_PTR>(gdiplusToken_));
  g_instance = nullptr;
}

ProcessStartup& ProcessStartup::Get() { return *g_instance; }

}  // namespace dl
