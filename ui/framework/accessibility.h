// What a screen reader learns of one skinned window: its controls as the simple children of the
// window's client object (an MSAA IAccessible, which UI Automation bridges), with roles, names,
// values and states read from the controls when a client asks, and their changes announced to
// listening clients with NotifyWinEvent. Everything runs on the window's thread.
#pragma once

#include <windows.h>

#include <oleacc.h>

#include <cstddef>
#include <string>
#include <vector>

#include "ui/controls/control.h"
#include "ui/controls/label.h"
#include "ui/framework/keyboard_focus.h"

namespace dl {

// Posted to the window by a client's default action (wParam: the child's index), so that a
// click that opens a modal dialog never holds the client's call.
constexpr UINT WM_ACCESSIBLE_ACTION = WM_APP + 0x231;

struct AccessibleItem {
  Control* control;     // where it is and whether it shows
  LONG role;            // ROLE_SYSTEM_*
  const wchar_t* name;  // a fixed name (a picture whose words are part of its skin), or null
  Label* nameFrom;      // else the text of this label
  Label* valueFrom;     // the value (a progress bar's percentage), or null for none
};

class AccessibleWindowObject;

class Accessibility {
 public:
  // keys: the window's tab stops, which are the focusable children and their actions.
  Accessibility(Control* root, KeyboardFocus* keys);
  // Clients that still hold the object find it disconnected from then on.
  ~Accessibility();
  Accessibility(const Accessibility&) = delete;
  Accessibility& operator=(const Accessibility&) = delete;

  // Appends a child; its child id is its position, counted from 1. List the controls a pointer
  // should find before the texts they overlap.
  void Add(const AccessibleItem& item);
  // WM_GETOBJECT for the client area and WM_ACCESSIBLE_ACTION; true with the result when
  // handled.
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
  // Announces what changed since the last call: names, values, states, the focused child.
  void Announce();

  // What the client object reads (index: child id less one, below count()).
  size_t count() const { return items_.size(); }
  HWND hwnd() const { return root_->GetHwnd(); }
  std::wstring Name(size_t index) const;
  // False when the child has no value.
  bool Value(size_t index, std::wstring* out) const;
  LONG Role(size_t index) const { return items_[index].role; }
  LONG State(size_t index) const;
  RECT ScreenRect(size_t index) const;
  const wchar_t* DefaultAction(size_t index) const;
  // The focused child's id, CHILDID_SELF when the window has the keyboard without one, -1
  // when the window does not have it.
  LONG FocusedChild() const;
  // The child id under a screen point (the first listed where two meet), CHILDID_SELF over the
  // window elsewhere, -1 outside.
  LONG ChildAt(POINT screen) const;
  bool RequestDefaultAction(size_t index);
  bool TakeFocus(size_t index);

 private:
  struct Said {
    std::wstring name;
    std::wstring value;
    LONG state;
  };

  Control* root_;
  KeyboardFocus* keys_;
  std::vector<AccessibleItem> items_;
  std::vector<Said> said_;
  LONG saidFocus_ = -1;
  bool announcing_ = false;
  AccessibleWindowObject* object_ = nullptr;  // one reference held from the first request on
};

}  // namespace dl
