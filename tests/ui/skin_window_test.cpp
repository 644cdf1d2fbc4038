// Real skinned windows driven with real messages: hover, capture, focus and drag area; layered
// paint read back; the tray icon with callbacks as the shell sends them.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/ui/ui_test_support.h"
#include "ui/framework/accessibility.h"
#include "ui/framework/skin_window.h"
#include "ui/framework/tray_icon.h"
#include "ui/framework/tray_messages.h"
#include "ui/framework/window_dpi.h"
#include "ui/framework/window_registry.h"

namespace dltest {
namespace {

// The start-up the framework relies on besides the drawing library, once per program.
dl::WindowRegistry g_registry;
const bool g_frameworkStarted = [] {
  dl::SetProcessRegistry(&g_registry);
  return SetCursorPos(1200, 780);  // the real pointer stays off the test windows
}();

using Log = std::vector<std::string>;

template <class Base>
class Logging : public Base {
 public:
  template <class... Args>
  Logging(const char* id, Log* calls, Args&&... args)
      : Base(std::forward<Args>(args)...), name_(id), log_(calls) {}
  LRESULT OnMouseEnter(WPARAM, LPARAM) override { return Record("enter"); }
  LRESULT OnMouseMove(WPARAM, LPARAM) override { return Record("move"); }
  LRESULT OnMouseLeave(WPARAM, LPARAM) override { return Record("leave"); }
  LRESULT OnLButtonDown(WPARAM, LPARAM) override { return Record("ldown"); }
  LRESULT OnLButtonUp(WPARAM, LPARAM) override { return Record("lup"); }
  LRESULT OnRButtonDown(WPARAM, LPARAM) override { return Record("rdown"); }
  LRESULT OnRButtonUp(WPARAM, LPARAM) override { return Record("rup"); }
  LRESULT OnSetFocus() override { return Record("setfocus"); }
  LRESULT OnKillFocus() override { return Record("killfocus"); }

 private:
  LRESULT Record(const char* what) {
    if (log_ != nullptr) log_->push_back(std::string(what) + " " + name_);
    return 0;
  }
  std::string name_;
  Log* log_;
};

// Fills its rectangle with a solid colour (none while 0).
struct ProbeControl : Logging<dl::Control> {
  ProbeControl(const char* id, const RECT& rect, dl::Control* parent, Log* calls, Argb colour = 0)
      : Logging(id, calls, rect, nullptr, parent, 0, nullptr, nullptr, nullptr), colour(colour) {}
  void DrawSelf(dl::GpGraphics* graphics) override {
    Gdiplus::GpSolidFill* brush = nullptr;
    if (colour == 0 || gdip::GdipCreateSolidFill(colour, &brush) != Gdiplus::Ok) return;
    gdip::GdipFillRectangleI(graphics, brush, rect_.left, rect_.top, rect_.right - rect_.left,
                             rect_.bottom - rect_.top);
    gdip::GdipDeleteBrush(brush);
  }
  Argb colour;
};

// Swallows a native drag start (no modal move loop in a test). Shown without activation: wine
// waits two seconds for a window manager when an activated window is hidden or destroyed.
struct ProbeWindow : Logging<dl::SkinWindow> {
  ProbeWindow(const RECT& rect, Log* calls, DWORD exStyle = 0)
      : Logging("window", calls, rect, nullptr, L"FrameworkProbe", nullptr, exStyle, WS_POPUP, 0, 0,
                nullptr, nullptr) {
    ShowWindow(GetHwnd(), SW_SHOWNA);
    visible_ = 1;
  }
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg != WM_NCLBUTTONDOWN || wParam != HTCAPTION)
      return SkinWindow::HandleMessage(msg, wParam, lParam);
    dragStarts.push_back(lParam);
    return 0;
  }
  int GetDragRect(RECT* out, dl::Control*) override {
    *out = dragRect;
    return dragRect.right != 0 ? 1 : 0;
  }
  using SkinWindow::focusControl;
  using SkinWindow::surfaceDc;
  using SkinWindow::trackingMouse;

