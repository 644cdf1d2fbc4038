// The window procedure's body: the message table, the mouse and focus state machine, the
// requests of the controls and their deferred deletion.
#include <algorithm>

#include "ui/controls/control_events.h"
#include "ui/controls/device_rect.h"
#include "ui/framework/skin_window.h"
#include "ui/framework/window_dpi.h"

namespace dl {

namespace {
// Mouse positions are unsigned 16-bit halves: a point left of or above the client area, seen
// while the window holds the capture, becomes a large number that hits nothing.
int MouseX(LPARAM lParam) { return static_cast<int>(static_cast<WORD>(lParam & 0xFFFF)); }
int MouseY(LPARAM lParam) { return static_cast<int>(static_cast<WORD>((lParam >> 16) & 0xFFFF)); }
LPARAM PackPoint(LONG x, LONG y) {
  return static_cast<LPARAM>((static_cast<DWORD>(y & 0xFFFF) << 16) | (x & 0xFFFF));
}
}  // namespace

LRESULT SkinWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NULL:
      if (RunPendingDeletes()) return 0;  // the window itself is gone
      break;
    case WM_SETFOCUS:
      if (focusControl_ != nullptr) focusControl_->OnSetFocus();
      break;
    case WM_KILLFOCUS:
      if (focusControl_ != nullptr) focusControl_->OnKillFocus();
      break;
    case WM_PAINT:
    case WM_PRINT:
    case WM_PRINTCLIENT:
      OnPaintMessage(msg, wParam, lParam);
      break;
    case WM_CLOSE:
      if (IsEnabled() != 1 || CanClose() != 1) return 0;
      PostQuitMessage(0);
      break;  // default processing destroys the native window
    case WM_ERASEBKGND:
      return 1;  // the surface covers everything
    case WM_SETCURSOR:
      if (hoverControl_ != nullptr && hoverControl_->ApplyCursor() == 1) return 0;
      break;
    case WM_TIMER:
      OnTimer(wParam);
      break;
    case WM_DPICHANGED_MESSAGE:
      ApplyDpi(UsableDpi(LOWORD(wParam)), reinterpret_cast<const RECT*>(lParam));
      return 0;
    // The controls hear mouse positions in layout units, the units of their rectangles.
    case WM_MOUSEMOVE:
      OnMouseMoveMessage(wParam, LayoutPoint(lParam, dpi_));
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      if (!OnPress(msg, wParam, lParam)) return 0;
      break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      OnRelease(msg, wParam, LayoutPoint(lParam, dpi_));
      break;
    case WM_MOUSEWHEEL:
      OnWheel(wParam, lParam);
      break;
    case WM_MOUSEHOVER:
      trackingMouse_ = 0;
      if (hoverControl_ != nullptr) hoverControl_->OnMouseHover(wParam, lParam);
      break;
    case WM_MOUSELEAVE:
      trackingMouse_ = 0;
      if (hoverControl_ != nullptr) {
        hoverControl_->OnMouseLeave(wParam, lParam);
        hoverControl_ = nullptr;
      }
      break;
    case WM_CONTROL_REQUEST:
      if (lParam != 0) {
        LRESULT result = 0;
        if (OnControlRequest(wParam, reinterpret_cast<Control*>(lParam), &result)) return result;
      }
      break;
    default:
      break;
  }
  return DefaultProcessing(msg, wParam, lParam);
}

