// Control trees painted on a 32-bit surface under wine, read back pixel by pixel. The skins are
// written as PNG files at test time, so every expected colour is known.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/win_test_util.h"
#include "tests/ui/controls_test_support.h"
#include "ui/controls/button.h"
#include "ui/controls/control.h"
#include "ui/controls/skin_image.h"

namespace {

using dltest::Argb;
using dltest::Canvas;
using dltest::Near;

constexpr Argb kCell[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00};
constexpr Argb kMarker = 0xFFFFFFFF;

Argb StripCell(int i) {
  return 0xFF000000u | static_cast<uint32_t>(i * 13) << 16 |
         static_cast<uint32_t>(255 - i * 13) << 8 | 0x64u;
}

// Paths of the skins, written once for the program.
class ControlPaint : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = dltest::ImageFolder(L"dl_control_paint");
    // Four 34-px cells, each with a white marker on its left four columns.
    ASSERT_TRUE(dltest::WritePng(Path(L"strip4.png"), 136, 34,
                                 [](int x, int) { return x % 34 < 4 ? kMarker : kCell[x / 34]; }));
    ASSERT_TRUE(dltest::WritePng(Path(L"strip18.png"), 180, 10,
                                 [](int x, int) { return StripCell(x / 10); }));
    ASSERT_TRUE(dltest::WritePng(Path(L"black.png"), 10, 10, [](int, int) { return 0xFF000000; }));
    ASSERT_TRUE(dltest::WritePng(Path(L"red.png"), 10, 10, [](int, int) { return 0xFFFF0000; }));
    ASSERT_TRUE(dltest::WritePng(Path(L"green.png"), 10, 10, [](int, int) { return 0xFF00FF00; }));
    ASSERT_TRUE(dltest::WritePng(Path(L"blue.png"), 10, 10, [](int, int) { return 0xFF0000FF; }));
    ASSERT_TRUE(dltest::WriteWholeFile(Path(L"broken.png"), "\x89PNG not really"));
  }
  static std::wstring Path(const wchar_t* name) { return folder_ + name; }
  static std::wstring folder_;
};
std::wstring ControlPaint::folder_;

// Whether a surface pixel is the opaque colour, within a small tolerance per channel.
::testing::AssertionResult IsColour(Argb actual, Argb expected, int tolerance = 3) {
  if (Near(dltest::AlphaOf(actual), dltest::AlphaOf(expected), tolerance) &&
      Near(dltest::RedOf(actual), dltest::RedOf(expected), tolerance) &&
      Near(dltest::GreenOf(actual), dltest::GreenOf(expected), tolerance) &&
      Near(dltest::BlueOf(actual), dltest::BlueOf(expected), tolerance))
    return ::testing::AssertionSuccess();
  char text[64];
  wsprintfA(text, "0x%08X, expected 0x%08X", actual, expected);
  return ::testing::AssertionFailure() << text;
}

TEST_F(ControlPaint, FourFrameStripDrawsTheCellOfEachFrame) {
  Canvas canvas(80, 40);
  ASSERT_TRUE(canvas.ok());
  dl::Control strip(0, 0, Path(L"strip4.png").c_str(), nullptr, 1, nullptr, nullptr, nullptr);
  ASSERT_NE(strip.image(), nullptr);
  EXPECT_EQ(strip.image()->Width(), 136u);
  strip.SetFrameGrid(4, 1);
  RECT r = strip.GetRect();
  EXPECT_EQ(r.right - r.left, 34);
  EXPECT_EQ(r.bottom - r.top, 34);
  EXPECT_EQ(strip.IsStretched(), 0);

  for (int frame = 0; frame < 4; ++frame) {
    SCOPED_TRACE(frame);
    canvas.Clear(0);
    strip.SetFrame(frame, 0);
    ASSERT_TRUE(canvas.Paint(&strip));
    EXPECT_TRUE(IsColour(canvas.At(1, 17), kMarker));
    EXPECT_TRUE(IsColour(canvas.At(5, 5), kCell[frame]));
    EXPECT_TRUE(IsColour(canvas.At(33, 33), kCell[frame]));
    EXPECT_EQ(canvas.At(34, 17), 0u) << "drawn outside the control";
  }

  // Wider than its frame at 1:1, it shows the neighbouring frame's pixels.
  strip.SetFrame(0, 0);
  const RECT wide = {0, 0, 50, 34};
  strip.Move(&wide, 0);
  canvas.Clear(0);
  ASSERT_TRUE(canvas.Paint(&strip));
  EXPECT_TRUE(IsColour(canvas.At(20, 17), kCell[0]));
  EXPECT_TRUE(IsColour(canvas.At(35, 17), kMarker));
  EXPECT_TRUE(IsColour(canvas.At(45, 17), kCell[1]));
  EXPECT_EQ(canvas.At(55, 17), 0u);
}

