// The failure notice: a hidden skinned pop-up that lies exactly over the installer window and
// reports its two buttons to it. Its panel is its only drag handle.
#pragma once

#include <windows.h>

#include "ui/framework/accessibility.h"
#include "ui/framework/keyboard_focus.h"
#include "ui/framework/skin_window.h"

namespace dl {

extern const wchar_t kNoticeClassName[];

class NoticeWindow : public SkinWindow {
 public:
  // rect in screen coordinates; installerWindow owns the notice and hears its buttons.
  NoticeWindow(const RECT& rect, HWND installerWindow);
  ~NoticeWindow() override;

  // 确定 starts a new worker held paused, 重新下载 one that runs at once; both hide the notice.
  LRESULT Notify(ControlEvent* event, Control* source) override;
  int GetDragRect(RECT* out, Control* control) override;
  // Shown again, the keyboard starts at the first button.
  void Show(int show) override;
  // Keys, screen readers' requests, and after each message the ring and the announcements.
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  void set_drag_handle(Control* control) { dragHandle_ = control; }
  KeyboardFocus& keys() { return keys_; }
  Accessibility& access() { return access_; }

 private:
  HWND installerWindow_;
  Control* dragHandle_ = nullptr;
  KeyboardFocus keys_{this};
  Accessibility access_{this, &keys_};
};

}  // namespace dl
