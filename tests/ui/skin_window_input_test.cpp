// The window's mouse state machine, driven by synthetic messages sent to a real window: hover,
// capture and the focus that follows presses, the drag area, and the going-away request.
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/ui/framework_test_support.h"
#include "ui/controls/control_events.h"

namespace dltest {
namespace {

using Log = CallLog;

// A 200 x 100 window at the screen's origin: a panel (0,0)-(100,100) holding A (10,10)-(50,50),
// and B (110,10)-(190,90) beside it.
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
  LRESULT Request(unsigned what, dl::Control* control) {
    return SendMessageW(hwnd, dl::WM_CONTROL_REQUEST, what, reinterpret_cast<LPARAM>(control));
  }
  // The window's first release ends the capture it starts with (the window itself).
  void EndStartingCapture() {
    Send(WM_LBUTTONUP, 105, 95);
    log.clear();
  }
  Log Take() {
    Log taken;
    taken.swap(log);
    return taken;
  }

  Log log;
  ProbeWindow window;
  ProbeControl* panel;
  ProbeControl* a;
  ProbeControl* b;
  HWND hwnd;
};

TEST(Hover, EnterAndLeaveFollowTheControlUnderTheMouse) {
  Scene s;
  ASSERT_NE(s.hwnd, nullptr);
  // Until the first release the window holds the capture and gets every move itself.
  s.Send(WM_MOUSEMOVE, 20, 20);
  EXPECT_EQ(s.Take(), (Log{"leave window", "enter A", "move window"}));
  s.EndStartingCapture();
  EXPECT_EQ(s.window.captureControl(), nullptr);

  s.Send(WM_MOUSEMOVE, 30, 30);
  EXPECT_EQ(s.Take(), (Log{"move A"}));
  s.Send(WM_MOUSEMOVE, 120, 20);
  EXPECT_EQ(s.Take(), (Log{"leave A", "enter B", "move B"}));
  s.Send(WM_MOUSEMOVE, 60, 60);  // the panel, outside A
  EXPECT_EQ(s.Take(), (Log{"leave B", "enter panel", "move panel"}));
  s.Send(WM_MOUSEMOVE, 105, 50);  // between the panel and B: the window itself
  EXPECT_EQ(s.Take(), (Log{"leave panel", "enter window", "move window"}));
  // Left of the client area, as seen under capture: a large unsigned x that hits nothing.
  s.Send(WM_MOUSEMOVE, -5, 50);
  EXPECT_EQ(s.Take(), (Log{"leave window"}));
  EXPECT_EQ(s.window.hoverControl(), nullptr);

  // The leave notice of the system ends the hover without a move.
  s.Send(WM_MOUSEMOVE, 20, 20);
  s.Take();
  EXPECT_EQ(s.window.trackingMouse(), 1) << "a move asks the system for hover and leave notices";
  SendMessageW(s.hwnd, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(s.Take(), (Log{"leave A"}));
  EXPECT_EQ(s.window.hoverControl(), nullptr);
  EXPECT_EQ(s.window.trackingMouse(), 0) << "a notice ends the request: the next move asks again";
  SendMessageW(s.hwnd, WM_MOUSEHOVER, 0, Point(20, 20));
  EXPECT_TRUE(s.Take().empty()) << "a hover notice with nothing under the mouse calls nobody";

  // A late leave notice must not swallow the next press on the control under the pointer.
  s.Send(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  EXPECT_EQ(s.Take(), (Log{"enter A", "ldown A", "killfocus window", "setfocus A"}));
  EXPECT_EQ(s.window.captureControl(), s.a);
  s.Send(WM_LBUTTONUP, 20, 20);
}

TEST(Capture, HeldByThePressedControlAcrossOthersAndEndedByAnyRelease) {
  Scene s;
  s.EndStartingCapture();
  s.Send(WM_MOUSEMOVE, 20, 20);
  s.Take();
  s.Send(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  EXPECT_EQ(s.Take(), (Log{"ldown A", "killfocus window", "setfocus A"}));
  EXPECT_EQ(GetCapture(), s.hwnd);

  // Enter and leave follow the mouse; the moves and the release go to the pressed control.
  s.Send(WM_MOUSEMOVE, 150, 50, MK_LBUTTON);
  EXPECT_EQ(s.Take(), (Log{"leave A", "enter B", "move A"}));
  s.Send(WM_LBUTTONUP, 150, 50);
  EXPECT_EQ(s.Take(), (Log{"lup A"}));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(s.window.captureControl(), nullptr);
  s.Send(WM_MOUSEMOVE, 151, 50);
  EXPECT_EQ(s.Take(), (Log{"move B"}));

  // A right press and release during a held left press end the capture.
  s.Send(WM_LBUTTONDOWN, 150, 50, MK_LBUTTON);
  s.Send(WM_RBUTTONDOWN, 150, 50, MK_LBUTTON | MK_RBUTTON);
  s.Send(WM_RBUTTONUP, 150, 50, MK_LBUTTON);
  EXPECT_EQ(s.Take(), (Log{"ldown B", "killfocus A", "setfocus B", "rdown B", "rup B"}));
  EXPECT_EQ(s.window.captureControl(), nullptr);
  s.Send(WM_LBUTTONUP, 150, 50);
  EXPECT_TRUE(s.Take().empty()) << "the later left release reaches no control";
}

TEST(Press, InTheDragAreaStartsANativeDragAndOverNothingChangesNothing) {
  Scene s;
  s.window.set_drag_rect({0, 0, 200, 30});
  s.EndStartingCapture();
  s.Send(WM_MOUSEMOVE, 20, 20);
  s.Take();
  EXPECT_EQ(s.Send(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON), 0);
  EXPECT_EQ(s.window.dragStarts, (std::vector<LPARAM>{Point(20, 20)}));
  EXPECT_TRUE(s.Take().empty()) << "no control sees a press that drags the window";
  EXPECT_NE(GetCapture(), s.hwnd);
  EXPECT_EQ(s.window.focusControl(), &s.window);

  // Right presses there, and left presses outside the rectangle, go to the control.
  s.Send(WM_RBUTTONDOWN, 20, 20);
  s.Send(WM_RBUTTONUP, 20, 20);
  EXPECT_EQ(s.Take(), (Log{"rdown A", "killfocus window", "setfocus A", "rup A"}));
  s.Send(WM_MOUSEMOVE, 20, 40);
  s.Take();
  s.Send(WM_LBUTTONDOWN, 20, 40, MK_LBUTTON);
  s.Send(WM_LBUTTONUP, 20, 40);
  EXPECT_EQ(s.Take(), (Log{"ldown A", "lup A"}));
  EXPECT_EQ(s.window.dragStarts.size(), 1u);

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
  ASSERT_EQ(s.window.captureControl(), s.a);
  // The real pointer over B: the window looks there for what is now under the mouse.
  SetCursorPos(150, 50);
  DropQueued(s.hwnd);
  s.Take();

  s.Request(dl::CR_RELEASE, s.b);
  EXPECT_EQ(s.window.hoverControl(), s.a) << "B holds nothing: nothing changes";
  DropQueued(s.hwnd);
  s.Request(dl::CR_RELEASE, s.panel);  // A is inside the panel
  EXPECT_TRUE(s.Take().empty()) << "no leave and no kill-focus for a control going away";
  EXPECT_EQ(s.window.hoverControl(), nullptr);
  EXPECT_EQ(s.window.captureControl(), nullptr);
  EXPECT_EQ(s.window.focusControl(), nullptr);
  EXPECT_NE(GetCapture(), s.hwnd);

  MSG posted;
  ASSERT_TRUE(PeekMessageW(&posted, s.hwnd, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE));
  EXPECT_EQ(posted.lParam, Point(150, 50));
  DispatchMessageW(&posted);
  EXPECT_EQ(s.Take(), (Log{"enter B", "move B"}));

  delete s.b;  // a control deleted under the mouse tells the window itself
  EXPECT_EQ(s.window.hoverControl(), nullptr);
  EXPECT_TRUE(s.Take().empty());
  SetCursorPos(1200, 780);
  DropQueued(s.hwnd);
}

}  // namespace
}  // namespace dltest
