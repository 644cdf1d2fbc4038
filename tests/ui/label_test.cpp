// Labels: their text rules, their own copies of the drawing objects, their click rule, and a
// text replaced from another thread while the label is painted.
#include <windows.h>

#include <gdiplus.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/ui/controls_test_support.h"
#include "ui/controls/button.h"
#include "ui/controls/label.h"
#include "ui/controls/text_objects.h"

namespace {

using dltest::Canvas;
using dltest::Point;
using dltest::RecordingRoot;

// Pixels of the area whose colour passes the test.
template <typename Test>
int CountPixels(const Canvas& canvas, const RECT& area, Test test) {
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (test(canvas.At(x, y))) ++count;
  return count;
}

bool Reddish(dltest::Argb p) { return dltest::RedOf(p) > 128 && dltest::GreenOf(p) < 64; }
bool Whitish(dltest::Argb p) { return dltest::RedOf(p) > 160 && dltest::GreenOf(p) > 160; }

dl::Label* NewLabel(dl::Control* parent, const RECT& r, dl::TextFont* font = nullptr,
                    dl::TextFormat* format = nullptr, dl::TextBrush* brush = nullptr) {
  return new dl::Label(r, nullptr, parent, font, format, brush, 5, nullptr, nullptr);
}

TEST(Label, TextIsCopiedAndEmptyMeansNone) {
  dl::Control root(RECT{0, 0, 100, 100}, nullptr, nullptr, 0, nullptr, nullptr, nullptr);
  dl::Label* label = NewLabel(&root, RECT{0, 0, 100, 20});
  EXPECT_EQ(label->GetText(), nullptr);
  wchar_t path[] = L"C:\\Games\\Lobby";
  label->SetText(path);
  path[0] = L'D';
  EXPECT_STREQ(label->GetText(), L"C:\\Games\\Lobby");
  wchar_t out[8];
  EXPECT_EQ(label->CopyText(out, 8), 14u);
  EXPECT_STREQ(out, L"C:\\Game");
  label->SetText(L"");
  EXPECT_EQ(label->GetText(), nullptr);
  label->SetText(L"x");
  label->SetText(nullptr);
  EXPECT_EQ(label->CopyText(), L"");
}

TEST(Label, ClickCountsOnlyWhenReleasedOverTheLabel) {
  RecordingRoot root(RECT{0, 0, 200, 100});
  dl::Label* label = NewLabel(&root, RECT{10, 10, 110, 30});
  // Without notify nothing is raised, yet the label takes the mouse.
  label->OnLButtonDown(MK_LBUTTON, Point(20, 20));
  label->OnLButtonUp(0, Point(20, 20));
  EXPECT_TRUE(root.events.empty());
  EXPECT_EQ(root.HitTest(20, 20), label);

  label->SetNotify(1, 0);
  label->OnLButtonDown(MK_LBUTTON, Point(20, 20));
  label->OnLButtonUp(0, Point(109, 29));
  label->OnLButtonUp(0, Point(110, 20));  // released past the right edge
  label->OnRButtonDown(MK_RBUTTON, Point(20, 20));
  label->OnRButtonUp(0, Point(10, 10));
  label->OnRButtonUp(0, Point(50, 5));
  const std::vector<int32_t> expected = {dl::CN_LBUTTONDOWN, dl::CN_LBUTTONUP,   dl::CN_LABELCLICK,
                                         dl::CN_LBUTTONUP,   dl::CN_RBUTTONDOWN, dl::CN_RBUTTONUP,
                                         dl::CN_LABELRCLICK, dl::CN_RBUTTONUP};
  EXPECT_EQ(root.Codes(), expected);
  EXPECT_EQ(root.events[2].lParam, static_cast<uint32_t>(Point(109, 29)));
  EXPECT_EQ(root.events[2].source, label);
}

TEST(Label, DisabledLabelLetsTheMouseThroughToTheButtonBeneath) {
  dl::Control root(RECT{0, 0, 200, 100}, nullptr, nullptr, 0, nullptr, nullptr, nullptr);
  auto* button =
      new dl::Button(0, 0, MAKEINTRESOURCEW(1107), &root, 1, L"IMAGE", GetModuleHandleW(nullptr));
  dl::Label* caption = NewLabel(&root, RECT{0, 0, 34, 34});
  EXPECT_EQ(root.HitTest(10, 10), caption);
  caption->Enable(0);
  EXPECT_EQ(root.HitTest(10, 10), button);
}

TEST(Label, DrawsWithItsOwnCopiesOfFontFormatAndBrush) {
  Canvas canvas(120, 40);
  const RECT area = {0, 0, 120, 40};
  dl::Control root(area, nullptr, nullptr, 0, nullptr, nullptr, nullptr);

  // A family the bench prefix has (it carries no Windows fonts).
  auto* font =
      new dl::TextFont(L"DejaVu Sans", 20.0f, Gdiplus::FontStyleBold, Gdiplus::UnitPixel, nullptr);
  auto* format = new dl::TextFormat(0, 0);
  auto* brush = new dl::TextBrush(0xFFFF0000);
  ASSERT_NE(font->handle(), nullptr);
  dl::Label* label = NewLabel(&root, area, font, format, brush);
  ASSERT_NE(label->font(), nullptr);
  ASSERT_NE(label->format(), nullptr);
  ASSERT_NE(label->brush(), nullptr);
  EXPECT_NE(label->font()->handle(), font->handle());
  EXPECT_NE(label->format()->handle(), format->handle());
  EXPECT_NE(label->brush()->handle(), brush->handle());
  delete font;
  delete format;
  delete brush;

  ASSERT_TRUE(canvas.Paint(&root));
  EXPECT_EQ(CountPixels(canvas, area, [](dltest::Argb p) { return p != 0; }), 0)
      << "no text, no image: nothing drawn";
  label->SetText(L"MMMM");
  ASSERT_TRUE(canvas.Paint(&root));
  EXPECT_GT(CountPixels(canvas, area, Reddish), 40);
  EXPECT_EQ(CountPixels(canvas, area, Whitish), 0);
  // Text starts at the label's top-left corner: nothing in the right part.
  EXPECT_EQ(CountPixels(canvas, RECT{100, 0, 120, 40}, Reddish), 0);
}

TEST(Label, DefaultsDrawNearlyOpaqueWhiteInTheDefaultFamily) {
  Canvas canvas(120, 40);
  const RECT area = {0, 0, 120, 40};
  dl::Control root(area, nullptr, nullptr, 0, nullptr, nullptr, nullptr);
  dl::Label* label = NewLabel(&root, area);
  ASSERT_NE(label->font(), nullptr);
  EXPECT_NE(label->font()->handle(), nullptr);
  EXPECT_EQ(label->font()->status(), 0) << "the bench prefix provides the family";
  ASSERT_NE(label->format(), nullptr);
  ASSERT_NE(label->brush(), nullptr);
  label->SetText(L"\u5B89\u88C5 MMMM");
  ASSERT_TRUE(canvas.Paint(&root));
  EXPECT_GT(CountPixels(canvas, area, Whitish), 20);
  EXPECT_EQ(CountPixels(canvas, area, Reddish), 0);
  // The brush's alpha is 254: no pixel comes out fully opaque.
  EXPECT_EQ(CountPixels(canvas, area, [](dltest::Argb p) { return dltest::AlphaOf(p) == 255; }), 0);
  EXPECT_GT(CountPixels(canvas, area, [](dltest::Argb p) { return dltest::AlphaOf(p) >= 250; }), 0);
}

TEST(Label, MissingFamilyFallsBackToTheGenericSansSerif) {
  dl::TextFont font(L"No Such Family At All", 12.0f, 0, Gdiplus::UnitPoint, nullptr);
  EXPECT_NE(font.status(), 0) << "the failed lookup is remembered";
  // Whether the generic family exists depends on the fonts installed; the font follows it.
  Gdiplus::GpFontFamily* generic = nullptr;
  if (Gdiplus::DllExports::GdipGetGenericFontFamilySansSerif(&generic) == Gdiplus::Ok) {
    ASSERT_NE(font.handle(), nullptr);
    Gdiplus::GpFontFamily* used = nullptr;
    ASSERT_EQ(Gdiplus::DllExports::GdipGetFamily(font.handle(), &used), Gdiplus::Ok);
    WCHAR usedName[LF_FACESIZE] = {}, genericName[LF_FACESIZE] = {};
    Gdiplus::DllExports::GdipGetFamilyName(used, usedName, LANG_NEUTRAL);
    Gdiplus::DllExports::GdipGetFamilyName(generic, genericName, LANG_NEUTRAL);
    EXPECT_STREQ(usedName, genericName);
    Gdiplus::DllExports::GdipDeleteFontFamily(used);
    std::unique_ptr<dl::TextFont> copy = font.Clone();
    EXPECT_NE(copy->handle(), nullptr);
    EXPECT_EQ(copy->status(), font.status());
  } else {
    EXPECT_EQ(font.handle(), nullptr) << "no family to fall back to";
    // A label made with it still stands and draws nothing but its image.
    dl::Control root(RECT{0, 0, 50, 20}, nullptr, nullptr, 0, nullptr, nullptr, nullptr);
    dl::Label* label = NewLabel(&root, RECT{0, 0, 50, 20}, &font);
    EXPECT_EQ(label->font()->handle(), nullptr);
    EXPECT_NE(label->font()->status(), 0);
    label->SetText(L"text");
    Canvas canvas(50, 20);
    ASSERT_TRUE(canvas.Paint(&root));
    EXPECT_EQ(CountPixels(canvas, RECT{0, 0, 50, 20}, [](dltest::Argb p) { return p != 0; }), 0);
  }
}

// The install worker replaces texts while the window's thread paints and reads the label.
TEST(Label, TextReplacedFromAnotherThreadWhilePainting) {
  Canvas canvas(200, 30);
  const RECT area = {0, 0, 200, 30};
  dl::Control root(area, nullptr, nullptr, 0, nullptr, nullptr, nullptr);
  dl::Label* label = NewLabel(&root, area);
  const std::vector<std::wstring> texts = {L"", L"1%", L"47.3 MB / 812.0 MB",
                                           L"Preparing the files of the lobby, please wait"};
  // The worker keeps going until the painter has been through enough rounds with it.
  std::atomic<bool> done{false};
  std::atomic<int> paints{0};
  std::thread worker([&] {
    const DWORD start = GetTickCount();
    for (size_t i = 0; paints < 300 && GetTickCount() - start < 10000; ++i)
      label->SetText(texts[i % texts.size()].c_str());
    label->SetText(texts[2].c_str());
    done = true;
  });
  int unknown = 0;
  while (!done) {
    canvas.Paint(&root);
    ++paints;
    const std::wstring seen = label->CopyText();
    bool known = false;
    for (const std::wstring& t : texts) known = known || seen == t;
    if (!known) ++unknown;
  }
  worker.join();
  EXPECT_GE(paints.load(), 300);
  EXPECT_EQ(unknown, 0);
  EXPECT_STREQ(label->GetText(), texts[2].c_str());
  canvas.Clear(0);
  ASSERT_TRUE(canvas.Paint(&root));
  EXPECT_GT(CountPixels(canvas, area, Whitish), 20);
}

}  // namespace
