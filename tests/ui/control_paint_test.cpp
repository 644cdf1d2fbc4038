// Control trees painted on a 32-bit surface under wine, read back pixel by pixel. The skins are
// written as PNG files at test time, so every expected colour is known.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>

#include "tests/support/win_test_util.h"
#include "tests/ui/ui_test_support.h"
#include "ui/controls/skin_image.h"

namespace {

using dltest::Argb;
using dltest::Canvas;
using dltest::Near;

constexpr Argb kCell[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00};
constexpr Argb kMarker = 0xFFFFFFFF;
constexpr Argb kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF;

Argb StripCell(int i) {
  return 0xFF000000u | static_cast<uint32_t>(i * 13) << 16 |
         static_cast<uint32_t>(255 - i * 13) << 8 | 0x64u;
}

class ControlPaint : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = dltest::ImageFolder(L"dl_control_paint");
    // Four 34-px cells, each with a white marker on its left four columns.
    ASSERT_TRUE(dltest::WritePng(Path(L"strip4.png"), 136, 34,
                                 [](int x, int) { return x % 34 < 4 ? kMarker : kCell[x / 34]; }));
    ASSERT_TRUE(dltest::WritePng(Path(L"strip18.png"), 180, 10,
                                 [](int x, int) { return StripCell(x / 10); }));
    for (auto [name, colour] : {std::pair{L"red.png", kRed}, std::pair{L"green.png", kGreen},
                                std::pair{L"blue.png", kBlue}})
      ASSERT_TRUE(dltest::WritePng(Path(name), 10, 10, [c = colour](int, int) { return c; }));
    ASSERT_TRUE(dltest::WriteWholeFile(Path(L"broken.png"), "\x89PNG not really"));
  }
  static std::wstring Path(const wchar_t* name) { return folder_ + name; }
  static dl::Control* Image(const RECT& r, const wchar_t* name, dl::Control* parent) {
    return new dl::Control(r, Path(name).c_str(), parent, 0, nullptr, nullptr, nullptr);
  }
  static std::wstring folder_;
};
std::wstring ControlPaint::folder_;

TEST_F(ControlPaint, FrameStripDrawsTheCellOfEachFrame) {
  Canvas canvas(80, 40);
  ASSERT_TRUE(canvas.ok());
  dl::Control strip(0, 0, Path(L"strip4.png").c_str(), nullptr, 1, nullptr, nullptr, nullptr);
  ASSERT_NE(strip.image(), nullptr);
  strip.SetFrameGrid(4, 1);
  EXPECT_EQ(strip.GetRect().right, 34) << "a natural-size control takes one cell";
  EXPECT_EQ(strip.IsStretched(), 0);

  for (int frame = 0; frame < 4; ++frame) {
    SCOPED_TRACE(frame);
    canvas.Clear(0);
    strip.SetFrame(frame, 0);
    ASSERT_TRUE(canvas.Paint(&strip));
    EXPECT_TRUE(Near(canvas.At(1, 17), kMarker));
    EXPECT_TRUE(Near(canvas.At(5, 5), kCell[frame]));
    EXPECT_TRUE(Near(canvas.At(33, 33), kCell[frame]));
    EXPECT_EQ(canvas.At(34, 17), 0u) << "drawn outside the control";
  }
}

TEST_F(ControlPaint, StretchedControlScalesOneCellOfAStrip) {
  Canvas canvas(40, 40);
  dl::Control strip(RECT{0, 0, 18 * 40, 40}, Path(L"strip18.png").c_str(), nullptr, 0, nullptr,
                    nullptr, nullptr);
  strip.SetFrameGrid(18, 1);
  for (int frame : {0, 7, 17}) {
    SCOPED_TRACE(frame);
    strip.SetFrame(frame, 0);
    canvas.Clear(0);
    ASSERT_TRUE(canvas.Paint(&strip));
    for (int at : {6, 20, 33}) EXPECT_TRUE(Near(canvas.At(at, at), StripCell(frame)));
  }
}

TEST_F(ControlPaint, ChildrenAreClippedToTheirParentAndTheClipAndLaterOnesDrawOnTop) {
  Canvas canvas(100, 100);
  dl::Control root(RECT{0, 0, 100, 100}, nullptr, nullptr, 0, nullptr, nullptr, nullptr);
  dl::Control* parent = Image({10, 10, 50, 50}, L"blue.png", &root);
  Image({20, 20, 60, 60}, L"red.png", parent);  // reaches 20 px past the parent
  Image({25, 25, 35, 35}, L"green.png", parent);

  ASSERT_TRUE(canvas.Paint(&root));
  EXPECT_TRUE(Near(canvas.At(20, 20), kBlue));
  EXPECT_TRUE(Near(canvas.At(32, 32), kRed));
  EXPECT_TRUE(Near(canvas.At(40, 40), kGreen));
  EXPECT_TRUE(Near(canvas.At(48, 48), kRed));
  EXPECT_EQ(canvas.At(55, 55), 0u) << "child drawn outside its parent";
  EXPECT_EQ(canvas.At(5, 5), 0u);

  canvas.Clear(0);
  const RECT leftPart = {0, 0, 38, 100};
  ASSERT_TRUE(canvas.Paint(&root, &leftPart));
  EXPECT_TRUE(Near(canvas.At(32, 32), kRed));
  EXPECT_EQ(canvas.At(40, 40), 0u) << "only what meets the paint's clip is drawn";

  parent->Show(0);
  canvas.Clear(0);
  ASSERT_TRUE(canvas.Paint(&root));
  EXPECT_EQ(canvas.Count({0, 0, 100, 100}, [](Argb p) { return p != 0; }), 0)
      << "a hidden control draws nothing of its subtree";
}

TEST_F(ControlPaint, ImagesLoadFromFilesAndResourcesOrNotAtAll) {
  dl::Control missing(3, 4, Path(L"absent.png").c_str(), nullptr, 0, nullptr, nullptr, nullptr);
  EXPECT_EQ(missing.image(), nullptr);
  dl::Control broken(0, 0, Path(L"broken.png").c_str(), nullptr, 0, nullptr, nullptr, nullptr);
  EXPECT_EQ(broken.image(), nullptr);

  // A natural-size control without image reaches its parent's right and bottom edges.
  dl::Control parent(RECT{10, 20, 110, 70}, nullptr, nullptr, 0, nullptr, nullptr, nullptr);
  auto* filler = new dl::Control(5, 6, nullptr, &parent, 0, nullptr, nullptr, nullptr);
  const RECT r = filler->GetRect();
  EXPECT_TRUE(r.left == 15 && r.top == 26 && r.right == 110 && r.bottom == 70);

  // The test program carries the button skin as resource 1107 of type "IMAGE" (the buttons'
  // tests load it); other names and types load nothing.
  HMODULE self = GetModuleHandleW(nullptr);
  EXPECT_EQ(dl::LoadSkinImageFromResource(self, L"IMAGE", MAKEINTRESOURCEW(999)), nullptr);
  EXPECT_EQ(dl::LoadSkinImageFromResource(self, L"NOTYPE", MAKEINTRESOURCEW(1107)), nullptr);
}

}  // namespace
