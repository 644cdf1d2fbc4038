#include "tests/ui/framework_test_support.h"

#include <gdiplus.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "ui/framework/tray_messages.h"
#include "ui/framework/window_registry.h"

namespace dltest {

namespace gdip = Gdiplus::DllExports;

namespace {

// The start-up steps the framework relies on, once for the whole test program.
class FrameworkSession : public ::testing::Environment {
 public:
  void SetUp() override {
    Gdiplus::GdiplusStartupInput input;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&token_, &input, nullptr), Gdiplus::Ok);
    dl::SetProcessRegistry(&registry_);
    dl::WM_TRAY_NOTIFY = RegisterWindowMessageA(dl::kTrayNotifyName);
    dl::WM_TASKBAR_CREATED = RegisterWindowMessageA(dl::kTaskbarCreatedName);
    // The real pointer stays off the test windows, which sit near the top-left corner.
    SetCursorPos(1200, 780);
  }
  void TearDown() override {
    dl::SetProcessRegistry(nullptr);
    if (token_ != 0) Gdiplus::GdiplusShutdown(token_);
  }

 private:
  ULONG_PTR token_ = 0;
  dl::WindowRegistry registry_;
};

::testing::Environment* const session = ::testing::AddGlobalTestEnvironment(new FrameworkSession);

}  // namespace

ProbeControl::ProbeControl(const char* name, const RECT& rect, dl::Control* parent, CallLog* log,
                           uint32_t colour)
    : dl::Control(rect, nullptr, parent, 0, nullptr, nullptr, nullptr),
      name_(name),
      log_(log),
      colour_(colour) {}

ProbeControl::~ProbeControl() {
  if (deletions_ != nullptr) ++*deletions_;
}

void ProbeControl::Log(const char* what) {
  if (log_ != nullptr) log_->push_back(std::string(what) + " " + name_);
}

void ProbeControl::DrawSelf(dl::GpGraphics* graphics) {
  if (colour_ == 0) return;
  Gdiplus::GpSolidFill* brush = nullptr;
  if (gdip::GdipCreateSolidFill(colour_, &brush) != Gdiplus::Ok) return;
  gdip::GdipFillRectangleI(graphics, brush, rect_.left, rect_.top, rect_.right - rect_.left,
                           rect_.bottom - rect_.top);
  gdip::GdipDeleteBrush(brush);
}

LRESULT ProbeControl::OnMouseEnter(WPARAM, LPARAM) {
  Log("enter");
  return 0;
}
LRESULT ProbeControl::OnMouseMove(WPARAM, LPARAM) {
  Log("move");
  return 0;
}
LRESULT ProbeControl::OnMouseHover(WPARAM, LPARAM) {
  Log("hover");
  return 0;
}
LRESULT ProbeControl::OnMouseLeave(WPARAM, LPARAM) {
  Log("leave");
  return 0;
}
LRESULT ProbeControl::OnLButtonDown(WPARAM, LPARAM) {
  Log("ldown");
  return 0;
}
LRESULT ProbeControl::OnLButtonUp(WPARAM, LPARAM) {
  Log("lup");
  return 0;
}
LRESULT ProbeControl::OnRButtonDown(WPARAM, LPARAM) {
  Log("rdown");
  return 0;
}
LRESULT ProbeControl::OnRButtonUp(WPARAM, LPARAM) {
  Log("rup");
  return 0;
}
LRESULT ProbeControl::OnMouseWheel(WPARAM, LPARAM) {
  Log("wheel");
  return 0;
}
LRESULT ProbeControl::OnSetFocus() {
  Log("setfocus");
  return acceptFocus_;
}
LRESULT ProbeControl::OnKillFocus() {
  Log("killfocus");
  return 0;
}

ProbeWindow::ProbeWindow(const RECT& rect, CallLog* log, DWORD exStyle, Start start,
                         const wchar_t* className, UINT classStyle, HWND owner)
    : dl::SkinWindow(rect, nullptr, className, owner, exStyle,
                     start == Start::kVisibleStyle ? WS_POPUP | WS_VISIBLE : WS_POPUP, classStyle,
                     0, nullptr, nullptr),
      log_(log) {
  if (start == Start::kShown) {
    ShowWindow(GetHwnd(), SW_SHOWNA);
    visible_ = 1;
  }
}

