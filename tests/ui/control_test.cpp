// Controls without native windows of their own: hit testing, repaint requests and ownership;
// the button's frames and events through the mouse sequences a window delivers (its handlers
// called directly, in the window's order); trees and labels painted on a 32-bit surface and
// read back pixel by pixel.
#include <windows.h>

#include <gdiplus.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/win_test_util.h"
#include "tests/ui/ui_test_support.h"
#include "ui/controls/button.h"
#include "ui/controls/control_events.h"
#include "ui/controls/label.h"
#include "ui/controls/text_objects.h"

namespace {

using dltest::Argb;
using dltest::Canvas;
using dltest::Near;
using dltest::Point;
using dltest::RectIs;

dl::Control* Child(dl::Control* parent, const RECT& r) {
  return new dl::Control(r, nullptr, parent, 0, nullptr, nullptr, nullptr);
}

TEST(ControlTree, HitTestFindsTheTopmostEnabledVisibleControlInsideItsParent) {
  dl::Control root(RECT{0, 0, 200, 100}, nullptr, nullptr, 0, nullptr, nullptr, nullptr);
  dl::Control* panel = Child(&root, {10, 10, 110, 60});
  dl::Control* under = Child(panel, {0, 0, 50, 50});
  dl::Control* over = Child(panel, {20, 0, 70, 50});
  dl::Control* sticking = Child(panel, {80, 30, 150, 80});  // past the panel's corner
  EXPECT_EQ(root.HitTest(10, 10), under) << "left and top edges are inclusive";
  EXPECT_EQ(root.HitTest(40, 20), over) << "the later child is on top";
  EXPECT_EQ(root.HitTest(100, 55), sticking);
  EXPECT_EQ(root.HitTest(100, 65), &root) << "outside the parent a child is not hit";
  EXPECT_EQ(root.HitTest(110, 20), &root) << "right edge is exclusive";
  EXPECT_EQ(root.HitTest(250, 20), nullptr);
  over->Enable(0);
  EXPECT_EQ(root.HitTest(40, 20), under);
  panel->Show(0);
  EXPECT_EQ(root.HitTest(15, 15), &root) << "a hidden control hides its subtree";
  panel->Show(1);
  panel->Enable(0);
  EXPECT_EQ(root.HitTest(15, 15), &root) << "a disabled control hides its subtree";
}

RECT TakeDirty(HWND hwnd) {
  RECT dirty = {};
  GetUpdateRect(hwnd, &dirty, FALSE);
  ValidateRect(hwnd, nullptr);
  return dirty;
}

TEST(ControlTree, ChangesRepaintWhatChangedInsideTheParentAndDeletionTakesTheSubtree) {
  HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"STATIC", L"", WS_POPUP, 0, 0,
                              300, 200, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);  // only a shown window collects an update region
  dl::Control root(RECT{0, 0, 300, 200}, nullptr, nullptr, 0, hwnd, nullptr, nullptr);
  dl::Control* panel = Child(&root, {10, 10, 110, 60});
  dl::Control* item = Child(panel, {90, 40, 130, 80});
  dl::Control* other = Child(&root, {0, 0, 5, 5});
  TakeDirty(hwnd);
  item->SetFrame(1, 0);
  EXPECT_TRUE(RectIs(TakeDirty(hwnd), 100, 50, 110, 60)) << "clipped by the parent";
  item->SetFrame(1, 0);
  EXPECT_TRUE(RectIs(TakeDirty(hwnd), 0, 0, 0, 0)) << "unchanged frame, no repaint";
  const RECT moved = {20, 20, 40, 30};
  panel->Move(&moved, 1);
  EXPECT_TRUE(RectIs(TakeDirty(hwnd), 10, 10, 110, 60)) << "old and new areas";
  EXPECT_TRUE(RectIs(item->GetRect(), 110, 60, 150, 100)) << "children move along";
  delete panel;
  EXPECT_EQ(root.children(), (std::vector<dl::Control*>{other}));
  DestroyWindow(hwnd);
}

// Records the events raised below it and answers each with 7.
struct RecordingRoot : dl::Control {
  RecordingRoot()
      : dl::Control(RECT{0, 0, 200, 100}, nullptr, nullptr, 0, nullptr, nullptr, nullptr) {}
  LRESULT Notify(dl::ControlEvent* event, dl::Control* source) override {
    codes.push_back(event->code);
    lastSource = source;
    return 7;
  }
  std::vector<int32_t> Take() { return std::exchange(codes, {}); }
  std::vector<int32_t> codes;
  dl::Control* lastSource = nullptr;
};
using Codes = std::vector<int32_t>;

class ButtonTest : public ::testing::Test {
 protected:
  int Frame() {
    int col = -1, row = -1;
    button_->GetFrame(&col, &row);
    return col;
  }
  void HoverAndPress() {
    button_->OnMouseEnter(0, at_);
    button_->OnLButtonDown(MK_LBUTTON, at_);
    root_.codes.clear();
  }

