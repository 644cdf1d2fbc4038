// Keyboard use of one skinned window: its tab stops in order, the one that has the focus and
// the ring that shows it. Tab and Shift+Tab move among the stops that show and are enabled,
// Enter and Space click the focused one, Escape and the system's close command (Alt+F4) click
// the stops named for them. The ring shows once the keyboard is used and hides at the next
// mouse press, as the system does in its own dialogs (always, when the user asked the system
// to show keyboard cues), and only while the window has the keyboard.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

#include "ui/controls/control.h"

namespace dl {

class FocusRing;

class KeyboardFocus {
 public:
  // root: the window whose controls are the stops; the ring joins its tree with the first stop.
  explicit KeyboardFocus(Control* root);
  KeyboardFocus(const KeyboardFocus&) = delete;
  KeyboardFocus& operator=(const KeyboardFocus&) = delete;

  // Appends `stop` (a control of root's tree that raises CN_CLICK) to the tab order; the first
  // one is the default focus. The ring lies `outset` layout units outside the stop's rectangle.
  void AddStop(Control* stop, int outset = 0);
  void set_escape(Control* stop) { escape_ = stop; }
  void set_close(Control* stop) { close_ = stop; }

  // Offered each message of the window first: true when it was consumed (keys and the close
  // command); a mouse press is only noted.
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  // Clicks `stop` as a mouse click would; false when it is hidden or disabled.
  bool Activate(Control* stop);
  void Focus(Control* stop);
  // Back to the default stop, the ring as the system's setting has it (a window shown again).
  void Reset();
  // Shows the ring from now on, as if the keyboard had been used here.
  void ShowCues() {
    cues_ = true;
    Sync();
  }
  // After anything that may have hidden or disabled a stop: a focused stop that cannot keep
  // the focus hands it to the next one, and the ring follows. Cheap when nothing changed.
  void Sync();

  // The focused stop, or null when none can take the focus.
  Control* focused() const;
  bool IsStop(const Control* control) const;
  bool cuesShown() const { return cues_; }
  // Shown along the whole chain of parents, and enabled.
  static bool Usable(const Control* control);

 private:
  struct Stop {
    Control* control;
    int outset;
  };
  void Step(int direction);
  void PlaceRing();

  Control* root_;
  FocusRing* ring_ = nullptr;  // belongs to root's tree
  std::vector<Stop> stops_;
  static constexpr size_t kNone = static_cast<size_t>(-1);
  size_t current_ = kNone;
  Control* escape_ = nullptr;
  Control* close_ = nullptr;
  bool alwaysCues_ = false;
  bool cues_ = false;
  RECT ringAt_ = {};
};

}  // namespace dl
