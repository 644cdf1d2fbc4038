#include "ui/controls/button.h"

#include <windows.h>

namespace dl {

namespace {
constexpr WORD kHandCursor = 32649;  // IDC_HAND
}

Button::Button(int x, int y, const wchar_t* imageName, Control* parent, int id,
               const wchar_t* resourceType, HMODULE module)
    : Control(x, y, imageName, parent, id, nullptr, resourceType, module) {
  cursor_ = LoadCursorA(nullptr, MAKEINTRESOURCEA(kHandCursor));
  SetFrameGrid(4, 1);
  SetFrame(kNormalFrame, 0);
  SetNotify(1, 1);
}

Button::~Button() = default;

void Button::Show(int show) {
  if (show == visible_) return;
  pressed_ = 0;
  hover_ = 0;
  SetFrame(kNormalFrame, 0);
  Control::Show(show);
}

void Button::Enable(int enable) {
  if (enable == enabled_) return;
  pressed_ = 0;
  hover_ = 0;
  // Enabled again, it shows the normal frame until the next mouse move reaches it.
  SetFrame(enable == 1 ? kNormalFrame : kDisabledFrame, 0);
  Control::Enable(enable);
}

LRESULT Button::OnMouseEnter(WPARAM wParam, LPARAM lParam) {
  hover_ = 1;
  SetFrame(pressed_ ? kPressedFrame : kHoverFrame, 0);
  return Control::OnMouseEnter(wParam, lParam);
}

LRESULT Button::OnMouseLeave(WPARAM wParam, LPARAM lParam) {
  // A press survives leaving: coming back while held shows the pressed frame again.
  hover_ = 0;
  SetFrame(kNormalFrame, 0);
  return Control::OnMouseLeave(wParam, lParam);
}

void Button::Press() {
  pressed_ = 1;
  SetFrame(kPressedFrame, 0);
}

LRESULT Button::Release(LRESULT upResult, int32_t clickCode, WPARAM wParam, LPARAM lParam) {
  if (hover_ != 1) return upResult;
  SetFrame(kHoverFrame, 0);
  return Raise(clickCode, wParam, lParam);
}

LRESULT Button::OnLButtonDown(WPARAM wParam, LPARAM lParam) {
  Press();
  return Control::OnLButtonDown(wParam, lParam);
}

LRESULT Button::OnLButtonDblClk(WPARAM wParam, LPARAM lParam) {
  Press();
  return Control::OnLButtonDblClk(wParam, lParam);
}

LRESULT Button::OnRButtonDown(WPARAM wParam, LPARAM lParam) {
  Press();
  return Control::OnRButtonDown(wParam, lParam);
}

LRESULT Button::OnRButtonDblClk(WPARAM wParam, LPARAM lParam) {
  Press();
  return Control::OnRButtonDblClk(wParam, lParam);
}

LRESULT Button::OnLButtonUp(WPARAM wParam, LPARAM lParam) {
  pressed_ = 0;
  const LRESULT up = Control::OnLButtonUp(wParam, lParam);
  return Release(up, CN_CLICK, wParam, lParam);
}

LRESULT Button::OnRButtonUp(WPARAM wParam, LPARAM lParam) {
  pressed_ = 0;
  const LRESULT up = Control::OnRButtonUp(wParam, lParam);
  return Release(up, CN_RCLICK, wParam, lParam);
}

}  // namespace dl