  std::vector<LPARAM> dragStarts;
  RECT dragRect = {};  // none while empty
};

// 200 x 100: a panel (0,0)-(100,100) holding A (10,10)-(50,50), and B (110,10)-(190,90).
struct Scene {
  LRESULT Send(UINT msg, int x, int y, WPARAM keys = 0) {
    return SendMessageW(hwnd, msg, keys, Point(x, y));
  }
  // The window starts holding the capture; its first release ends it.
  void EndStartingCapture() {
    Send(WM_LBUTTONUP, 105, 95);
    log.clear();
  }
  Log Take() { return std::exchange(log, {}); }

  Log log;
  ProbeWindow window{{0, 0, 200, 100}, &log};
  ProbeControl* panel = new ProbeControl("panel", {0, 0, 100, 100}, &window, &log);
  ProbeControl* a = new ProbeControl("A", {10, 10, 50, 50}, panel, &log);
  ProbeControl* b = new ProbeControl("B", {110, 10, 190, 90}, &window, &log);
  HWND hwnd = window.GetHwnd();
};

TEST(Hover, EnterAndLeaveFollowTheControlUnderTheMouse) {
  Scene s;
  s.Send(WM_MOUSEMOVE, 20, 20);
  EXPECT_EQ(s.Take(), (Log{"leave window", "enter A", "move window"})) << "under the capture";
  s.EndStartingCapture();
  s.Send(WM_MOUSEMOVE, 120, 20);
  EXPECT_EQ(s.Take(), (Log{"leave A", "enter B", "move B"}));
  s.Send(WM_MOUSEMOVE, 105, 50);
  EXPECT_EQ(s.Take(), (Log{"leave B", "enter window", "move window"}));
  s.Send(WM_MOUSEMOVE, -5, 50);  // as seen under capture: a large unsigned x
  EXPECT_EQ(s.Take(), (Log{"leave window"}));

  s.Send(WM_MOUSEMOVE, 20, 20);
  s.Take();
  SendMessageW(s.hwnd, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(s.Take(), (Log{"leave A"}));
  EXPECT_EQ(s.window.trackingMouse(), 0) << "the next move must ask for notices again";
  // A late leave notice must not swallow the next press on the control under the pointer.
  s.Send(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  EXPECT_EQ(s.Take(), (Log{"enter A", "ldown A", "killfocus window", "setfocus A"}));
  s.Send(WM_LBUTTONUP, 20, 20);
}

TEST(Press, CapturesAndFocusesTheControlOrDragsInTheDragAreaOrDoesNothingOverNothing) {
  Scene s;
  s.window.dragRect = {0, 0, 200, 30};
  s.EndStartingCapture();
  s.Send(WM_MOUSEMOVE, 20, 40);
  s.Send(WM_LBUTTONDOWN, 20, 40, MK_LBUTTON);
  s.Take();
  s.Send(WM_MOUSEMOVE, 150, 50, MK_LBUTTON);
  EXPECT_EQ(s.Take(), (Log{"leave A", "enter B", "move A"})) << "moves go to the pressed one";
  s.Send(WM_LBUTTONUP, 150, 50);
  EXPECT_EQ(s.Take(), (Log{"lup A"}));
  EXPECT_EQ(GetCapture(), nullptr);
  // A right press and release during a held left press end the capture.
  s.Send(WM_LBUTTONDOWN, 150, 50, MK_LBUTTON);
  s.Send(WM_RBUTTONDOWN, 150, 50, MK_LBUTTON | MK_RBUTTON);
  s.Send(WM_RBUTTONUP, 150, 50, MK_LBUTTON);
  s.Send(WM_LBUTTONUP, 150, 50);
  EXPECT_EQ(s.Take(), (Log{"ldown B", "killfocus A", "setfocus B", "rdown B", "rup B"}))
      << "the later left release reaches no control";

  s.Send(WM_MOUSEMOVE, 20, 20);
  s.Send(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  EXPECT_EQ(s.window.dragStarts, (std::vector<LPARAM>{Point(20, 20)}));
  s.Send(WM_RBUTTONDOWN, 20, 20);
  s.Send(WM_RBUTTONUP, 20, 20);
  EXPECT_EQ(s.Take(),
            (Log{"leave B", "enter A", "move A", "rdown A", "killfocus B", "setfocus A", "rup A"}))
      << "no control sees a left press that drags the window; a right one does not drag";
  for (UINT press : {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_LBUTTONDBLCLK})
    s.Send(press, -3, -3);
  EXPECT_EQ(s.Take(), (Log{"leave A"})) << "a press over nothing reaches no control";
  EXPECT_EQ(s.window.focusControl(), s.a);
}

TEST(Density, ADisplayOfTwiceTheDensityDoublesTheWindowAndItsHitTestsRepaintsAndDragArea) {
  Scene s;
  s.window.dragRect = {0, 0, 200, 30};
  RECT suggested = {30, 20, 431, 221};  // the system's rounding may differ from the layout's
  SendMessageW(s.hwnd, dl::WM_DPICHANGED_MESSAGE, MAKEWPARAM(192, 192),
               reinterpret_cast<LPARAM>(&suggested));
  RECT window;
  GetWindowRect(s.hwnd, &window);
  EXPECT_EQ(window.left, 30);
  EXPECT_EQ(window.top, 20);
  EXPECT_EQ(window.right - window.left, 400) << "the layout's 200 x 100 at 192 DPI";
  EXPECT_EQ(window.bottom - window.top, 200);
  EXPECT_EQ(s.window.Dpi(), 192u);
  EXPECT_EQ(s.a->Dpi(), 192u) << "controls draw at their window's density";

  s.EndStartingCapture();
  s.Send(WM_MOUSEMOVE, 95, 95);  // layout (47, 47): still A
  EXPECT_EQ(s.Take(), (Log{"leave window", "enter A", "move A"}));
  s.Send(WM_MOUSEMOVE, 230, 100);  // layout (115, 50): B
  EXPECT_EQ(s.Take(), (Log{"leave A", "enter B", "move B"}));
  s.Send(WM_LBUTTONDOWN, 20, 50, MK_LBUTTON);  // layout (10, 25): in the drag area over A
  EXPECT_EQ(s.window.dragStarts, (std::vector<LPARAM>{Point(20, 50)}))
      << "the drag starts from the device point";

  ValidateRect(s.hwnd, nullptr);
  s.a->Invalidate(nullptr, 0);
  RECT dirty;
  GetUpdateRect(s.hwnd, &dirty, FALSE);
  EXPECT_EQ(std::vector<LONG>({dirty.left, dirty.top, dirty.right, dirty.bottom}),
            std::vector<LONG>({20, 20, 100, 100}))
      << "a control repaints its device pixels";

  // A screen reader's places are screen pixels too.
  dl::Accessibility access(&s.window, nullptr);
  access.Add({s.a, ROLE_SYSTEM_PUSHBUTTON, L"A", nullptr, nullptr});
  access.Add({s.b, ROLE_SYSTEM_PUSHBUTTON, L"B", nullptr, nullptr});
  POINT origin = {0, 0};
  ClientToScreen(s.hwnd, &origin);
  const RECT where = access.ScreenRect(0);
  EXPECT_EQ(std::vector<LONG>({where.left, where.top, where.right, where.bottom}),
            std::vector<LONG>({origin.x + 20, origin.y + 20, origin.x + 100, origin.y + 100}));
  EXPECT_EQ(access.ChildAt({origin.x + 230, origin.y + 100}), 2) << "layout (115, 50): B";
  EXPECT_EQ(access.ChildAt({origin.x + 110, origin.y + 110}), CHILDID_SELF) << "layout (55, 55)";
}

constexpr Argb kRed = 0xFFFF0000, kHalf = 0x80800000;

TEST(LayeredPaint, EveryPaintClearsToTransparentAndDrawsTheWholeTreeWithAlpha) {
  ProbeWindow layered({0, 0, 160, 80}, nullptr, WS_EX_LAYERED);
  auto* solid = new ProbeControl("solid", {10, 10, 40, 40}, &layered, nullptr, kRed);
  new ProbeControl("half", {50, 10, 80, 40}, &layered, nullptr, 0x80FF0000);
  const RECT moved = {100, 10, 130, 40};
  solid->Move(&moved, 1);
  const RECT corner = {0, 0, 5, 5};
  ValidateRect(layered.GetHwnd(), nullptr);
  InvalidateRect(layered.GetHwnd(), &corner, FALSE);
  UpdateWindow(layered.GetHwnd());
  EXPECT_TRUE(Near(PixelOf(layered.surfaceDc(), 110, 20), kRed));
  EXPECT_TRUE(Near(PixelOf(layered.surfaceDc(), 60, 20), kHalf)) << "premultiplied";
  EXPECT_EQ(PixelOf(layered.surfaceDc(), 20, 20), 0u) << "the old place is transparent again";
  EXPECT_EQ(PixelOf(layered.surfaceDc(), 45, 20), 0u);
}

// Changing an icon succeeds only for one the shell holds.
bool ShellHas(NOTIFYICONDATAA data) {
  data.uFlags = NIF_TIP;
  return Shell_NotifyIconA(NIM_MODIFY, &data) == TRUE;
}

// Fires inside the menu's modal loop: chooses the first item, or ends a menu that never shows.
int g_menuTicks = 0;
bool g_menuSeen = false;
void CALLBACK ChooseFirstItem(HWND, UINT, UINT_PTR, DWORD) {
  HWND menu = FindWindowW(L"#32768", nullptr);
  if (menu != nullptr && IsWindowVisible(menu) && !g_menuSeen) {
    g_menuSeen = true;
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
  } else if (++g_menuTicks > 100) {
    EndMenu();
  }
}

TEST(Tray, CallbacksShowTheWindowOrOpenTheMenuWhoseCommandReachesTheWindow) {
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, 40004, L"\x5173\x95ed");
  const UINT id = static_cast<UINT>(reinterpret_cast<UINT_PTR>(menu));  // the icon names its menu
  ProbeWindow window({0, 0, 60, 40}, nullptr);
  const HWND hwnd = window.GetHwnd();
  dl::TrayIcon icon;
  ASSERT_TRUE(icon.Create(hwnd, LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION)), id,
                          "tip", 1, WM_LBUTTONUP, WM_RBUTTONUP));
  icon.ShowIcon();
  ASSERT_TRUE(ShellHas(*icon.iconData()));
  ShowWindow(hwnd, SW_HIDE);
  SendMessageW(hwnd, dl::TrayNotifyMessage(), id + 1, WM_LBUTTONUP);
  EXPECT_FALSE(IsWindowVisible(hwnd)) << "another icon's callback only reaches the window";
  SendMessageW(hwnd, dl::TrayNotifyMessage(), id, WM_LBUTTONUP);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_FALSE(ShellHas(*icon.iconData()));

  MSG command = {};
  ValidateRect(hwnd, nullptr);  // the queued noise goes unhandled
  while (PeekMessageW(&command, hwnd, 0, 0, PM_REMOVE | PM_NOYIELD)) command = {};
  UINT_PTR timer = SetTimer(nullptr, 0, 30, ChooseFirstItem);
  SendMessageW(hwnd, dl::TrayNotifyMessage(), id, WM_RBUTTONUP);  // returns when the menu closes
  KillTimer(nullptr, timer);
  EXPECT_TRUE(g_menuSeen) << "no popup menu appeared";
  for (int waited = 0; waited < 2000; waited += 10, Sleep(10))
    if (PeekMessageW(&command, hwnd, WM_COMMAND, WM_COMMAND, PM_REMOVE)) break;
  EXPECT_EQ(command.message == WM_COMMAND ? LOWORD(command.wParam) : 0, 40004);
  DestroyMenu(menu);
}

}  // namespace
}  // namespace dltest