  const LPARAM at_ = Point(20, 30), away_ = Point(150, 90);
  RecordingRoot root_;
  dl::Button* button_ = new dl::Button(10, 20, MAKEINTRESOURCEW(1107), &root_, 42, L"IMAGE",
                                       GetModuleHandleW(nullptr));
};

TEST_F(ButtonTest, PressAndReleaseOverItClicksAfterTheButtonUp) {
  button_->OnMouseEnter(0, at_);
  EXPECT_EQ(Frame(), 1);
  button_->OnLButtonDown(MK_LBUTTON, at_);
  EXPECT_EQ(Frame(), 2);
  button_->OnMouseLeave(MK_LBUTTON, away_);
  EXPECT_EQ(Frame(), 0) << "held but away";
  button_->OnMouseEnter(MK_LBUTTON, at_);
  EXPECT_EQ(Frame(), 2);
  EXPECT_EQ(button_->OnLButtonUp(0, at_), 7) << "the parent's answer to the click";
  EXPECT_EQ(Frame(), 1);
  EXPECT_EQ(root_.lastSource, button_);
  EXPECT_EQ(root_.Take(), (Codes{dl::CN_MOUSEENTER, dl::CN_LBUTTONDOWN, dl::CN_MOUSELEAVE,
                                 dl::CN_MOUSEENTER, dl::CN_LBUTTONUP, dl::CN_CLICK}));
  // The second press of a double click is a press, and its release a second click.
  button_->OnLButtonDblClk(MK_LBUTTON, at_);
  button_->OnLButtonUp(0, at_);
  EXPECT_EQ(root_.Take(), (Codes{dl::CN_LBUTTONDBLCLK, dl::CN_LBUTTONUP, dl::CN_CLICK}));
}

TEST_F(ButtonTest, NoClickForAReleaseAwayOrADisabledOrHiddenButton) {
  HoverAndPress();
  button_->OnMouseLeave(MK_LBUTTON, away_);
  button_->OnLButtonUp(0, away_);
  EXPECT_EQ(root_.Take(), (Codes{dl::CN_MOUSELEAVE, dl::CN_LBUTTONUP}));

  HoverAndPress();
  button_->Enable(0);
  EXPECT_EQ(Frame(), 3);
  EXPECT_EQ(root_.HitTest(20, 30), &root_) << "a disabled button takes no mouse input";
  button_->OnLButtonUp(0, at_);
  button_->Enable(1);
  EXPECT_EQ(Frame(), 0) << "normal until the next move reaches it";
  EXPECT_EQ(root_.Take(), (Codes{dl::CN_ENABLECHANGED, dl::CN_LBUTTONUP, dl::CN_ENABLECHANGED}));

  HoverAndPress();
  button_->Show(0);
  button_->Show(1);
  EXPECT_EQ(Frame(), 0);
  button_->OnMouseEnter(0, at_);
  EXPECT_EQ(Frame(), 1) << "the press went with the hiding";
}

constexpr Argb kCell[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00};
constexpr Argb kMarker = 0xFFFFFFFF;

// Skins of known colours: four 34-px cells, each with a white marker on its left four columns,
// and a plain square of each cell's colour.
std::wstring Skin(const std::wstring& name) {
  static const std::wstring folder = [] {
    const std::wstring f = dltest::FreshTempFolder(L"dl_control_paint") + L"\\";
    dltest::WritePng(f + L"strip.png", 136, 34,
                     [](int x, int) { return x % 34 < 4 ? kMarker : kCell[x / 34]; });
    for (int i = 0; i < 4; ++i)
      dltest::WritePng(f + std::to_wstring(i) + L".png", 10, 10,
                       [i](int, int) { return kCell[i]; });
    return f;
  }();
  return folder + name;
}

dl::Control* Solid(const RECT& r, int cell, dl::Control* parent) {
  return new dl::Control(r, Skin(std::to_wstring(cell) + L".png").c_str(), parent, 0, nullptr,
                         nullptr, nullptr);
}

