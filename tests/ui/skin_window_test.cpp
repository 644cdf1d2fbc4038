// The framework under wine, real skinned windows driven with real messages: the mouse state
// machine (hover, capture, focus, drag area, controls going away), both paint paths read back
// from the surface, and the tray icon with the shell's callbacks sent as the shell sends them.
#include <gtest/gtest.h>
#include <windows.h>

#include <gdiplus.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/ui/ui_test_support.h"
#include "ui/framework/skin_window.h"
#include "ui/framework/tray_icon.h"
#include "ui/framework/tray_messages.h"
#include "ui/framework/window_registry.h"

namespace dltest {
namespace {

// The start-up the framework relies on besides the drawing library, once per program.
dl::WindowRegistry g_registry;
const bool g_frameworkStarted = [] {
  dl::SetProcessRegistry(&g_registry);
  dl::WM_TRAY_NOTIFY = RegisterWindowMessageA(dl::kTrayNotifyName);
  dl::WM_TASKBAR_CREATED = RegisterWindowMessageA(dl::kTaskbarCreatedName);
  return SetCursorPos(1200, 780);  // the real pointer stays off the test windows
}();

using Log = std::vector<std::string>;

template <class Base>
class Logging : public Base {
 public:
  using Base::Base;
  LRESULT OnMouseEnter(WPARAM, LPARAM) override { return Record("enter"); }
  LRESULT OnMouseMove(WPARAM, LPARAM) override { return Record("move"); }
  LRESULT OnMouseHover(WPARAM, LPARAM) override { return Record("hover"); }
  LRESULT OnMouseLeave(WPARAM, LPARAM) override { return Record("leave"); }
  LRESULT OnLButtonDown(WPARAM, LPARAM) override { return Record("ldown"); }
  LRESULT OnLButtonUp(WPARAM, LPARAM) override { return Record("lup"); }
  LRESULT OnRButtonDown(WPARAM, LPARAM) override { return Record("rdown"); }
  LRESULT OnRButtonUp(WPARAM, LPARAM) override { return Record("rup"); }
  LRESULT OnSetFocus() override { return Record("setfocus") + 1; }
  LRESULT OnKillFocus() override { return Record("killfocus"); }

  std::string name;
  Log* log = nullptr;