ProbeWindow::~ProbeWindow() {
  if (destroyed_ != nullptr) *destroyed_ = true;
}

LRESULT ProbeWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  messages.push_back(msg);
  if (msg == WM_NCLBUTTONDOWN && wParam == HTCAPTION) {
    dragStarts.push_back(lParam);
    return 0;  // no modal move loop in a test
  }
  return SkinWindow::HandleMessage(msg, wParam, lParam);
}

int ProbeWindow::PreTranslateMessage(MSG* msg) {
  pretranslated.push_back(msg->message);
  return consume_ != 0 && msg->message == consume_ ? 1 : 0;
}

int ProbeWindow::GetDragRect(RECT* out, dl::Control*) {
  if (!hasDragRect_) return 0;
  *out = dragRect_;
  return 1;
}

LRESULT ProbeWindow::OnMouseEnter(WPARAM, LPARAM) {
  if (log_ != nullptr) log_->push_back("enter window");
  return 0;
}
LRESULT ProbeWindow::OnMouseMove(WPARAM, LPARAM) {
  if (log_ != nullptr) log_->push_back("move window");
  return 0;
}
LRESULT ProbeWindow::OnMouseLeave(WPARAM, LPARAM) {
  if (log_ != nullptr) log_->push_back("leave window");
  return 0;
}
LRESULT ProbeWindow::OnLButtonDown(WPARAM, LPARAM) {
  if (log_ != nullptr) log_->push_back("ldown window");
  return 0;
}
LRESULT ProbeWindow::OnLButtonUp(WPARAM, LPARAM) {
  if (log_ != nullptr) log_->push_back("lup window");
  return 0;
}
LRESULT ProbeWindow::OnSetFocus() {
  if (log_ != nullptr) log_->push_back("setfocus window");
  return 1;
}
LRESULT ProbeWindow::OnKillFocus() {
  if (log_ != nullptr) log_->push_back("killfocus window");
  return 0;
}

int PumpRange(HWND hwnd, UINT first, UINT last) {
  int handled = 0;
  MSG msg;
  while (PeekMessageW(&msg, hwnd, first, last, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    ++handled;
  }
  return handled;
}

void PumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  MSG msg;
  do {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(5);
  } while (GetTickCount() - start < ms);
}

void DropQueued(HWND hwnd) {
  MSG msg;
  while (PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE | PM_NOYIELD)) {
    if (msg.message == WM_PAINT) ValidateRect(hwnd, nullptr);
  }
}

uint32_t PixelOf(HDC dc, int x, int y) {
  GdiFlush();
  DIBSECTION dib = {};
  HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);
  if (bitmap == nullptr || GetObjectW(bitmap, sizeof dib, &dib) != sizeof dib) return 0;
  const int width = dib.dsBm.bmWidth, height = dib.dsBm.bmHeight;
  if (x < 0 || y < 0 || x >= width || y >= height || dib.dsBm.bmBits == nullptr) return 0;
  // Both the window's surface and the canvases are top-down (wine reports the header's height
  // without its sign, so it cannot tell).
  return static_cast<const uint32_t*>(dib.dsBm.bmBits)[y * width + x];
}

Canvas::Canvas(int width, int height, uint32_t fill) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  dc_ = CreateCompatibleDC(nullptr);
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dc_ == nullptr || bitmap_ == nullptr) return;
  old_ = SelectObject(dc_, bitmap_);
  auto* pixels = static_cast<uint32_t*>(bits);
  for (int i = 0; i < width * height; ++i) pixels[i] = fill;
}

Canvas::~Canvas() {
  if (old_ != nullptr) SelectObject(dc_, old_);
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
  if (dc_ != nullptr) DeleteDC(dc_);
}

uint32_t Premultiplied(uint32_t argb) {
  const uint32_t a = argb >> 24;
  auto channel = [a](uint32_t c) { return (c * a + 127) / 255; };
  return (a << 24) | (channel((argb >> 16) & 0xFF) << 16) | (channel((argb >> 8) & 0xFF) << 8) |
         channel(argb & 0xFF);
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
  for (int shift = 0; shift < 32; shift += 8) {
    const int x = static_cast<int>((a >> shift) & 0xFF), y = static_cast<int>((b >> shift) & 0xFF);
    if (std::abs(x - y) > tolerance) return false;
  }
  return true;
}

}  // namespace dltest
