// The button's four states through the mouse sequences the window delivers, and the events
// its parent receives. The window is left out: the handlers are called in the window's order.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "tests/ui/controls_test_support.h"
#include "ui/controls/button.h"
#include "ui/controls/control_events.h"

namespace {

using dltest::Point;
using dltest::RecordingRoot;

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

  RecordingRoot root_;
  dl::Button* button_;  // owned by root_
};

TEST_F(ButtonTest, StartsAsAOneFrameHandCursorControlThatNotifies) {
  const RECT r = button_->GetRect();
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right - r.left, 34);
  EXPECT_EQ(r.bottom - r.top, 34);
  EXPECT_EQ(button_->IsStretched(), 0);
  EXPECT_EQ(Frame(), 0);
  EXPECT_EQ(button_->ForwardsToParent(), 1);
  EXPECT_EQ(button_->GetId(), 42);
  HCURSOR cursor = nullptr;
  button_->GetCursorHandle(&cursor);
  EXPECT_EQ(cursor, LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));
  EXPECT_EQ(button_->ApplyCursor(), 1);
  EXPECT_EQ(root_.HitTest(20, 30), button_);
}

TEST_F(ButtonTest, PressAndReleaseOverItClicksAfterTheButtonUp) {
  const LPARAM at = Point(20, 30);
  button_->OnMouseEnter(0, at);
  EXPECT_EQ(Frame(), 1);
  EXPECT_EQ(button_->hover(), 1);
  button_->OnLButtonDown(MK_LBUTTON, at);
  EXPECT_EQ(Frame(), 2);
  EXPECT_EQ(button_->pressed(), 1);
  // Leaving while held shows the normal frame; coming back, the pressed one.
  button_->OnMouseLeave(MK_LBUTTON, Point(100, 90));
  EXPECT_EQ(Frame(), 0);
  EXPECT_EQ(button_->pressed(), 1);
  button_->OnMouseEnter(MK_LBUTTON, at);
  EXPECT_EQ(Frame(), 2);
  EXPECT_EQ(button_->OnLButtonUp(0, Point(21, 31)), 7) << "the parent's answer to the click";
  EXPECT_EQ(Frame(), 1);
  EXPECT_EQ(button_->pressed(), 0);

  const std::vector<int32_t> expected = {dl::CN_MOUSEENTER, dl::CN_LBUTTONDOWN, dl::CN_MOUSELEAVE,
                                         dl::CN_MOUSEENTER, dl::CN_LBUTTONUP,   dl::CN_CLICK};
  EXPECT_EQ(root_.Codes(), expected);
  const dltest::RecordedEvent& click = root_.events.back();
  EXPECT_EQ(click.source, button_);
  EXPECT_EQ(click.lParam, static_cast<uint32_t>(Point(21, 31)));
  EXPECT_EQ(click.wParam, 0u);

  // The second press of a double click is a press, and its release a second click.
  root_.events.clear();
  button_->OnLButtonDblClk(MK_LBUTTON, at);
  EXPECT_EQ(Frame(), 2);
  button_->OnLButtonUp(0, at);
  const std::vector<int32_t> again = {dl::CN_LBUTTONDBLCLK, dl::CN_LBUTTONUP, dl::CN_CLICK};
  EXPECT_EQ(root_.Codes(), again);

  root_.events.clear();
  button_->OnRButtonDown(MK_RBUTTON, at);
  EXPECT_EQ(Frame(), 2);
  button_->OnRButtonUp(0, at);
  const std::vector<int32_t> right = {dl::CN_RBUTTONDOWN, dl::CN_RBUTTONUP, dl::CN_RCLICK};
  EXPECT_EQ(root_.Codes(), right);
}

TEST_F(ButtonTest, ReleaseAwayFromItIsNoClick) {
  button_->OnMouseEnter(0, Point(20, 30));
  button_->OnLButtonDown(MK_LBUTTON, Point(20, 30));
  button_->OnMouseLeave(MK_LBUTTON, Point(150, 90));
  button_->OnLButtonUp(0, Point(150, 90));
  EXPECT_EQ(Frame(), 0);
  EXPECT_EQ(button_->pressed(), 0);
  EXPECT_EQ(button_->hover(), 0);
  EXPECT_EQ(root_.Codes().back(), dl::CN_LBUTTONUP);

  // Middle button and wheel change nothing visible.
  button_->OnMouseEnter(0, Point(20, 30));
  button_->OnMButtonDown(MK_MBUTTON, Point(20, 30));
  button_->OnMouseWheel(MAKEWPARAM(0, 120), Point(20, 30));
  EXPECT_EQ(Frame(), 1);
  EXPECT_EQ(button_->pressed(), 0);
}

TEST_F(ButtonTest, DisablingClearsThePressAndShowsTheDisabledFrame) {
  button_->OnMouseEnter(0, Point(20, 30));
  button_->OnLButtonDown(MK_LBUTTON, Point(20, 30));
  root_.events.clear();
  button_->Enable(0);
  EXPECT_EQ(Frame(), 3);
  EXPECT_EQ(button_->pressed(), 0);
  EXPECT_EQ(button_->hover(), 0);
  EXPECT_EQ(button_->IsEnabled(), 0);
  EXPECT_EQ(root_.HitTest(20, 30), &root_) << "a disabled button takes no mouse input";
  // A release that still reaches it is no click.
  button_->OnLButtonUp(0, Point(20, 30));
  EXPECT_EQ(Frame(), 3);

  button_->Enable(1);
  EXPECT_EQ(Frame(), 0) << "normal until the next move reaches it";
  const std::vector<int32_t> expected = {dl::CN_ENABLECHANGED, dl::CN_LBUTTONUP,
                                         dl::CN_ENABLECHANGED};
  EXPECT_EQ(root_.Codes(), expected);
  EXPECT_EQ(root_.events[0].lParam, 0u);
  EXPECT_EQ(root_.events[2].lParam, 1u);

  root_.events.clear();
  button_->OnMouseEnter(0, Point(20, 30));
  button_->Enable(1);
  EXPECT_EQ(Frame(), 1) << "enabling an enabled button changes nothing";
  EXPECT_EQ(button_->hover(), 1);
  EXPECT_EQ(root_.Codes(), std::vector<int32_t>{dl::CN_MOUSEENTER});
}

TEST_F(ButtonTest, HidingAndShowingReturnsToTheNormalFrame) {
  button_->OnMouseEnter(0, Point(20, 30));
  button_->OnLButtonDown(MK_LBUTTON, Point(20, 30));
  button_->Show(0);
  EXPECT_EQ(Frame(), 0);
  EXPECT_EQ(button_->pressed(), 0);
  EXPECT_EQ(button_->hover(), 0);
  button_->Show(1);
  EXPECT_EQ(Frame(), 0);
  EXPECT_EQ(button_->IsVisible(), 1);
  root_.events.clear();
  button_->Show(1);
  EXPECT_TRUE(root_.events.empty());
}

}  // namespace
