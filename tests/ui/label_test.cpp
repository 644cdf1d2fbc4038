// Labels: their own copies of the drawing objects, and the default font. (The text's thread
// safety is the shared text's, tested natively.)
#include <windows.h>

#include <gdiplus.h>
#include <gtest/gtest.h>

#include <vector>

#include "tests/ui/ui_test_support.h"
#include "ui/controls/label.h"
#include "ui/controls/text_objects.h"

namespace {

using dltest::Argb;
using dltest::Canvas;

bool Reddish(Argb p) { return dltest::RedOf(p) > 128 && dltest::GreenOf(p) < 64; }
bool Whitish(Argb p) { return dltest::RedOf(p) > 160 && dltest::GreenOf(p) > 160; }

dl::Label* NewLabel(dl::Control* parent, const RECT& r, dl::TextFont* font = nullptr,
                    dl::TextFormat* format = nullptr, dl::TextBrush* brush = nullptr) {
  return new dl::Label(r, nullptr, parent, font, format, brush, 5, nullptr, nullptr);
}

// A label made with its own red font, format and brush beside one with the defaults.
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
  dl::Label* red = NewLabel(&root, own, font, format, brush);
  EXPECT_NE(red->font()->handle(), font->handle());
  EXPECT_NE(red->format()->handle(), format->handle());
  EXPECT_NE(red->brush()->handle(), brush->handle());
  delete font;  // the label must not draw with these
  delete format;
  delete brush;
  dl::Label* white = NewLabel(&root, plain);
  EXPECT_EQ(white->font()->status(), 0) << "the bench prefix provides the default family";

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
  EXPECT_EQ(canvas.Count(plain, [](Argb p) { return dltest::AlphaOf(p) == 255; }), 0);
  EXPECT_GT(canvas.Count(plain, [](Argb p) { return dltest::AlphaOf(p) >= 250; }), 0);
}

}  // namespace