LRESULT SkinWindow::DefaultProcessing(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (focusControl_ != nullptr) {
    LRESULT result = 0;
    if (focusControl_->FilterMessage(msg, wParam, lParam, &result) == 1) return result;
  }
  return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

bool SkinWindow::RunPendingDeletes() {
  while (!pendingDeletes_.empty()) {
    Control* control = pendingDeletes_.front();
    pendingDeletes_.erase(pendingDeletes_.begin());
    if (control == nullptr) continue;
    // Queued descendants go with their ancestor; their entries would dangle afterwards.
    pendingDeletes_.erase(
        std::remove_if(pendingDeletes_.begin(), pendingDeletes_.end(),
                       [control](Control* queued) { return control->Contains(queued) == 1; }),
        pendingDeletes_.end());
    const bool self = control == this;
    delete control;
    if (self) return true;
  }
  return false;
}

void SkinWindow::UpdateHover(WPARAM wParam, LPARAM lParam) {
  Control* hit = HitTest(MouseX(lParam), MouseY(lParam));
  if (hit == hoverControl_) return;
  if (hoverControl_ != nullptr) hoverControl_->OnMouseLeave(wParam, lParam);
  if (hit != nullptr) hit->OnMouseEnter(wParam, lParam);
  hoverControl_ = hit;
}

void SkinWindow::OnMouseMoveMessage(WPARAM wParam, LPARAM lParam) {
  UpdateHover(wParam, lParam);
  if (captureControl_ != nullptr) {
    captureControl_->OnMouseMove(wParam, lParam);
  } else if (hoverControl_ != nullptr) {
    hoverControl_->OnMouseMove(wParam, lParam);
  }
  // One hover/leave request per notice, not one per move.
  if (trackingMouse_ == 0) {
    TRACKMOUSEEVENT track = {};
    track.cbSize = sizeof track;
    track.dwFlags = TME_HOVER | TME_LEAVE;
    track.hwndTrack = hwnd_;
    track.dwHoverTime = 500;
    TrackMouseEvent(&track);
    trackingMouse_ = 1;
  }
}

bool SkinWindow::OnPress(UINT msg, WPARAM wParam, LPARAM devicePoint) {
  const LPARAM lParam = LayoutPoint(devicePoint, dpi_);
  // A leave notice can arrive after the move that brought the pointer back, clearing the
  // hover while the pointer is over a control; the press point is the truth.
  UpdateHover(wParam, lParam);
  if (hoverControl_ == nullptr) return true;
  if (msg == WM_LBUTTONDOWN) {
    RECT drag;
    POINT at = {MouseX(lParam), MouseY(lParam)};
    if (GetDragRect(&drag, hoverControl_) == 1 && PtInRect(&drag, at)) {
      // The system moves the window as if its caption were held; no control sees the press.
      SendMessageW(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, devicePoint);
      return false;
    }
  }
  SetCapture(hwnd_);
  captureControl_ = hoverControl_;
  switch (msg) {
    case WM_LBUTTONDOWN:
      captureControl_->OnLButtonDown(wParam, lParam);
      break;
    case WM_LBUTTONDBLCLK:
      captureControl_->OnLButtonDblClk(wParam, lParam);
      break;
    case WM_RBUTTONDOWN:
      captureControl_->OnRButtonDown(wParam, lParam);
      break;
    case WM_RBUTTONDBLCLK:
      captureControl_->OnRButtonDblClk(wParam, lParam);
      break;
    case WM_MBUTTONDOWN:
      captureControl_->OnMButtonDown(wParam, lParam);
      break;
    case WM_MBUTTONDBLCLK:
      captureControl_->OnMButtonDblClk(wParam, lParam);
      break;
    default:
      break;
  }
  // Focus follows the press; the handler may have moved the hover or the focus meanwhile.
  if (focusControl_ != hoverControl_) {
    if (focusControl_ != nullptr) focusControl_->OnKillFocus();
    focusControl_ = hoverControl_;
    if (focusControl_ != nullptr) focusControl_->OnSetFocus();
  }
  return true;
}

void SkinWindow::OnRelease(UINT msg, WPARAM wParam, LPARAM lParam) {
  Control* held = captureControl_;
  if (held == nullptr) return;
  ReleaseCapture();
  // Whichever button comes up is delivered, whichever went down.
  switch (msg) {
    case WM_LBUTTONUP:
      held->OnLButtonUp(wParam, lParam);
      break;
    case WM_RBUTTONUP:
      held->OnRButtonUp(wParam, lParam);
      break;
    case WM_MBUTTONUP:
      held->OnMButtonUp(wParam, lParam);
      break;
    default:
      break;
  }
  captureControl_ = nullptr;
}

void SkinWindow::OnWheel(WPARAM wParam, LPARAM lParam) {
  if (hoverControl_ != nullptr) hoverControl_->OnMouseWheel(wParam, lParam);
  // The wheel may have scrolled another control under the mouse: work the hover out again.
  POINT at = {MouseX(lParam), MouseY(lParam)};
  ScreenToClient(hwnd_, &at);
  PostMessageW(hwnd_, WM_MOUSEMOVE, 0, PackPoint(at.x, at.y));
}

void SkinWindow::PostMoveAtCursor() {
  POINT at;
  if (!GetCursorPos(&at)) return;
  ScreenToClient(hwnd_, &at);
  PostMessageW(hwnd_, WM_MOUSEMOVE, 0, PackPoint(at.x, at.y));
}

void SkinWindow::ForgetControl(Control* control) {
  auto goes = [control](Control* held) {
    return held != nullptr && (held == control || control->Contains(held) == 1);
  };
  // No leave or kill-focus call: the control may be half destroyed already.
  if (goes(captureControl_)) {
    ReleaseCapture();
    captureControl_ = nullptr;
  }
  if (goes(focusControl_)) focusControl_ = nullptr;
  if (goes(hoverControl_)) hoverControl_ = nullptr;
  PostMoveAtCursor();  // hover moves to whatever is now under the mouse
}

bool SkinWindow::OnControlRequest(WPARAM what, Control* control, LRESULT* result) {
  switch (what) {
    case CR_RELEASE:
      ForgetControl(control);
      *result = 0;
      return true;
    case CR_FOCUS:
      if (focusControl_ != control) {
        if (focusControl_ != nullptr) focusControl_->OnKillFocus();
        focusControl_ = control;
      }
      *result = focusControl_->OnSetFocus();
      if (*result == 0) focusControl_ = nullptr;
      return true;
    case CR_GETFOCUS:
      *result = reinterpret_cast<LRESULT>(focusControl_);
      return true;
    case CR_DELETELATER:
      // Asking twice deletes once.
      if (std::find(pendingDeletes_.begin(), pendingDeletes_.end(), control) ==
          pendingDeletes_.end()) {
        pendingDeletes_.push_back(control);
      }
      PostMessageW(hwnd_, WM_NULL, 0, 0);
      return false;  // default processing answers
    default:
      return false;
  }
}

}  // namespace dl
