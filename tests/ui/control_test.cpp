// Controls without windows of their own: hit testing, and trees painted on a 32-bit surface and
// read back pixel by pixel.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/win_test_util.h"
#include "tests/ui/ui_test_support.h"
#include "ui/controls/button.h"
#include "ui/controls/control_events.h"

namespace dltest {
namespace {

dl::Control* Child(dl::Control* parent, const RECT& r, const std::wstring& skin = L"") {
  return new dl::Control(r, skin.empty() ? nullptr : skin.c_str(), parent, 0, nullptr, nullptr,
                         nullptr);
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
}

// Records the events raised below it and answers each with 7.
struct RecordingRoot : dl::Control {
  RecordingRoot()
      : dl::Control(RECT{0, 0, 200, 100}, nullptr, nullptr, 0, nullptr, nullptr, nullptr) {}
  LRESULT Notify(dl::ControlEvent* event, dl::Control*) override {
    codes.push_back(event->code);
    return 7;
  }
  std::vector<int32_t> Take() { return std::exchange(codes, {}); }
  std::vector<int32_t> codes;
};

TEST(Button, FramesFollowTheMouseAndOnlyAReleaseOverItClicks) {
  RecordingRoot root;
  auto* button = new dl::Button(10, 20, MAKEINTRESOURCEW(1107), &root, 42, L"IMAGE",
                                GetModuleHandleW(nullptr));
  const LPARAM at = Point(20, 30), away = Point(150, 90);
  auto frame = [&] {
    int col = -1, row = -1;
    button->GetFrame(&col, &row);
    return col;
  };
  button->OnMouseEnter(0, at);
  button->OnLButtonDown(MK_LBUTTON, at);
  EXPECT_EQ(frame(), 2);
  button->OnMouseLeave(MK_LBUTTON, away);
  EXPECT_EQ(frame(), 0) << "held but away";
  button->OnLButtonUp(0, away);
  button->OnMouseEnter(0, at);
  EXPECT_EQ(frame(), 1);
  button->OnLButtonDown(MK_LBUTTON, at);
  EXPECT_EQ(button->OnLButtonUp(0, at), 7) << "the parent's answer to the click";
  EXPECT_EQ(root.Take(),
            (std::vector<int32_t>{dl::CN_MOUSEENTER, dl::CN_LBUTTONDOWN, dl::CN_MOUSELEAVE,
                                  dl::CN_LBUTTONUP, dl::CN_MOUSEENTER, dl::CN_LBUTTONDOWN,
                                  dl::CN_LBUTTONUP, dl::CN_CLICK}));
  button->Enable(0);
  EXPECT_EQ(frame(), 3);
  EXPECT_EQ(root.HitTest(20, 30), &root) << "a disabled button takes no mouse input";
}

constexpr Argb kCell[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00};
constexpr Argb kMarker = 0xFFFFFFFF;

// Four 34-px cells, each with a white marker on its left four columns; a square of each colour.
std::wstring Skin(const std::wstring& name) {
  static const std::wstring folder = [] {
    const std::wstring f = FreshTempFolder(L"dl_control_paint") + L"\\";
    WritePng(f + L"strip.png", 136, 34,
             [](int x, int) { return x % 34 < 4 ? kMarker : kCell[x / 34]; });
    for (int i = 0; i < 4; ++i)
      WritePng(f + std::to_wstring(i) + L".png", 10, 10, [i](int, int) { return kCell[i]; });
    return f;
  }();
  return folder + name;
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
  const RECT wide = {0, 0, 80, 40};
  strip.Move(&wide, 1);
  Canvas canvas(80, 40);
  ASSERT_TRUE(canvas.Paint(&strip));
  EXPECT_TRUE(Near(canvas.At(6, 20), kMarker)) << "stretched: about nine columns of marker";
  EXPECT_TRUE(Near(canvas.At(60, 30), kCell[3]));
}

TEST(ControlPaint, ChildrenAreClippedToTheirParentAndTheClipAndLaterOnesDrawOnTop) {
  dl::Control root(RECT{0, 0, 100, 100}, nullptr, nullptr, 0, nullptr, nullptr, nullptr);
  dl::Control* parent = Child(&root, {10, 10, 50, 50}, Skin(L"2.png"));
  Child(parent, {20, 20, 60, 60}, Skin(L"0.png"));  // relative: reaches 20 px past the parent
  Child(parent, {25, 25, 35, 35}, Skin(L"1.png"));
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
  EXPECT_EQ(hidden.At(20, 20) | hidden.At(40, 40), 0u) << "a hidden parent hides its children";
}

}  // namespace
}  // namespace dltest
