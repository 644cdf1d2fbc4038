// The button's four states through the mouse sequences the window delivers, and the events its
// parent receives. The window is left out: the handlers are called in the window's order.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "tests/ui/ui_test_support.h"
#include "ui/controls/button.h"

namespace {

using dltest::Point;
using Codes = std::vector<int32_t>;

class ButtonTest : public ::testing::Test {
 protected:
  ButtonTest()
      : root_(RECT{0, 0, 200, 100}),
        button_(new dl::Button(10, 20, MAKEINTRESOURCEW(1107), &root_, 42, L"IMAGE",
                               GetModuleHandleW(nullptr))) {}

  int Frame() {
    int col = -1, row = -1;
    button_->GetFrame(&col, &row);
    EXPECT_EQ(row, 0);
    return col;
  }
  void HoverAndPress() {
    button_->OnMouseEnter(0, at_);
    button_->OnLButtonDown(MK_LBUTTON, at_);
    root_.events.clear();
  }

  const LPARAM at_ = Point(20, 30);
  dltest::RecordingRoot root_;
  dl::Button* button_;  // owned by root_
};

TEST_F(ButtonTest, PressAndReleaseOverItClicksAfterTheButtonUp) {
  EXPECT_EQ(button_->GetRect().right - button_->GetRect().left, 34) << "one frame of four";
  HCURSOR cursor = nullptr;
  button_->GetCursorHandle(&cursor);
  EXPECT_EQ(cursor, LoadCursorA(nullptr, MAKEINTRESOURCEA(32649))) << "the hand";

  button_->OnMouseEnter(0, at_);
  EXPECT_EQ(Frame(), 1);
  button_->OnLButtonDown(MK_LBUTTON, at_);
  EXPECT_EQ(Frame(), 2);
  // Leaving while held shows the normal frame; coming back, the pressed one.
  button_->OnMouseLeave(MK_LBUTTON, Point(100, 90));
  EXPECT_EQ(Frame(), 0);
  button_->OnMouseEnter(MK_LBUTTON, at_);
  EXPECT_EQ(Frame(), 2);
  EXPECT_EQ(button_->OnLButtonUp(0, Point(21, 31)), 7) << "the parent's answer to the click";
  EXPECT_EQ(Frame(), 1);
  EXPECT_EQ(root_.Codes(), (Codes{dl::CN_MOUSEENTER, dl::CN_LBUTTONDOWN, dl::CN_MOUSELEAVE,
                                  dl::CN_MOUSEENTER, dl::CN_LBUTTONUP, dl::CN_CLICK}));
  EXPECT_EQ(root_.events.back().source, button_);
  EXPECT_EQ(root_.events.back().lParam, static_cast<uint32_t>(Point(21, 31)));

  // The second press of a double click is a press, and its release a second click.
  root_.events.clear();
  button_->OnLButtonDblClk(MK_LBUTTON, at_);
  EXPECT_EQ(Frame(), 2);
  button_->OnLButtonUp(0, at_);
  EXPECT_EQ(root_.Codes(), (Codes{dl::CN_LBUTTONDBLCLK, dl::CN_LBUTTONUP, dl::CN_CLICK}));
}

TEST_F(ButtonTest, ReleaseAwayFromItIsNoClickAndOtherButtonsChangeNothing) {
  HoverAndPress();
  button_->OnMouseLeave(MK_LBUTTON, Point(150, 90));
  button_->OnLButtonUp(0, Point(150, 90));
  EXPECT_EQ(Frame(), 0);
  EXPECT_EQ(button_->pressed(), 0);
  EXPECT_EQ(root_.Codes(), (Codes{dl::CN_MOUSELEAVE, dl::CN_LBUTTONUP}));

  button_->OnMouseEnter(0, at_);
  button_->OnMButtonDown(MK_MBUTTON, at_);
  button_->OnMouseWheel(MAKEWPARAM(0, 120), at_);
  EXPECT_EQ(Frame(), 1);
  EXPECT_EQ(button_->pressed(), 0);
}

TEST_F(ButtonTest, DisablingClearsThePressAndShowsTheDisabledFrame) {
  HoverAndPress();
  button_->Enable(0);
  EXPECT_EQ(Frame(), 3);
  EXPECT_EQ(button_->pressed(), 0);
  EXPECT_EQ(root_.HitTest(20, 30), &root_) << "a disabled button takes no mouse input";
  button_->OnLButtonUp(0, at_);
  EXPECT_EQ(Frame(), 3) << "a release that still reaches it is no click";

  button_->Enable(1);
  EXPECT_EQ(Frame(), 0) << "normal until the next move reaches it";
  EXPECT_EQ(root_.Codes(), (Codes{dl::CN_ENABLECHANGED, dl::CN_LBUTTONUP, dl::CN_ENABLECHANGED}));
  EXPECT_EQ(root_.events[2].lParam, 1u);

  root_.events.clear();
  button_->OnMouseEnter(0, at_);
  button_->Enable(1);
  EXPECT_EQ(Frame(), 1) << "enabling an enabled button changes nothing";
  EXPECT_EQ(root_.Codes(), (Codes{dl::CN_MOUSEENTER}));
}

TEST_F(ButtonTest, HidingReturnsToTheNormalFrame) {
  HoverAndPress();
  button_->Show(0);
  button_->Show(1);
  EXPECT_EQ(Frame(), 0);
  EXPECT_EQ(button_->pressed(), 0);
  EXPECT_EQ(button_->hover(), 0);
}

}  // namespace
