#include "ui/framework/keyboard_focus.h"

#include "ui/controls/device_rect.h"
#include "ui/framework/focus_ring.h"

namespace dl {

namespace {

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool ShiftHeld() { return (GetKeyState(VK_SHIFT) & 0x8000) != 0; }

// Bit 30 of a key message: the key was already down (the keyboard's auto-repeat).
bool Repeated(LPARAM lParam) { return (lParam & (1 << 30)) != 0; }

}  // namespace

KeyboardFocus::KeyboardFocus(Control* root) : root_(root) {
  BOOL always = FALSE;
  alwaysCues_ = SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &always, 0) && always;
  cues_ = alwaysCues_;
}

void KeyboardFocus::AddStop(Control* stop, int outset) {
  if (stop == nullptr) return;
  if (ring_ == nullptr) ring_ = new FocusRing(root_);  // owned by root's tree from here on
  stops_.push_back({stop, outset});
  if (stops_.size() == 1) current_ = 0;
}

bool KeyboardFocus::Usable(const Control* control) {
  for (Control* c = const_cast<Control*>(control); c != nullptr; c = c->parent()) {
    if (c->IsVisible() == 0) return false;
  }
  return control != nullptr && const_cast<Control*>(control)->IsEnabled() == 1;
}

Control* KeyboardFocus::focused() const {
  if (current_ >= stops_.size()) return nullptr;
  Control* stop = stops_[current_].control;
  return Usable(stop) ? stop : nullptr;
}

bool KeyboardFocus::IsStop(const Control* control) const {
  for (const Stop& stop : stops_) {
    if (stop.control == control) return true;
  }
  return false;
}

void KeyboardFocus::Step(int direction) {
  const size_t count = stops_.size();
  if (count == 0) return;
  // From none, forward starts at the first stop and backward at the last.
  size_t at = current_ < count ? current_ : (direction > 0 ? count - 1 : 0);
  for (size_t tried = 0; tried < count; ++tried) {
    at = (at + count + direction) % count;
    if (Usable(stops_[at].control)) {
      current_ = at;
      return;
    }
  }
  current_ = kNone;
}

void KeyboardFocus::Focus(Control* stop) {
  for (size_t i = 0; i < stops_.size(); ++i) {
    if (stops_[i].control == stop) current_ = i;
  }
  Sync();
}

void KeyboardFocus::Reset() {
  current_ = kNone;
  cues_ = alwaysCues_;
  Step(1);
  Sync();
}

bool KeyboardFocus::Activate(Control* stop) {
  if (stop == nullptr || !Usable(stop) || stop->parent() == nullptr) return false;
  ControlEvent click = {0, 0, CN_CLICK};
  stop->parent()->Notify(&click, stop);
  return true;
}

bool KeyboardFocus::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_KEYDOWN:
      switch (wParam) {
        case VK_TAB:
          cues_ = true;
          Step(ShiftHeld() ? -1 : 1);
          Sync();
          return true;
        case VK_RETURN:
        case VK_SPACE:
          cues_ = true;
          if (!Repeated(lParam)) Activate(focused());
          Sync();
          return true;
        case VK_ESCAPE:
          if (escape_ == nullptr) return false;
          if (!Repeated(lParam)) Activate(escape_);
          return true;
        default:
          return false;
      }
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) != SC_CLOSE || close_ == nullptr) return false;
      Activate(close_);
      return true;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
      cues_ = alwaysCues_;
      // The clicked stop takes the focus, so that the keyboard goes on from there.
      const LPARAM at = LayoutPoint(lParam, root_->Dpi());
      Control* hit = root_->HitTest(static_cast<int>(static_cast<short>(LOWORD(at))),
                                    static_cast<int>(static_cast<short>(HIWORD(at))));
      if (IsStop(hit)) Focus(hit);
      return false;
    }
    default:
      return false;
  }
}

void KeyboardFocus::Sync() {
  // A stop that went away hands the focus on; with none, the first that can take it does.
  if (current_ >= stops_.size() || !Usable(stops_[current_].control)) Step(1);
  PlaceRing();
}

void KeyboardFocus::PlaceRing() {
  if (ring_ == nullptr) return;
  Control* stop = focused();
  const bool show = stop != nullptr && cues_ && GetFocus() == root_->GetHwnd();
  if (!show) {
    if (ring_->IsVisible() != 0) ring_->Show(0);
    return;
  }
  const int outset = stops_[current_].outset;
  RECT at = stop->GetRect();
  InflateRect(&at, outset, outset);
  if (ring_->IsVisible() != 0 && SameRect(at, ringAt_)) return;
  ringAt_ = at;
  ring_->Surround(at);
  ring_->Show(1);
}

}  // namespace dl