 private:
  LRESULT Record(const char* what) {
    if (log != nullptr) log->push_back(std::string(what) + " " + name);
    return 0;
  }
};

// Fills its rectangle with a solid colour (none while 0).
class ProbeControl : public Logging<dl::Control> {
 public:
  ProbeControl(const char* id, const RECT& rect, dl::Control* parent, Log* calls, Argb colour = 0)
      : Logging(rect, nullptr, parent, 0, nullptr, nullptr, nullptr), colour(colour) {
    name = id;
    log = calls;
  }
  void DrawSelf(dl::GpGraphics* graphics) override {
    namespace gdip = Gdiplus::DllExports;
    Gdiplus::GpSolidFill* brush = nullptr;
    if (colour == 0 || gdip::GdipCreateSolidFill(colour, &brush) != Gdiplus::Ok) return;
    gdip::GdipFillRectangleI(graphics, brush, rect_.left, rect_.top, rect_.right - rect_.left,
                             rect_.bottom - rect_.top);
    gdip::GdipDeleteBrush(brush);
  }
  Argb colour;
};

// Swallows a native drag start (no modal move loop in a test). Wine waits two seconds for a
// window manager whenever a window that was ever activated is hidden or destroyed, so this one
// is shown without activation.
class ProbeWindow : public Logging<dl::SkinWindow> {
 public:
  ProbeWindow(const RECT& rect, Log* calls, DWORD exStyle = 0)
      : Logging(rect, nullptr, L"FrameworkProbe", nullptr, exStyle, WS_POPUP, 0, 0, nullptr,
                nullptr) {
    name = "window";
    log = calls;
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
  using SkinWindow::captureControl;
  using SkinWindow::focusControl;
  using SkinWindow::hoverControl;
  using SkinWindow::surfaceDc;
  using SkinWindow::trackingMouse;

  std::vector<LPARAM> dragStarts;
  RECT dragRect = {};  // none while empty
};

// Drops the window's queued mouse and timer noise unhandled.
void DropQueued(HWND hwnd) {
  MSG msg;
  while (PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE | PM_NOYIELD))
    if (msg.message == WM_PAINT) ValidateRect(hwnd, nullptr);
}

// 200 x 100: a panel (0,0)-(100,100) holding A (10,10)-(50,50), and B (110,10)-(190,90).
struct Scene {
  Scene() : window({0, 0, 200, 100}, &log) {
    panel = new ProbeControl("panel", {0, 0, 100, 100}, &window, &log);
    a = new ProbeControl("A", {10, 10, 50, 50}, panel, &log);
    b = new ProbeControl("B", {110, 10, 190, 90}, &window, &log);
    hwnd = window.GetHwnd();
  }
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
  ProbeWindow window;
  ProbeControl *panel, *a, *b;
  HWND hwnd;
};

TEST(Hover, EnterAndLeaveFollowTheControlUnderTheMouse) {
  Scene s;
  s.Send(WM_MOUSEMOVE, 20, 20);
  EXPECT_EQ(s.Take(), (Log{"leave window", "enter A", "move window"})) << "under the capture";
  s.EndStartingCapture();
  s.Send(WM_MOUSEMOVE, 120, 20);
  EXPECT_EQ(s.Take(), (Log{"leave A", "enter B", "move B"}));
  s.Send(WM_MOUSEMOVE, 60, 60);
  EXPECT_EQ(s.Take(), (Log{"leave B", "enter panel", "move panel"}));
  s.Send(WM_MOUSEMOVE, 105, 50);
  EXPECT_EQ(s.Take(), (Log{"leave panel", "enter window", "move window"}));
  s.Send(WM_MOUSEMOVE, -5, 50);  // as seen under capture: a large unsigned x
  EXPECT_EQ(s.Take(), (Log{"leave window"}));
  EXPECT_EQ(s.window.hoverControl(), nullptr);

  s.Send(WM_MOUSEMOVE, 20, 20);
  s.Take();
  EXPECT_EQ(s.window.trackingMouse(), 1);
  SendMessageW(s.hwnd, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(s.Take(), (Log{"leave A"}));
  EXPECT_EQ(s.window.trackingMouse(), 0) << "the next move must ask for notices again";
  // A late leave notice must not swallow the next press on the control under the pointer.
  s.Send(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  EXPECT_EQ(s.Take(), (Log{"enter A", "ldown A", "killfocus window", "setfocus A"}));
  EXPECT_EQ(s.window.captureControl(), s.a);
  s.Send(WM_LBUTTONUP, 20, 20);
}

TEST(Press, CapturesAndFocusesTheControlOrDragsInTheDragAreaOrDoesNothingOverNothing) {
  Scene s;
  s.window.dragRect = {0, 0, 200, 30};
  s.EndStartingCapture();
  s.Send(WM_MOUSEMOVE, 20, 40);
  s.Send(WM_LBUTTONDOWN, 20, 40, MK_LBUTTON);
  EXPECT_EQ(GetCapture(), s.hwnd);
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
  EXPECT_EQ(s.Take(), (Log{"ldown B", "killfocus A", "setfocus B", "rdown B", "rup B"}));
  s.Send(WM_LBUTTONUP, 150, 50);
  EXPECT_TRUE(s.Take().empty()) << "the later left release reaches no control";

  s.Send(WM_MOUSEMOVE, 20, 20);
  s.Take();
  s.Send(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  EXPECT_EQ(s.window.dragStarts, (std::vector<LPARAM>{Point(20, 20)}));
  EXPECT_TRUE(s.Take().empty()) << "no control sees a press that drags the window";
  EXPECT_NE(GetCapture(), s.hwnd);
  s.Send(WM_RBUTTONDOWN, 20, 20);
  s.Send(WM_RBUTTONUP, 20, 20);
  EXPECT_EQ(s.Take(), (Log{"rdown A", "killfocus B", "setfocus A", "rup A"})) << "right: no drag";

  s.Send(WM_MOUSEMOVE, -3, -3);
  s.Take();
  for (UINT press : {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_LBUTTONDBLCLK})
    s.Send(press, -3, -3);
  EXPECT_TRUE(s.Take().empty()) << "a press over nothing";
  EXPECT_NE(GetCapture(), s.hwnd);
  EXPECT_EQ(s.window.focusControl(), s.a);
}

TEST(GoingAway, ClearsThePointersWithoutCallsAndFindsTheNewHover) {
  Scene s;
  s.EndStartingCapture();
  s.Send(WM_MOUSEMOVE, 20, 20);
  s.Send(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  SetCursorPos(150, 50);  // over B: where the window looks for the new hover
  DropQueued(s.hwnd);
  s.Take();
  s.panel->Show(0);  // A is inside the panel
  EXPECT_TRUE(s.Take().empty()) << "no leave and no kill-focus for a control going away";
  EXPECT_EQ(s.window.hoverControl(), nullptr);
  EXPECT_EQ(s.window.captureControl(), nullptr);
  EXPECT_EQ(s.window.focusControl(), nullptr);
  EXPECT_NE(GetCapture(), s.hwnd);
  MSG posted;
  ASSERT_TRUE(PeekMessageW(&posted, s.hwnd, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE));
  DispatchMessageW(&posted);
  EXPECT_EQ(s.Take(), (Log{"enter B", "move B"}));
  delete s.b;
  EXPECT_EQ(s.window.hoverControl(), nullptr);
  SetCursorPos(1200, 780);
  DropQueued(s.hwnd);
}

constexpr Argb kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kGreen = 0xFF00FF00;

Argb PrintedAt(HWND hwnd, int x, int y) {
  Canvas canvas(200, 100, 0x5A5A5A5A);
  SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT);
  return canvas.At(x, y);
}

TEST(LayeredPaint, EveryPaintClearsToTransparentAndDrawsTheWholeTreeWithAlpha) {
  ProbeWindow window({0, 0, 160, 80}, nullptr, WS_EX_LAYERED);
  HWND hwnd = window.GetHwnd();
  auto* solid = new ProbeControl("solid", {10, 10, 40, 40}, &window, nullptr, kRed);
  new ProbeControl("half", {50, 10, 80, 40}, &window, nullptr, 0x80FF0000);
  EXPECT_EQ(PrintedAt(hwnd, 45, 20), 0u);
  EXPECT_TRUE(Near(PrintedAt(hwnd, 20, 20), kRed));
  EXPECT_TRUE(Near(PrintedAt(hwnd, 60, 20), 0x80800000)) << "premultiplied";

  RECT moved = {100, 10, 130, 40}, small = {0, 0, 5, 5};
  solid->Move(&moved, 1);
  ValidateRect(hwnd, nullptr);
  InvalidateRect(hwnd, &small, FALSE);
  UpdateWindow(hwnd);
  EXPECT_TRUE(Near(PixelOf(window.surfaceDc(), 110, 20), kRed));
  EXPECT_TRUE(Near(PixelOf(window.surfaceDc(), 60, 20), 0x80800000));
  EXPECT_EQ(PixelOf(window.surfaceDc(), 20, 20), 0u) << "the old place is transparent again";
}

TEST(PlainPaint, RepaintsOnlyTheUpdateRectangle) {
  ProbeWindow window({0, 0, 200, 100}, nullptr);
  HWND hwnd = window.GetHwnd();
  auto* background = new ProbeControl("bg", {0, 0, 200, 100}, &window, nullptr, kBlue);
  auto* square = new ProbeControl("sq", {10, 10, 60, 60}, &window, nullptr, kRed);
  PumpFor(100);
  InvalidateRect(hwnd, nullptr, FALSE);
  UpdateWindow(hwnd);
  HDC surface = window.surfaceDc();
  ASSERT_TRUE(Near(PixelOf(surface, 20, 20), kRed));
  background->colour = square->colour = kGreen;
  ValidateRect(hwnd, nullptr);
  RECT strip = {100, 0, 150, 25};
  InvalidateRect(hwnd, &strip, FALSE);
  UpdateWindow(hwnd);
  EXPECT_TRUE(Near(PixelOf(surface, 120, 10), kGreen));
  EXPECT_TRUE(Near(PixelOf(surface, 149, 24), kGreen));
  EXPECT_TRUE(Near(PixelOf(surface, 150, 10), kBlue)) << "right of it: the earlier pixels";
  EXPECT_TRUE(Near(PixelOf(surface, 120, 25), kBlue)) << "below it";
  EXPECT_TRUE(Near(PixelOf(surface, 20, 20), kRed));
  EXPECT_TRUE(Near(PrintedAt(hwnd, 20, 20), kGreen)) << "printing paints everything";
}

constexpr UINT kIconId = 7;

// Changing an icon succeeds only for one the shell holds.
bool ShellHas(const NOTIFYICONDATAA& icon) {
  NOTIFYICONDATAA data = icon;
  data.uFlags = NIF_TIP;
  return Shell_NotifyIconA(NIM_MODIFY, &data) == TRUE;
}

struct Tray {
  explicit Tray(UINT id, const char* tip = "tip") : window({0, 0, 60, 40}, nullptr) {
    hwnd = window.GetHwnd();
    created = icon.Create(hwnd, LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION)), id,
                          tip, 1, WM_LBUTTONUP, WM_RBUTTONUP);
  }
  bool Shown() const { return ShellHas(*icon.iconData()); }
  ProbeWindow window;
  HWND hwnd;
  dl::TrayIcon icon;
  bool created;
};

TEST(Tray, ShowCallbackBringsTheWindowBackAndRemovesTheIcon) {
  const std::string longTip(200, 'x');
  Tray t(kIconId, longTip.c_str());
  ASSERT_TRUE(t.created);
  EXPECT_EQ(std::string(t.icon.iconData()->szTip), longTip.substr(0, 127)) << "cut to fit";
  t.icon.ShowIcon();
  ASSERT_TRUE(t.Shown());
  ShowWindow(t.hwnd, SW_HIDE);
  SendMessageW(t.hwnd, dl::WM_TRAY_NOTIFY, kIconId + 1, WM_LBUTTONUP);
  EXPECT_FALSE(IsWindowVisible(t.hwnd)) << "another icon's callback only reaches the window";
  SendMessageW(t.hwnd, dl::WM_TRAY_NOTIFY, kIconId, WM_LBUTTONUP);
  EXPECT_TRUE(IsWindowVisible(t.hwnd));
  EXPECT_FALSE(t.Shown());

  // Gone, the icon leaves the shell and the window gets its own procedure back.
  t.icon.ShowIcon();
  const NOTIFYICONDATAA data = *t.icon.iconData();
  t.icon.Destroy();
  EXPECT_FALSE(ShellHas(data));
  EXPECT_EQ(GetWindowLongPtrW(t.hwnd, GWLP_WNDPROC),
            reinterpret_cast<LONG_PTR>(&dl::SkinWindow::SkinWindowProc));
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

TEST(Tray, MenuCallbackOpensThePopupAndItsCommandReachesTheWindow) {
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, 40004, L"\x5173\x95ed");
  const UINT id = static_cast<UINT>(reinterpret_cast<UINT_PTR>(menu));  // the icon names its menu
  Tray t(id);
  DropQueued(t.hwnd);
  UINT_PTR timer = SetTimer(nullptr, 0, 30, ChooseFirstItem);
  SendMessageW(t.hwnd, dl::WM_TRAY_NOTIFY, id, WM_RBUTTONUP);  // returns when the menu closes
  KillTimer(nullptr, timer);
  EXPECT_TRUE(g_menuSeen) << "no popup menu appeared";
  MSG command = {};
  for (int waited = 0; waited < 2000; waited += 10, Sleep(10))
    if (PeekMessageW(&command, t.hwnd, WM_COMMAND, WM_COMMAND, PM_REMOVE)) break;
  EXPECT_EQ(command.message, static_cast<UINT>(WM_COMMAND)) << "the command did not arrive";
  EXPECT_EQ(LOWORD(command.wParam), 40004);
  DestroyMenu(menu);
}

}  // namespace
}  // namespace dltest