TEST_F(ControlPaint, MirroredFrameShowsItsOwnCellReversed) {
  Canvas canvas(40, 40);
  dl::Control strip(0, 0, Path(L"strip4.png").c_str(), nullptr, 1, nullptr, nullptr, nullptr);
  strip.SetFrameGrid(4, 1);
  strip.SetMirror(1, 0);
  ASSERT_TRUE(canvas.Paint(&strip));
  // The marker moves to the right edge and the cell stays frame 0's.
  EXPECT_TRUE(IsColour(canvas.At(1, 17), kCell[0]));
  EXPECT_TRUE(IsColour(canvas.At(20, 17), kCell[0]));
  EXPECT_TRUE(IsColour(canvas.At(32, 17), kMarker));

  strip.SetFrame(2, 0);
  canvas.Clear(0);
  ASSERT_TRUE(canvas.Paint(&strip));
  EXPECT_TRUE(IsColour(canvas.At(20, 17), kCell[2]));
  EXPECT_TRUE(IsColour(canvas.At(32, 17), kMarker));
}

TEST_F(ControlPaint, AlphaScalesTheImagesOpacity) {
  Canvas canvas(60, 20);
  const RECT whole = {0, 0, 60, 20};
  dl::Control back(whole, Path(L"black.png").c_str(), nullptr, 0, nullptr, nullptr, nullptr);
  const RECT left = {0, 0, 20, 20}, middle = {20, 0, 40, 20}, right = {40, 0, 60, 20};
  auto* half = new dl::Control(left, Path(L"red.png").c_str(), &back, 1, nullptr, nullptr, nullptr);
  auto* full =
      new dl::Control(middle, Path(L"red.png").c_str(), &back, 2, nullptr, nullptr, nullptr);
  auto* none =
      new dl::Control(right, Path(L"red.png").c_str(), &back, 3, nullptr, nullptr, nullptr);
  half->SetAlpha(128);
  full->SetAlpha(255);
  none->SetAlpha(0);
  ASSERT_TRUE(canvas.Paint(&back));
  EXPECT_TRUE(IsColour(canvas.At(10, 10), 0xFF800000, 4));
  EXPECT_TRUE(IsColour(canvas.At(30, 10), 0xFFFF0000));
  EXPECT_TRUE(IsColour(canvas.At(50, 10), 0xFF000000));

  // Alone on a transparent surface the pixel keeps about half the source's alpha.
  canvas.Clear(0);
  ASSERT_TRUE(canvas.Paint(half));
  EXPECT_TRUE(Near(dltest::AlphaOf(canvas.At(10, 10)), 128, 4)) << std::hex << canvas.At(10, 10);
}

TEST_F(ControlPaint, StretchedControlScalesOneCellOfAStrip) {
  Canvas canvas(40, 40);
  const RECT r = {0, 0, 18 * 40, 40};
  dl::Control strip(r, Path(L"strip18.png").c_str(), nullptr, 0, nullptr, nullptr, nullptr);
  strip.SetFrameGrid(18, 1);
  EXPECT_EQ(strip.GetRect().right, 40);
  for (int frame : {0, 7, 17}) {
    SCOPED_TRACE(frame);
    strip.SetFrame(frame, 0);
    canvas.Clear(0);
    ASSERT_TRUE(canvas.Paint(&strip));
    for (int at : {6, 20, 33}) EXPECT_TRUE(IsColour(canvas.At(at, at), StripCell(frame)));
  }
}

