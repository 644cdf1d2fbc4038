// The window's mouse and focus state machine, driven by synthetic messages sent to a real
// window: hover, capture, focus, the drag area, the wheel, the going-away request and
// deferred deletion.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "tests/ui/framework_test_support.h"
#include "ui/controls/control_events.h"
#include "ui/framework/window_registry.h"

namespace dltest {
namespace {

// A 200 x 100 window at the screen's origin: a panel (0,0)-(100,100) holding A
// (10,10)-(50,50), and B (110,10)-(190,90) beside it.
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
  CallLog Take() {
    CallLog taken;
    taken.swap(log);
    return taken;
  }
  CallLog WithoutMoves() {
    CallLog kept;
    for (const std::string& entry : Take()) {
      if (entry.rfind("move ", 0) != 0) kept.push_back(entry);
    }
    return kept;
  }

  CallLog log;
  ProbeWindow window;
  ProbeControl* panel;
  ProbeControl* a;
  ProbeControl* b;
  HWND hwnd;
};

using Log = CallLog;

TEST(Hover, EnterAndLeaveFollowTheControlUnderTheMouse) {
  Scene s;
  ASSERT_NE(s.hwnd, nullptr);
  // Until the first release the window holds the capture and gets every move itself.
  s.Send(WM_MOUSEMOVE, 20, 20);
  EXPECT_EQ(s.Take(), (Log{"leave window", "enter A", "move window"}));
  EXPECT_EQ(s.window.hoverControl(), s.a);
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
  SendMessageW(s.hwnd, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(s.Take(), (Log{"leave A"}));
  EXPECT_EQ(s.window.hoverControl(), nullptr);
  EXPECT_EQ(s.window.trackingMouse(), 0);
  SendMessageW(s.hwnd, WM_MOUSEHOVER, 0, Point(20, 20));
  EXPECT_TRUE(s.Take().empty()) << "a hover notice with nothing under the mouse calls nobody";

  // A late leave notice must not swallow the next press on the control under the pointer.
  s.EndStartingCapture();
  s.Send(WM_MOUSEMOVE, 20, 20);
  SendMessageW(s.hwnd, WM_MOUSELEAVE, 0, 0);
  s.Take();
  s.Send(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  EXPECT_EQ(s.Take(), (Log{"enter A", "ldown A", "killfocus window", "setfocus A"}));
  EXPECT_EQ(s.window.captureControl(), s.a);
  s.Send(WM_LBUTTONUP, 20, 20);
}

TEST(Hover, TrackingIsRequestedOncePerNotice) {
  Scene s;
  s.EndStartingCapture();
  // The system keeps a tracking request only for the window under the real pointer.
  SetCursorPos(20, 20);
  TRACKMOUSEEVENT query = {sizeof query, TME_QUERY, nullptr, 0};
  auto tracked = [&]() {
    query = {sizeof query, TME_QUERY, nullptr, 0};
    TrackMouseEvent(&query);
    return query.hwndTrack == s.hwnd && (query.dwFlags & TME_LEAVE) != 0;
  };
  TRACKMOUSEEVENT cancel = {sizeof cancel, TME_CANCEL | TME_HOVER | TME_LEAVE, s.hwnd, 0};

  EXPECT_EQ(s.window.trackingMouse(), 0);
  s.Send(WM_MOUSEMOVE, 20, 20);
  EXPECT_EQ(s.window.trackingMouse(), 1);
  EXPECT_TRUE(tracked()) << "the first move asks for hover and leave notices";
  EXPECT_EQ(query.dwFlags & (TME_HOVER | TME_LEAVE), static_cast<DWORD>(TME_HOVER | TME_LEAVE));
  EXPECT_EQ(query.dwHoverTime, 500u);

  // With the request outstanding, further moves make no new one.
  TrackMouseEvent(&cancel);
  ASSERT_FALSE(tracked());
  s.Send(WM_MOUSEMOVE, 25, 25);
  s.Send(WM_MOUSEMOVE, 120, 20);
  EXPECT_FALSE(tracked()) << "a move while a request is outstanding asks again";

  // A notice ends the request; the next move makes a new one.
  SendMessageW(s.hwnd, WM_MOUSEHOVER, 0, Point(120, 20));
  EXPECT_EQ(s.window.trackingMouse(), 0);
  s.Send(WM_MOUSEMOVE, 121, 20);
  EXPECT_EQ(s.window.trackingMouse(), 1);
  EXPECT_TRUE(tracked());
  TrackMouseEvent(&cancel);
  SetCursorPos(1200, 780);
  DropQueued(s.hwnd);
}

TEST(Capture, HeldByThePressedControlAcrossOthers) {
  Scene s;
  s.EndStartingCapture();
  s.Send(WM_MOUSEMOVE, 20, 20);
  s.Take();
  s.Send(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  EXPECT_EQ(s.Take(), (Log{"ldown A", "killfocus window", "setfocus A"}));
  EXPECT_EQ(GetCapture(), s.hwnd);
  EXPECT_EQ(s.window.captureControl(), s.a);

  // Enter and leave follow the mouse; the moves go to the control that holds the capture.
  s.Send(WM_MOUSEMOVE, 150, 50, MK_LBUTTON);
  EXPECT_EQ(s.Take(), (Log{"leave A", "enter B", "move A"}));
  s.Send(WM_LBUTTONUP, 150, 50);
  EXPECT_EQ(s.Take(), (Log{"lup A"})) << "the release goes to the pressed control, not to B";
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(s.window.captureControl(), nullptr);
  s.Send(WM_MOUSEMOVE, 151, 50);
  EXPECT_EQ(s.Take(), (Log{"move B"}));
}

TEST(Capture, RightPressDuringAHeldLeftPressEndsIt) {
  Scene s;
  s.EndStartingCapture();
  s.Send(WM_MOUSEMOVE, 20, 20);
  s.Send(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  s.Take();
  s.Send(WM_RBUTTONDOWN, 20, 20, MK_LBUTTON | MK_RBUTTON);
  EXPECT_EQ(s.Take(), (Log{"rdown A"})) << "the focus is already on A";
  s.Send(WM_RBUTTONUP, 20, 20, MK_LBUTTON);
  EXPECT_EQ(s.Take(), (Log{"rup A"}));
  EXPECT_EQ(s.window.captureControl(), nullptr);
  s.Send(WM_LBUTTONUP, 20, 20);
  EXPECT_TRUE(s.Take().empty()) << "the later left release reaches no control";
}

TEST(Focus, MovesOnPressAndOnRequest) {
  Scene s;
  s.EndStartingCapture();
  s.Send(WM_MOUSEMOVE, 20, 20);
  s.Send(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  s.Send(WM_LBUTTONUP, 20, 20);
  s.Send(WM_MOUSEMOVE, 150, 50);
  s.Take();
  s.Send(WM_LBUTTONDOWN, 150, 50, MK_LBUTTON);
  EXPECT_EQ(s.Take(), (Log{"ldown B", "killfocus A", "setfocus B"}));
  s.Send(WM_LBUTTONUP, 150, 50);
  s.Send(WM_LBUTTONDOWN, 150, 50, MK_LBUTTON);
  EXPECT_EQ(s.Take(), (Log{"lup B", "ldown B"})) << "pressing the focused control again";
  s.Send(WM_LBUTTONUP, 150, 50);
  s.Take();

  // The native focus messages go to the focused control.
  SendMessageW(s.hwnd, WM_KILLFOCUS, 0, 0);
  SendMessageW(s.hwnd, WM_SETFOCUS, 0, 0);
  EXPECT_EQ(s.Take(), (Log{"killfocus B", "setfocus B"}));

  EXPECT_EQ(s.Request(dl::CR_FOCUS, s.a), 1);
  EXPECT_EQ(s.Take(), (Log{"killfocus B", "setfocus A"}));
  EXPECT_EQ(s.Request(dl::CR_GETFOCUS, reinterpret_cast<dl::Control*>(1)),
            reinterpret_cast<LRESULT>(s.a));
  EXPECT_EQ(s.Request(dl::CR_FOCUS, s.a), 1);
  EXPECT_EQ(s.Take(), (Log{"setfocus A"})) << "asked again: no kill-focus on itself";

  // A control that refuses the focus leaves the window without a focused control.
  s.b->set_accept_focus(0);
  EXPECT_EQ(s.Request(dl::CR_FOCUS, s.b), 0);
  EXPECT_EQ(s.Take(), (Log{"killfocus A", "setfocus B"}));
  EXPECT_EQ(s.window.focusControl(), nullptr);
  EXPECT_EQ(s.Request(dl::CR_GETFOCUS, reinterpret_cast<dl::Control*>(1)), 0);
  // A request without a control is not served.
  EXPECT_EQ(SendMessageW(s.hwnd, dl::WM_CONTROL_REQUEST, dl::CR_FOCUS, 0), 0);
  EXPECT_TRUE(s.Take().empty());
}

TEST(Press, OverNothingChangesNothing) {
  Scene s;
  s.EndStartingCapture();
  s.Send(WM_MOUSEMOVE, 20, 20);
  s.Send(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  s.Send(WM_LBUTTONUP, 20, 20);
  s.Send(WM_MOUSEMOVE, -3, -3);
  ASSERT_EQ(s.window.hoverControl(), nullptr);
  s.Take();
  for (UINT press : {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_LBUTTONDBLCLK}) {
    s.Send(press, -3, -3);
  }
  EXPECT_TRUE(s.Take().empty());
  EXPECT_NE(GetCapture(), s.hwnd);
  EXPECT_EQ(s.window.captureControl(), nullptr);
  EXPECT_EQ(s.window.focusControl(), s.a);
}

TEST(Press, InsideTheDragRectangleStartsANativeDrag) {
  Scene s;
  s.window.set_drag_rect({0, 0, 200, 30});
  s.EndStartingCapture();
  s.Send(WM_MOUSEMOVE, 20, 20);
  s.Take();
  EXPECT_EQ(s.Send(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON), 0);
  ASSERT_EQ(s.window.dragStarts.size(), 1u);
  EXPECT_EQ(s.window.dragStarts[0], Point(20, 20));
  EXPECT_TRUE(s.Take().empty()) << "no control sees a press that drags the window";
  EXPECT_NE(GetCapture(), s.hwnd);
  EXPECT_EQ(s.window.captureControl(), nullptr);
  EXPECT_EQ(s.window.focusControl(), &s.window);

  // Right presses there, and left presses outside the rectangle, go to the control.
  s.Send(WM_RBUTTONDOWN, 20, 20);
  s.Send(WM_RBUTTONUP, 20, 20);
  EXPECT_EQ(s.Take(), (Log{"rdown A", "killfocus window", "setfocus A", "rup A"}));
  s.Send(WM_MOUSEMOVE, 20, 40);
  s.Send(WM_LBUTTONDOWN, 20, 40, MK_LBUTTON);
  EXPECT_EQ(s.WithoutMoves(), (Log{"ldown A"}));
  EXPECT_EQ(s.window.dragStarts.size(), 1u);
}

TEST(Wheel, GoesToTheHoveredControlAndRepostsAMove) {
  Scene s;
  SetWindowPos(s.hwnd, nullptr, 100, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  s.EndStartingCapture();
  s.Send(WM_MOUSEMOVE, 20, 20);
  DropQueued(s.hwnd);
  s.Take();
  // Screen coordinates: B's (150, 50) on the window moved to (100, 50).
  SendMessageW(s.hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), Point(250, 100));
  EXPECT_EQ(s.Take(), (Log{"wheel A"}));
  MSG posted;
  ASSERT_TRUE(PeekMessageW(&posted, s.hwnd, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE));
  EXPECT_EQ(posted.wParam, 0u);
  EXPECT_EQ(posted.lParam, Point(150, 50)) << "the position in client coordinates";
  DispatchMessageW(&posted);
  EXPECT_EQ(s.Take(), (Log{"leave A", "enter B", "move B"}));
}

TEST(GoingAway, ClearsThePointersWithoutCallsAndFindsTheNewHover) {
  Scene s;
  s.EndStartingCapture();
  s.Send(WM_MOUSEMOVE, 20, 20);
  s.Send(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  ASSERT_EQ(s.window.captureControl(), s.a);
  ASSERT_EQ(s.window.focusControl(), s.a);
  // The real pointer over B: the window looks there for what is now under the mouse.
  SetCursorPos(150, 50);
  DropQueued(s.hwnd);
  s.Take();

  EXPECT_EQ(s.Request(dl::CR_RELEASE, s.b), 0);
  EXPECT_EQ(s.window.hoverControl(), s.a) << "B holds nothing: nothing changes";
  DropQueued(s.hwnd);
  EXPECT_EQ(s.Request(dl::CR_RELEASE, s.panel), 0) << "A is inside the panel";
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

  // A control deleted under the mouse tells the window itself.
  delete s.b;
  EXPECT_EQ(s.window.hoverControl(), nullptr);
  EXPECT_TRUE(s.Take().empty());
  SetCursorPos(1200, 780);
  DropQueued(s.hwnd);
}

TEST(DeferredDeletion, AskingTwiceDeletesOnceAndQueuedDescendantsGoWithTheirAncestor) {
  Scene s;
  int deletions = 0;
  auto* d = new ProbeControl("D", {120, 20, 130, 30}, s.b, &s.log);
  d->set_deletions(&deletions);
  s.Request(dl::CR_DELETELATER, d);
  d->DeleteLater();
  EXPECT_EQ(deletions, 0) << "deleted only at the next WM_NULL";
  MSG posted;
  EXPECT_TRUE(PeekMessageW(&posted, s.hwnd, WM_NULL, WM_NULL, PM_NOREMOVE));
  SendMessageW(s.hwnd, WM_NULL, 0, 0);
  EXPECT_EQ(deletions, 1);
  EXPECT_TRUE(s.b->children().empty());
  SendMessageW(s.hwnd, WM_NULL, 0, 0);
  EXPECT_EQ(deletions, 1);

  int panelDeletions = 0, childDeletions = 0;
  s.a->set_deletions(&childDeletions);
  s.panel->set_deletions(&panelDeletions);
  // The panel goes first and takes A with it; A's own entry must not delete it again.
  s.Request(dl::CR_DELETELATER, s.panel);
  s.Request(dl::CR_DELETELATER, s.a);
  s.Request(dl::CR_DELETELATER, s.panel);
  SendMessageW(s.hwnd, WM_NULL, 0, 0);
  EXPECT_EQ(childDeletions, 1);
  EXPECT_EQ(panelDeletions, 1);
  EXPECT_EQ(s.window.children().size(), 1u);
  DropQueued(s.hwnd);
}

TEST(DeferredDeletion, WindowDeletingItselfReturnsZero) {
  CallLog log;
  bool destroyed = false;
  auto* window = new ProbeWindow({0, 0, 120, 80}, &log);
  window->set_destroyed_flag(&destroyed);
  int childDeletions = 0;
  auto* child = new ProbeControl("C", {10, 10, 20, 20}, window, &log);
  child->set_deletions(&childDeletions);
  HWND hwnd = window->GetHwnd();
  ASSERT_EQ(dl::Windows()->Lookup(hwnd), window);

  SendMessageW(hwnd, dl::WM_CONTROL_REQUEST, dl::CR_DELETELATER, reinterpret_cast<LPARAM>(child));
  SendMessageW(hwnd, dl::WM_CONTROL_REQUEST, dl::CR_DELETELATER, reinterpret_cast<LPARAM>(window));
  EXPECT_EQ(SendMessageW(hwnd, WM_NULL, 0, 0), 0);
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(childDeletions, 1);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(dl::Windows()->Lookup(hwnd), nullptr);
  DropQueued(hwnd);
}

}  // namespace
}  // namespace dltest
