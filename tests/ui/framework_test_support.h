// What the framework tests under wine share besides the surface: the process start-up the
// framework relies on (the window registry, the registered tray messages), controls that
// record what the window calls on them and fill their rectangle with a solid colour, and a
// window that records what its derived part sees.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/ui/ui_test_support.h"
#include "ui/controls/control.h"
#include "ui/framework/skin_window.h"

namespace dltest {

// The calls made on the recording controls and windows, in order, as "what name".
using CallLog = std::vector<std::string>;

// A control that logs the window's calls on it and fills its rectangle with `colour`
// (straight, no fill when 0).
class ProbeControl : public dl::Control {
 public:
  ProbeControl(const char* name, const RECT& rect, dl::Control* parent, CallLog* log,
               Argb colour = 0)
      : dl::Control(rect, nullptr, parent, 0, nullptr, nullptr, nullptr),
        name_(name),
        log_(log),
        colour_(colour) {}

  void DrawSelf(dl::GpGraphics* graphics) override;
  LRESULT OnMouseEnter(WPARAM, LPARAM) override { return Log("enter"); }
  LRESULT OnMouseMove(WPARAM, LPARAM) override { return Log("move"); }
  LRESULT OnMouseHover(WPARAM, LPARAM) override { return Log("hover"); }
  LRESULT OnMouseLeave(WPARAM, LPARAM) override { return Log("leave"); }
  LRESULT OnLButtonDown(WPARAM, LPARAM) override { return Log("ldown"); }
  LRESULT OnLButtonUp(WPARAM, LPARAM) override { return Log("lup"); }
  LRESULT OnRButtonDown(WPARAM, LPARAM) override { return Log("rdown"); }
  LRESULT OnRButtonUp(WPARAM, LPARAM) override { return Log("rup"); }
  LRESULT OnMouseWheel(WPARAM, LPARAM) override { return Log("wheel"); }
  LRESULT OnSetFocus() override { return Log("setfocus") + 1; }
  LRESULT OnKillFocus() override { return Log("killfocus"); }

  void set_colour(Argb colour) { colour_ = colour; }

 private:
  LRESULT Log(const char* what) {
    if (log_ != nullptr) log_->push_back(std::string(what) + " " + name_);
    return 0;
  }

  std::string name_;
  CallLog* log_;
  Argb colour_;
};

// How a test window starts. Wine waits two seconds for a window manager whenever a window
// that was ever activated is hidden or destroyed, so the tests show theirs without activating
// them.
enum class Start {
  kHidden,  // created without WS_VISIBLE, never shown
  kShown,   // created hidden, then shown without activation and marked visible
};

// A skinned window for the tests: from a rectangle, no image, a test class name. It logs its
// own mouse and focus calls under "window", records the messages its derived part sees, and
// swallows a native drag start (WM_NCLBUTTONDOWN with HTCAPTION) after recording it.
class ProbeWindow : public dl::SkinWindow {
 public:
  ProbeWindow(const RECT& rect, CallLog* log, DWORD exStyle = 0, Start start = Start::kShown,
              HWND owner = nullptr);

  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  int GetDragRect(RECT* out, dl::Control*) override {
    if (dragRect_.right == 0) return 0;
    *out = dragRect_;
    return 1;
  }
  int CanClose() override { return canClose_; }
  void OnTimer(UINT_PTR id) override { timers.push_back(id); }
  LRESULT OnMouseEnter(WPARAM, LPARAM) override { return Log("enter"); }
  LRESULT OnMouseMove(WPARAM, LPARAM) override { return Log("move"); }
  LRESULT OnMouseLeave(WPARAM, LPARAM) override { return Log("leave"); }
  LRESULT OnLButtonDown(WPARAM, LPARAM) override { return Log("ldown"); }
  LRESULT OnLButtonUp(WPARAM, LPARAM) override { return Log("lup"); }
  LRESULT OnSetFocus() override { return Log("setfocus") + 1; }
  LRESULT OnKillFocus() override { return Log("killfocus"); }

  using SkinWindow::captureControl;
  using SkinWindow::focusControl;
  using SkinWindow::hoverControl;
  using SkinWindow::surfaceDc;
  using SkinWindow::trackingMouse;

  void set_drag_rect(const RECT& rect) { dragRect_ = rect; }
  void set_can_close(int answer) { canClose_ = answer; }

  // Messages the derived part saw, and the drag starts it swallowed (their lParam).
  std::vector<UINT> messages;
  std::vector<LPARAM> dragStarts;
  std::vector<UINT_PTR> timers;

 private:
  LRESULT Log(const char* what) {
    if (log_ != nullptr) log_->push_back(std::string(what) + " window");
    return 0;
  }

  CallLog* log_;
  RECT dragRect_ = {};  // none while empty
  int canClose_ = 1;
};

// Throws away the thread's queued messages of the window (the mouse and timer noise of the
// bench) without handling them.
void DropQueued(HWND hwnd);

}  // namespace dltest