TEST_F(ControlPaint, ChildrenAreClippedToTheirParentAndLaterOnesDrawOnTop) {
  Canvas canvas(100, 100);
  const RECT all = {0, 0, 100, 100};
  dl::Control root(all, nullptr, nullptr, 0, nullptr, nullptr, nullptr);
  const RECT box = {10, 10, 50, 50};
  auto* parent =
      new dl::Control(box, Path(L"blue.png").c_str(), &root, 1, nullptr, nullptr, nullptr);
  const RECT sticking = {20, 20, 60, 60};  // reaches 20 px past the parent
  auto* first =
      new dl::Control(sticking, Path(L"red.png").c_str(), parent, 2, nullptr, nullptr, nullptr);
  const RECT small = {25, 25, 35, 35};
  new dl::Control(small, Path(L"green.png").c_str(), parent, 3, nullptr, nullptr, nullptr);
  EXPECT_EQ(first->GetRect().left, 30);

  ASSERT_TRUE(canvas.Paint(&root));
  EXPECT_TRUE(IsColour(canvas.At(20, 20), 0xFF0000FF));
  EXPECT_TRUE(IsColour(canvas.At(32, 32), 0xFFFF0000));
  EXPECT_TRUE(IsColour(canvas.At(40, 40), 0xFF00FF00));
  EXPECT_TRUE(IsColour(canvas.At(48, 48), 0xFFFF0000));
  EXPECT_EQ(canvas.At(55, 55), 0u) << "child drawn outside its parent";
  EXPECT_EQ(canvas.At(5, 5), 0u);

  // Only what meets the paint's clip is drawn.
  canvas.Clear(0);
  const RECT leftPart = {0, 0, 38, 100};
  ASSERT_TRUE(canvas.Paint(&root, &leftPart));
  EXPECT_TRUE(IsColour(canvas.At(32, 32), 0xFFFF0000));
  EXPECT_EQ(canvas.At(40, 40), 0u);

  // A hidden control draws nothing of its subtree.
  parent->Show(0);
  canvas.Clear(0);
  ASSERT_TRUE(canvas.Paint(&root));
  EXPECT_EQ(canvas.At(40, 40), 0u);
  EXPECT_EQ(canvas.At(20, 20), 0u);
}

TEST_F(ControlPaint, ImagesLoadFromFilesAndResourcesOrNotAtAll) {
  dl::Control missing(3, 4, Path(L"absent.png").c_str(), nullptr, 0, nullptr, nullptr, nullptr);
  EXPECT_EQ(missing.image(), nullptr);
  RECT r = missing.GetRect();
  EXPECT_EQ(r.left, 3);
  EXPECT_EQ(r.right, 0);
  dl::Control broken(0, 0, Path(L"broken.png").c_str(), nullptr, 0, nullptr, nullptr, nullptr);
  EXPECT_EQ(broken.image(), nullptr);
  EXPECT_EQ(dl::LoadSkinImageFromFile(nullptr), nullptr);

  // A natural-size control without image reaches its parent's right and bottom edges.
  const RECT box = {10, 20, 110, 70};
  dl::Control parent(box, nullptr, nullptr, 0, nullptr, nullptr, nullptr);
  auto* filler = new dl::Control(5, 6, nullptr, &parent, 0, nullptr, nullptr, nullptr);
  r = filler->GetRect();
  EXPECT_EQ(r.left, 15);
  EXPECT_EQ(r.top, 26);
  EXPECT_EQ(r.right, 110);
  EXPECT_EQ(r.bottom, 70);

  // The test program carries the button skin as resource 1107 of type "IMAGE".
  HMODULE self = GetModuleHandleW(nullptr);
  dl::Button button(2, 3, MAKEINTRESOURCEW(1107), nullptr, 0, L"IMAGE", self);
  ASSERT_NE(button.image(), nullptr);
  EXPECT_EQ(button.image()->Width(), 136u);
  EXPECT_EQ(button.image()->Height(), 34u);
  r = button.GetRect();
  EXPECT_EQ(r.left, 2);
  EXPECT_EQ(r.right, 36);
  EXPECT_EQ(r.bottom, 37);
  EXPECT_EQ(dl::LoadSkinImageFromResource(self, L"IMAGE", MAKEINTRESOURCEW(999)), nullptr);
  EXPECT_EQ(dl::LoadSkinImageFromResource(self, L"NOTYPE", MAKEINTRESOURCEW(1107)), nullptr);
}

}  // namespace
