#include "tests/ui/framework_test_support.h"

#include <gdiplus.h>
#include <gtest/gtest.h>

#include "ui/framework/tray_messages.h"
#include "ui/framework/window_registry.h"

namespace dltest {

namespace gdip = Gdiplus::DllExports;

namespace {

// The start-up steps the framework relies on besides GDI+, once for the whole test program.
class FrameworkSession : public ::testing::Environment {
 public:
  void SetUp() override {
    dl::SetProcessRegistry(&registry_);
    dl::WM_TRAY_NOTIFY = RegisterWindowMessageA(dl::kTrayNotifyName);
    dl::WM_TASKBAR_CREATED = RegisterWindowMessageA(dl::kTaskbarCreatedName);
    // The real pointer stays off the test windows, which sit near the top-left corner.
    SetCursorPos(1200, 780);
  }
  void TearDown() override { dl::SetProcessRegistry(nullptr); }

 private:
  dl::WindowRegistry registry_;
};

::testing::Environment* const session = ::testing::AddGlobalTestEnvironment(new FrameworkSession);

}  // namespace

void ProbeControl::DrawSelf(dl::GpGraphics* graphics) {
  Gdiplus::GpSolidFill* brush = nullptr;
  if (colour_ == 0 || gdip::GdipCreateSolidFill(colour_, &brush) != Gdiplus::Ok) return;
  gdip::GdipFillRectangleI(graphics, brush, rect_.left, rect_.top, rect_.right - rect_.left,
                           rect_.bottom - rect_.top);
  gdip::GdipDeleteBrush(brush);
}

ProbeWindow::ProbeWindow(const RECT& rect, CallLog* log, DWORD exStyle, Start start, HWND owner)
    : dl::SkinWindow(rect, nullptr, L"FrameworkProbe", owner, exStyle, WS_POPUP, 0, 0, nullptr,
                     nullptr),
      log_(log) {
  if (start == Start::kShown) {
    ShowWindow(GetHwnd(), SW_SHOWNA);
    visible_ = 1;
  }
}

LRESULT ProbeWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  messages.push_back(msg);
  if (msg == WM_NCLBUTTONDOWN && wParam == HTCAPTION) {
    dragStarts.push_back(lParam);
    return 0;  // no modal move loop in a test
  }
  return SkinWindow::HandleMessage(msg, wParam, lParam);
}

void DropQueued(HWND hwnd) {
  MSG msg;
  while (PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE | PM_NOYIELD)) {
    if (msg.message == WM_PAINT) ValidateRect(hwnd, nullptr);
  }
}

}  // namespace dltest
