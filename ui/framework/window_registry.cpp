#include "ui/framework/window_registry.h"

#include "ui/framework/skin_window.h"

namespace dl {

void WindowRegistry::Register(SkinWindow* window) {
  if (window == nullptr) return;
  threads_[GetCurrentThreadId()][window->GetHwnd()] = window;
}

void WindowRegistry::Unregister(HWND hwnd, SkinWindow* window) {
  auto thread = threads_.find(GetCurrentThreadId());
  if (thread == threads_.end()) return;
  auto entry = thread->second.find(hwnd);
  if (entry != thread->second.end() && entry->second == window) thread->second.erase(entry);
}

SkinWindow* WindowRegistry::Lookup(HWND hwnd) const {
  if (IsWindow(hwnd) != TRUE) return nullptr;
  auto thread = threads_.find(GetCurrentThreadId());
  if (thread == threads_.end()) return nullptr;
  auto entry = thread->second.find(hwnd);
  return entry == thread->second.end() ? nullptr : entry->second;
}

namespace {
WindowRegistry* g_registry = nullptr;
}

void SetProcessRegistry(WindowRegistry* registry) { g_registry = registry; }

WindowRegistry* Windows() { return g_registry; }

void RunMessageLoop() {
  MSG msg = {};
  BOOL got;
  while ((got = GetMessageW(&msg, nullptr, 0, 0)) == 1) {
    bool consumed = false;
    WindowRegistry* registry = Windows();
    for (HWND h = msg.hwnd; h != nullptr && registry != nullptr && !consumed; h = GetParent(h)) {
      SkinWindow* window = registry->Lookup(h);
      consumed = window != nullptr && window->PreTranslateMessage(&msg) == 1;
    }
    if (consumed) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  PostQuitMessage(static_cast<int>(msg.wParam));
}

}  // namespace dl
