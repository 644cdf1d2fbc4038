// The paint pipeline on real windows: the layered path clears the surface and draws the whole
// tree with per-pixel alpha; the plain path draws only the update rectangle and keeps the
// pixels it does not touch.
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/ui/framework_test_support.h"

namespace dltest {
namespace {

constexpr Argb kRed = 0xFFFF0000;
constexpr Argb kBlue = 0xFF0000FF;
constexpr Argb kGreen = 0xFF00FF00;
constexpr Argb kHalfRed = 0x80FF0000;
constexpr Argb kHalfRedPremultiplied = 0x80800000;  // as UpdateLayeredWindow reads it
constexpr Argb kJunk = 0x5A5A5A5A;

// Prints the window's client area into a fresh canvas prefilled with junk, and reads (x, y).
Argb PrintedAt(HWND hwnd, int x, int y) {
  Canvas canvas(200, 100, kJunk);
  SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT);
  return canvas.At(x, y);
}

TEST(LayeredPaint, ClearsToTransparentAndDrawsTheWholeTreeWithAlpha) {
  CallLog log;
  ProbeWindow window({0, 0, 160, 80}, &log, WS_EX_LAYERED);
  HWND hwnd = window.GetHwnd();
  ASSERT_NE(hwnd, nullptr);
  auto* solid = new ProbeControl("solid", {10, 10, 40, 40}, &window, nullptr, kRed);
  new ProbeControl("half", {50, 10, 80, 40}, &window, nullptr, kHalfRed);

  EXPECT_EQ(PrintedAt(hwnd, 0, 0), 0u) << "nothing drawn there: fully transparent";
  EXPECT_EQ(PrintedAt(hwnd, 45, 20), 0u);
  EXPECT_TRUE(Near(PrintedAt(hwnd, 20, 20), kRed));
  EXPECT_TRUE(Near(PrintedAt(hwnd, 60, 20), kHalfRedPremultiplied));

  // Every paint starts from a cleared surface, even one for a small invalid area: the whole
  // tree is drawn and where the square was is transparent again.
  RECT moved = {100, 10, 130, 40};
  solid->Move(&moved, 1);
  RECT small = {0, 0, 5, 5};
  ValidateRect(hwnd, nullptr);
  InvalidateRect(hwnd, &small, FALSE);
  UpdateWindow(hwnd);
  EXPECT_TRUE(Near(PixelOf(window.surfaceDc(), 110, 20), kRed));
  EXPECT_TRUE(Near(PixelOf(window.surfaceDc(), 60, 20), kHalfRedPremultiplied));
  EXPECT_EQ(PixelOf(window.surfaceDc(), 20, 20), 0u);
  RECT update;
  EXPECT_FALSE(GetUpdateRect(hwnd, &update, FALSE)) << "the paint validated the window";
}

TEST(PlainPaint, RepaintsOnlyTheUpdateRectangle) {
  CallLog log;
  ProbeWindow window({0, 0, 200, 100}, &log);
  HWND hwnd = window.GetHwnd();
  auto* background = new ProbeControl("bg", {0, 0, 200, 100}, &window, nullptr, kBlue);
  auto* square = new ProbeControl("sq", {10, 10, 60, 60}, &window, nullptr, kRed);
  PumpFor(100);
  InvalidateRect(hwnd, nullptr, FALSE);
  UpdateWindow(hwnd);
  HDC surface = window.surfaceDc();
  ASSERT_TRUE(Near(PixelOf(surface, 150, 50), kBlue));
  ASSERT_TRUE(Near(PixelOf(surface, 20, 20), kRed));

  // New colours, but only a strip across the top right is invalid.
  background->set_colour(kGreen);
  square->set_colour(kGreen);
  ValidateRect(hwnd, nullptr);
  RECT strip = {100, 0, 150, 25};
  InvalidateRect(hwnd, &strip, FALSE);
  UpdateWindow(hwnd);
  EXPECT_TRUE(Near(PixelOf(surface, 120, 10), kGreen)) << "inside the update rectangle";
  EXPECT_TRUE(Near(PixelOf(surface, 149, 24), kGreen));
  EXPECT_TRUE(Near(PixelOf(surface, 150, 10), kBlue)) << "right of it: the earlier pixels";
  EXPECT_TRUE(Near(PixelOf(surface, 120, 25), kBlue)) << "below it";
  EXPECT_TRUE(Near(PixelOf(surface, 20, 20), kRed)) << "the square was outside: not drawn";

  // WM_PRINTCLIENT paints the whole client area into the given device context.
  EXPECT_TRUE(Near(PrintedAt(hwnd, 20, 20), kGreen));
  EXPECT_TRUE(Near(PrintedAt(hwnd, 199, 99), kGreen));
}

TEST(PlainPaint, HiddenWindowPaintsNothingOfItsTree) {
  CallLog log;
  ProbeWindow window({0, 0, 100, 60}, &log, 0, Start::kHidden);
  new ProbeControl("sq", {0, 0, 100, 60}, &window, nullptr, kRed);
  EXPECT_EQ(PrintedAt(window.GetHwnd(), 50, 30), 0u) << "the new surface stays as it was made";
  window.Show(SW_SHOWNORMAL);
  EXPECT_TRUE(Near(PrintedAt(window.GetHwnd(), 50, 30), kRed));
}

}  // namespace
}  // namespace dltest
