// What the framework tests under wine share: the process start-up the framework relies on
// (GDI+, the window registry, the registered tray messages), controls that record what the
// window calls on them and fill their rectangle with a solid colour, and a window that
// records what its derived part sees.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/controls/control.h"
#include "ui/framework/skin_window.h"

namespace dltest {

// The calls made on the recording controls and windows, in order, as "what name".
using CallLog = std::vector<std::string>;

// A control that logs the window's calls on it and fills its rectangle with `colour`
// (straight 0xAARRGGBB, no fill when 0).
class ProbeControl : public dl::Control {
 public:
  ProbeControl(const char* name, const RECT& rect, dl::Control* parent, CallLog* log,
               uint32_t colour = 0);
  ~ProbeControl() override;

  void DrawSelf(dl::GpGraphics* graphics) override;
  LRESULT OnMouseEnter(WPARAM, LPARAM) override;
  LRESULT OnMouseMove(WPARAM, LPARAM) override;
  LRESULT OnMouseHover(WPARAM, LPARAM) override;
  LRESULT OnMouseLeave(WPARAM, LPARAM) override;
  LRESULT OnLButtonDown(WPARAM, LPARAM) override;
  LRESULT OnLButtonUp(WPARAM, LPARAM) override;
  LRESULT OnRButtonDown(WPARAM, LPARAM) override;
  LRESULT OnRButtonUp(WPARAM, LPARAM) override;
  LRESULT OnMouseWheel(WPARAM, LPARAM) override;
  LRESULT OnSetFocus() override;
  LRESULT OnKillFocus() override;

  void set_colour(uint32_t colour) { colour_ = colour; }
  // What OnSetFocus answers (1 accepts the focus).
  void set_accept_focus(LRESULT accept) { acceptFocus_ = accept; }
  // Counts the destructor runs of every probe with this name.
  void set_deletions(int* deletions) { deletions_ = deletions; }

 private:
  void Log(const char* what);

  std::string name_;
  CallLog* log_;
  uint32_t colour_;
  LRESULT acceptFocus_ = 1;
  int* deletions_ = nullptr;
};

// How a test window starts. Wine waits two seconds for a window manager whenever a window
// that was ever activated is hidden or destroyed, so most tests show theirs without
// activating it.
enum class Start {
  kHidden,        // created without WS_VISIBLE, never shown
  kShown,         // created hidden, then shown without activation and marked visible
  kVisibleStyle,  // created with WS_VISIBLE (activated)
};

// A skinned window for the tests: from a rectangle, no image, a test class name. It logs
// its own mouse and focus calls under "window", records the messages its derived part sees,
// and swallows a native drag start (WM_NCLBUTTONDOWN with HTCAPTION) after recording it.
class ProbeWindow : public dl::SkinWindow {
 public:
  ProbeWindow(const RECT& rect, CallLog* log, DWORD exStyle = 0, Start start = Start::kShown,
              const wchar_t* className = L"FrameworkProbe", UINT classStyle = 0,
              HWND owner = nullptr);
  ~ProbeWindow() override;

  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  int PreTranslateMessage(MSG* msg) override;
  int GetDragRect(RECT* out, dl::Control* control) override;
  int CanClose() override { return canClose_; }
  void OnTimer(UINT_PTR id) override { timers.push_back(id); }
  LRESULT OnMouseEnter(WPARAM, LPARAM) override;
  LRESULT OnMouseMove(WPARAM, LPARAM) override;
  LRESULT OnMouseLeave(WPARAM, LPARAM) override;
  LRESULT OnLButtonDown(WPARAM, LPARAM) override;
  LRESULT OnLButtonUp(WPARAM, LPARAM) override;
  LRESULT OnSetFocus() override;
  LRESULT OnKillFocus() override;

  using SkinWindow::captureControl;
  using SkinWindow::focusControl;
  using SkinWindow::hoverControl;
  using SkinWindow::surfaceDc;
  using SkinWindow::trackingMouse;

  void set_drag_rect(const RECT& rect) {
    dragRect_ = rect;
    hasDragRect_ = true;
  }
  void set_can_close(int answer) { canClose_ = answer; }
  // PreTranslateMessage consumes messages with this number.
  void set_consume(UINT msg) { consume_ = msg; }
  void set_destroyed_flag(bool* flag) { destroyed_ = flag; }

  // Messages the derived part saw, and the drag starts it swallowed (their lParam).
  std::vector<UINT> messages;
  std::vector<LPARAM> dragStarts;
  std::vector<UINT> pretranslated;
  std::vector<UINT_PTR> timers;

 private:
  CallLog* log_;
  RECT dragRect_ = {};
  bool hasDragRect_ = false;
  int canClose_ = 1;
  UINT consume_ = 0;
  bool* destroyed_ = nullptr;
};

inline LPARAM Point(int x, int y) {
  return static_cast<LPARAM>((static_cast<DWORD>(y & 0xFFFF) << 16) | (x & 0xFFFF));
}

// Dispatches the window's queued messages in the range [first, last], leaving others.
int PumpRange(HWND hwnd, UINT first, UINT last);
// Dispatches everything queued for the thread, for at most ms milliseconds.
void PumpFor(DWORD ms);
// Throws away the thread's queued messages of the window (the mouse and timer noise of the
// bench) without handling them.
void DropQueued(HWND hwnd);

// Reads pixel (x, y) of a 32-bit top-down DIB selected into dc as 0xAARRGGBB; 0 outside.
uint32_t PixelOf(HDC dc, int x, int y);

// A memory device context with a 32-bit top-down DIB, for WM_PRINTCLIENT to paint into.
class Canvas {
 public:
  Canvas(int width, int height, uint32_t fill);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }
  uint32_t At(int x, int y) const { return PixelOf(dc_, x, y); }

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

// Premultiplied colour as the surface holds it for a straight 0xAARRGGBB fill.
uint32_t Premultiplied(uint32_t argb);

// Whether every channel of two pixels is within tolerance.
bool Near(uint32_t a, uint32_t b, int tolerance = 2);

}  // namespace dltest