TEST(ControlPaint, AStripDrawsTheCellOfTheFrameAtOneToOneOrStretched) {
  dl::Control strip(0, 0, Skin(L"strip.png").c_str(), nullptr, 1, nullptr, nullptr, nullptr);
  strip.SetFrameGrid(4, 1);
  for (int frame = 0; frame < 4; ++frame) {
    SCOPED_TRACE(frame);
    Canvas canvas(80, 40);
    strip.SetFrame(frame, 0);
    ASSERT_TRUE(canvas.Paint(&strip));
    EXPECT_TRUE(Near(canvas.At(1, 17), kMarker));
    EXPECT_TRUE(Near(canvas.At(33, 33), kCell[frame]));
    EXPECT_EQ(canvas.At(34, 17), 0u) << "a natural-size control takes one cell";
  }
  // Stretched to 80 px, one cell's marker covers about nine columns.
  const RECT wide = {0, 0, 80, 40};
  strip.Move(&wide, 1);
  Canvas canvas(80, 40);
  ASSERT_TRUE(canvas.Paint(&strip));
  EXPECT_TRUE(Near(canvas.At(6, 20), kMarker));
  EXPECT_TRUE(Near(canvas.At(12, 20), kCell[3]));
  EXPECT_TRUE(Near(canvas.At(60, 30), kCell[3]));
}

TEST(ControlPaint, ChildrenAreClippedToTheirParentAndTheClipAndLaterOnesDrawOnTop) {
  dl::Control root(RECT{0, 0, 100, 100}, nullptr, nullptr, 0, nullptr, nullptr, nullptr);
  dl::Control* parent = Solid({10, 10, 50, 50}, 2, &root);
  Solid({20, 20, 60, 60}, 0, parent);  // relative: reaches 20 px past the parent
  Solid({25, 25, 35, 35}, 1, parent);
  Canvas whole(100, 100), left(100, 100), hidden(100, 100);
  ASSERT_TRUE(whole.Paint(&root));
  EXPECT_TRUE(Near(whole.At(20, 20), kCell[2]));
  EXPECT_TRUE(Near(whole.At(32, 32), kCell[0]));
  EXPECT_TRUE(Near(whole.At(40, 40), kCell[1]));
  EXPECT_TRUE(Near(whole.At(48, 48), kCell[0]));
  EXPECT_EQ(whole.At(55, 55), 0u) << "child drawn outside its parent";
  const RECT leftPart = {0, 0, 38, 100};
  ASSERT_TRUE(left.Paint(&root, &leftPart));
  EXPECT_TRUE(Near(left.At(32, 32), kCell[0]));
  EXPECT_EQ(left.At(40, 40), 0u) << "only what meets the paint's clip is drawn";
  parent->Show(0);
  ASSERT_TRUE(hidden.Paint(&root));
  EXPECT_EQ(hidden.Count({0, 0, 100, 100}, [](Argb p) { return p != 0; }), 0);
}

bool Reddish(Argb p) { return ((p >> 16) & 0xFF) > 128 && ((p >> 8) & 0xFF) < 64; }
bool Whitish(Argb p) { return ((p >> 16) & 0xFF) > 160 && ((p >> 8) & 0xFF) > 160; }

TEST(Label, DrawsWithItsOwnCopiesOfTheTextObjectsOrNearlyOpaqueWhiteByDefault) {
  Canvas canvas(240, 40);
  const RECT own = {0, 0, 120, 40}, plain = {120, 0, 240, 40};
  dl::Control root(RECT{0, 0, 240, 40}, nullptr, nullptr, 0, nullptr, nullptr, nullptr);
  // A family the bench prefix has (it carries no Windows fonts).
  auto* font =
      new dl::TextFont(L"DejaVu Sans", 20.0f, Gdiplus::FontStyleBold, Gdiplus::UnitPixel, nullptr);
  auto* format = new dl::TextFormat(0, 0);
  auto* brush = new dl::TextBrush(0xFFFF0000);
  ASSERT_NE(font->handle(), nullptr);
  auto* red = new dl::Label(own, nullptr, &root, font, format, brush, 5, nullptr, nullptr);
  delete font;  // the label must not draw with these
  delete format;
  delete brush;
  auto* white =
      new dl::Label(plain, nullptr, &root, nullptr, nullptr, nullptr, 5, nullptr, nullptr);
  ASSERT_TRUE(canvas.Paint(&root));
  EXPECT_EQ(canvas.Count({0, 0, 240, 40}, [](Argb p) { return p != 0; }), 0) << "no text yet";
  red->SetText(L"MMMM");
  white->SetText(L"\u5B89\u88C5 MMMM");
  ASSERT_TRUE(canvas.Paint(&root));
  EXPECT_GT(canvas.Count(own, Reddish), 40);
  EXPECT_EQ(canvas.Count(own, Whitish), 0);
  EXPECT_EQ(canvas.Count({100, 0, 120, 40}, Reddish), 0) << "the text starts at the left";
  EXPECT_GT(canvas.Count(plain, Whitish), 20);
  EXPECT_EQ(canvas.Count(plain, Reddish), 0);
  // The default brush's alpha is 254: no pixel comes out fully opaque.
  EXPECT_EQ(canvas.Count(plain, [](Argb p) { return (p >> 24) == 255; }), 0);
  EXPECT_GT(canvas.Count(plain, [](Argb p) { return (p >> 24) >= 250; }), 0);
}

}  // namespace
