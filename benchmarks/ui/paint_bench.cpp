// Paint cost of a skinned window the size of the installer window: a 600 x 350 background
// skin and 25 skinned controls, repainted through WM_PAINT (InvalidateRect + UpdateWindow),
// the whole window and a 150 x 25 dirty rectangle, on the plain and on the layered path.
//
//   paint_bench.exe IMAGE_FOLDER [ITERATIONS]
//
// IMAGE_FOLDER holds the skins (res/images); prints microseconds per repaint, with the window
// and controls drawing their skins and, for comparison, solid fills of the same rectangles and
// an empty window (the cost of the pipeline itself).
#include <windows.h>
#include <gdiplus.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "ui/controls/control.h"
#include "ui/framework/skin_window.h"

namespace {

// A layout like the installer's: title bar, banner, progress bars, texts' backgrounds,
// buttons and small icons; 25 controls.
struct Placed {
  int image;
  int x;
  int y;
};
const Placed kLayout[] = {
    {1106, 1, 0},     {1104, 560, 10},  {1105, 578, 10},  {1109, 10, 10},  {1102, 1, 37},
    {1110, 4, 240},   {1111, 30, 250},  {1112, 30, 272},  {1113, 32, 253}, {1114, 75, 290},
    {1115, 92, 300},  {1118, 122, 310}, {1119, 122, 310}, {1107, 40, 300}, {1108, 424, 300},
    {1107, 232, 300}, {1104, 20, 230},  {1105, 40, 230},  {1109, 60, 230}, {1112, 480, 272},
    {1104, 80, 230},  {1105, 100, 230}, {1109, 120, 230}, {1116, 380, 60}, {1111, 30, 225},
};
static_assert(sizeof kLayout / sizeof kLayout[0] == 25, "25 controls");

// The same rectangles filled with a solid colour: the cost of the pipeline without images.
class SolidControl : public dl::Control {
 public:
  SolidControl(const RECT& rect, dl::Control* parent, Gdiplus::ARGB colour)
      : Control(rect, nullptr, parent, 0, nullptr, nullptr, nullptr), colour_(colour) {}
  void DrawSelf(dl::GpGraphics* graphics) override {
    Gdiplus::GpSolidFill* brush = nullptr;
    if (Gdiplus::DllExports::GdipCreateSolidFill(colour_, &brush) != Gdiplus::Ok) return;
    Gdiplus::DllExports::GdipFillRectangleI(graphics, brush, rect_.left, rect_.top,
                                            rect_.right - rect_.left, rect_.bottom - rect_.top);
    Gdiplus::DllExports::GdipDeleteBrush(brush);
  }

 private:
  Gdiplus::ARGB colour_;
};

class BenchWindow : public dl::SkinWindow {
 public:
  // With the background skin (the window takes its size) or without an image at all.
  BenchWindow(const std::wstring& background, DWORD exStyle)
      : SkinWindow(0, 0, background.c_str(), L"PaintBench", nullptr, exStyle, WS_POPUP, 0, 0,
                   nullptr, nullptr) {}
  BenchWindow(const RECT& rect, DWORD exStyle)
      : SkinWindow(rect, nullptr, L"PaintBench", nullptr, exStyle, WS_POPUP, 0, 0, nullptr,
                   nullptr) {}
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_PAINT) ++paints;
    return SkinWindow::HandleMessage(msg, wParam, lParam);
  }
  long paints = 0;
};

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Drain() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// Microseconds per repaint of `area` (the whole window when null); -1 when the window did not
// get one WM_PAINT per repaint.
double Measure(BenchWindow* window, const RECT* area, int iterations) {
  HWND hwnd = window->GetHwnd();
  for (int i = 0; i < 20; ++i) {  // warm-up
    InvalidateRect(hwnd, area, FALSE);
    UpdateWindow(hwnd);
  }
  Drain();
  ValidateRect(hwnd, nullptr);
  const long before = window->paints;
  const double start = Now();
  for (int i = 0; i < iterations; ++i) {
    InvalidateRect(hwnd, area, FALSE);
    UpdateWindow(hwnd);
  }
  const double seconds = Now() - start;
  if (window->paints - before != iterations) return -1;
  return seconds * 1e6 / iterations;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: paint_bench IMAGE_FOLDER [ITERATIONS]\n");
    return 2;
  }
  const std::wstring folder = std::wstring(argv[1]) + L"\\";
  const int iterations = argc > 2 ? std::max(1, _wtoi(argv[2])) : 500;
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return 1;

  auto path = [&folder](int image) { return folder + std::to_wstring(image) + L".png"; };
  const RECT dirty = {200, 150, 350, 175};
  int status = 0;
  std::printf("window 600x350 with 25 skinned controls, %d repaints each\n", iterations);
  std::printf("%-8s %-7s %12s %12s\n", "path", "drawn", "full (us)", "150x25 (us)");
  enum Drawn { kSkins, kFills, kNothing };
  for (Drawn drawn : {kSkins, kFills, kNothing}) {
    const bool skins = drawn == kSkins;
    for (DWORD exStyle : {0ul, static_cast<DWORD>(WS_EX_LAYERED)}) {
      auto owned = skins ? std::make_unique<BenchWindow>(path(1101), exStyle)
                         : std::make_unique<BenchWindow>(RECT{0, 0, 600, 350}, exStyle);
      BenchWindow& window = *owned;
      if (drawn == kFills) new SolidControl({0, 0, 600, 350}, &window, 0xFF202840);
      RECT size = window.GetRect();
      if (window.GetHwnd() == nullptr || size.right != 600 || size.bottom != 350) {
        std::fprintf(stderr, "no 600x350 window (background skin %ls)\n", path(1101).c_str());
        return 1;
      }
      int loaded = 0;
      for (const Placed& p : kLayout) {
        if (drawn == kNothing) {
          ++loaded;
          continue;
        }
        auto* control =
            new dl::Control(p.x, p.y, path(p.image).c_str(), &window, 0, nullptr, nullptr, nullptr);
        loaded += control->image() != nullptr;
        if (!skins) {
          // Same place and size, drawn as a fill instead of the skin.
          const RECT rect = control->GetRect();
          delete control;
          new SolidControl(rect, &window, 0xC0336699);
        }
      }
      if (loaded != 25) {
        std::fprintf(stderr, "only %d of 25 control skins loaded\n", loaded);
        return 1;
      }
      window.Show(SW_SHOWNORMAL);
      Drain();
      const double full = Measure(&window, nullptr, iterations);
      const double small = Measure(&window, &dirty, iterations);
      const char* names[] = {"skins", "fills", "nothing"};
      std::printf("%-8s %-7s %12.1f %12.1f\n", exStyle == 0 ? "plain" : "layered", names[drawn],
                  full, small);
      if (full < 0 || small < 0) status = 1;
    }
  }
  Gdiplus::GdiplusShutdown(token);
  return status;
}
