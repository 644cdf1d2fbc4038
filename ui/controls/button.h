// A clickable image: a strip of four equal frames (normal, hover, pressed, disabled) that turns
// a press and a release over itself into a click event for its parent.
#pragma once

#include <windows.h>

#include "ui/controls/control.h"

namespace dl {

class Button : public Control {
 public:
  // Frames shown by each state.
  static constexpr int kNormalFrame = 0;
  static constexpr int kHoverFrame = 1;
  static constexpr int kPressedFrame = 2;
  static constexpr int kDisabledFrame = 3;

  // At (x, y) relative to the parent, one frame of the strip wide; events reach the parent.
  Button(int x, int y, const wchar_t* imageName, Control* parent, int id,
         const wchar_t* resourceType, HMODULE module);
  ~Button() override;

  void Show(int show) override;
  void Enable(int enable) override;
  LRESULT OnMouseEnter(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnLButtonUp(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnLButtonDblClk(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnRButtonDown(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnRButtonUp(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnRButtonDblClk(WPARAM wParam, LPARAM lParam) override;

  int pressed() const { return pressed_; }
  int hover() const { return hover_; }

 protected:
  void Press();
  // Ends a press; a click when the mouse is still over the button.
  LRESULT Release(LRESULT upResult, int32_t clickCode, WPARAM wParam, LPARAM lParam);

  int pressed_ = 0;
  int hover_ = 0;
};

}  // namespace dl
