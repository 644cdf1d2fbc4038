// The control tree without painting: hit testing, state changes and their events, moving and
// re-parenting, ownership, and the requests a control sends to its window.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "tests/ui/controls_test_support.h"
#include "ui/controls/control.h"
#include "ui/controls/control_events.h"

namespace {

using dltest::RecordingRoot;

RECT Rect(LONG l, LONG t, LONG r, LONG b) { return RECT{l, t, r, b}; }

dl::Control* Child(dl::Control* parent, const RECT& r, int id = 0) {
  return new dl::Control(r, nullptr, parent, id, nullptr, nullptr, nullptr);
}

::testing::AssertionResult Equal(const RECT& a, const RECT& b) {
  if (EqualRect(&a, &b)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "(" << a.left << "," << a.top << "," << a.right << "," << a.bottom << ") is not ("
         << b.left << "," << b.top << "," << b.right << "," << b.bottom << ")";
}

// Counts destructions, to see who deletes what.
class Counted : public dl::Control {
 public:
  Counted(dl::Control* parent, const RECT& r, int* destroyed)
      : dl::Control(r, nullptr, parent, 0, nullptr, nullptr, nullptr), destroyed_(destroyed) {}
  ~Counted() override { ++*destroyed_; }

 private:
  int* destroyed_;
};

TEST(ControlTree, HitTestFindsTheTopmostEnabledVisibleControl) {
  dl::Control root(Rect(0, 0, 200, 100), nullptr, nullptr, 0, nullptr, nullptr, nullptr);
  dl::Control* panel = Child(&root, Rect(10, 10, 110, 60));
  dl::Control* under = Child(panel, Rect(0, 0, 50, 50));
  dl::Control* over = Child(panel, Rect(20, 0, 70, 50));
  dl::Control* sticking = Child(panel, Rect(80, 30, 150, 80));  // past the panel's corner

  EXPECT_EQ(root.HitTest(15, 15), under);
  EXPECT_EQ(root.HitTest(40, 20), over) << "the later child is on top";
  EXPECT_EQ(root.HitTest(100, 55), sticking);
  EXPECT_EQ(root.HitTest(100, 65), &root) << "outside the parent a child is not hit";
  EXPECT_EQ(root.HitTest(110, 20), &root) << "right edge is exclusive";
  EXPECT_EQ(root.HitTest(10, 10), under) << "left and top edges are inclusive";
  EXPECT_EQ(root.HitTest(250, 20), nullptr);

  over->Enable(0);
  EXPECT_EQ(root.HitTest(40, 20), under);
  panel->Show(0);
  EXPECT_EQ(root.HitTest(15, 15), &root) << "a hidden control hides its subtree";
  panel->Show(1);
  panel->Enable(0);
  EXPECT_EQ(root.HitTest(15, 15), &root) << "a disabled control hides its subtree";
  root.Show(0);
  EXPECT_EQ(root.HitTest(150, 80), nullptr);
}

TEST(ControlTree, ShowAndEnableRaiseOnlyOnChangeAndResetFramesOfGroups) {
  RecordingRoot root(Rect(0, 0, 100, 100));
  dl::Control* group = Child(&root, Rect(0, 0, 50, 50));
  dl::Control* member = Child(group, Rect(0, 0, 10, 10));
  dl::Control* deep = Child(member, Rect(0, 0, 5, 5));
  dl::Control* leaf = Child(&root, Rect(60, 0, 70, 10));
  group->SetNotify(1, 0);
  leaf->SetNotify(1, 0);
  for (dl::Control* c : {group, member, deep, leaf}) c->SetFrame(2, 1);

  group->Show(1);
  leaf->Enable(1);
  EXPECT_TRUE(root.events.empty()) << "unchanged state raises nothing";

  group->Show(0);
  int col = -1, row = -1;
  for (dl::Control* c : {group, member, deep}) {
    c->GetFrame(&col, &row);
    EXPECT_EQ(col, 0);
    EXPECT_EQ(row, 0);
  }
  leaf->Show(0);
  leaf->GetFrame(&col, &row);
  EXPECT_EQ(col, 2) << "a control without children keeps its frame";
  EXPECT_EQ(row, 1);
  EXPECT_EQ(leaf->IsVisible(), 0);

  leaf->Enable(0);
  leaf->Enable(0);
  ASSERT_EQ(root.events.size(), 3u);
  EXPECT_EQ(root.events[0].code, dl::CN_SHOWCHANGED);
  EXPECT_EQ(root.events[0].source, group);
  EXPECT_EQ(root.events[0].lParam, 0u);
  EXPECT_EQ(root.events[1].source, leaf);
  EXPECT_EQ(root.events[2].code, dl::CN_ENABLECHANGED);
  EXPECT_EQ(root.events[2].lParam, 0u);
  EXPECT_EQ(root.events[2].wParam, 0u);
  EXPECT_EQ(leaf->IsEnabled(), 0);
}

TEST(ControlTree, FrameGridAlphaAndNameKeepTheirRules) {
  dl::Control strip(Rect(10, 0, 146, 34), nullptr, nullptr, 0, nullptr, nullptr, nullptr);
  strip.SetFrameGrid(4, 1);
  EXPECT_TRUE(Equal(strip.GetRect(), Rect(10, 0, 44, 34)));
  strip.SetFrameGrid(4, 2);  // divides the current rectangle again
  EXPECT_TRUE(Equal(strip.GetRect(), Rect(10, 0, 18, 17)));

  unsigned alpha = 0;
  strip.SetAlpha(300);
  strip.GetAlpha(&alpha);
  EXPECT_EQ(alpha, 255u);
  strip.SetAlpha(100);
  strip.GetAlpha(&alpha);
  EXPECT_EQ(alpha, 100u);

  wchar_t name[] = L"progress";
  strip.SetName(name);
  name[0] = L'P';
  EXPECT_STREQ(strip.GetName(), L"progress");
  strip.SetName(L"");
  EXPECT_EQ(strip.GetName(), nullptr);
  EXPECT_EQ(strip.ApplyCursor(), 0) << "no cursor of its own";
}

TEST(ControlTree, NotifyForwardsOnlyBelowTheRootAndOnlyWhenSwitchedOn) {
  RecordingRoot root(Rect(0, 0, 100, 100));
  dl::Control* panel = Child(&root, Rect(0, 0, 50, 50), 1);
  dl::Control* item = Child(panel, Rect(0, 0, 10, 10), 2);

  // The root has no parent: the call, recursion included, is ignored.
  root.SetNotify(1, 1);
  EXPECT_EQ(root.ForwardsToParent(), 0);
  EXPECT_EQ(panel->ForwardsToParent(), 0);
  EXPECT_EQ(item->OnLButtonDown(1, dltest::Point(3, 4)), 0);
  EXPECT_TRUE(root.events.empty());

  panel->SetNotify(1, 0);
  EXPECT_EQ(item->OnLButtonDown(1, dltest::Point(3, 4)), 0) << "item itself does not forward";
  EXPECT_TRUE(root.events.empty());

  panel->SetNotify(1, 1);
  EXPECT_EQ(item->ForwardsToParent(), 1);
  // Through the panel to the root; the source stays the control that raised it, and the
  // root's answer comes back.
  EXPECT_EQ(item->OnMouseWheel(MAKEWPARAM(0, 120), dltest::Point(300, 400)), 7);
  ASSERT_EQ(root.events.size(), 1u);
  EXPECT_EQ(root.events[0].code, dl::CN_MOUSEWHEEL);
  EXPECT_EQ(root.events[0].source, item);
  EXPECT_EQ(root.events[0].wParam, static_cast<uint32_t>(MAKEWPARAM(0, 120)));
  EXPECT_EQ(root.events[0].lParam, static_cast<uint32_t>(dltest::Point(300, 400)));

  // Every handler raises its own code, in the order of the codes.
  root.events.clear();
  item->OnMouseEnter(0, 0);
  item->OnMouseMove(0, 0);
  item->OnMouseHover(0, 0);
  item->OnMouseLeave(0, 0);
  item->OnLButtonDown(0, 0);
  item->OnLButtonUp(0, 0);
  item->OnLButtonDblClk(0, 0);
  item->OnRButtonDown(0, 0);
  item->OnRButtonUp(0, 0);
  item->OnRButtonDblClk(0, 0);
  item->OnMButtonDown(0, 0);
  item->OnMButtonUp(0, 0);
  item->OnMButtonDblClk(0, 0);
  item->OnMouseWheel(0, 0);
  EXPECT_EQ(item->OnSetFocus(), 1);
  item->OnKillFocus();
  std::vector<int32_t> expected;
  for (int32_t code = dl::CN_MOUSEENTER; code <= dl::CN_MOUSEWHEEL; ++code)
    expected.push_back(code);
  expected.push_back(dl::CN_SETFOCUS);
  expected.push_back(dl::CN_KILLFOCUS);
  EXPECT_EQ(root.Codes(), expected);

  panel->SetNotify(0, 1);
  EXPECT_EQ(item->ForwardsToParent(), 0);
  LRESULT result = 0;
  EXPECT_EQ(item->FilterMessage(WM_KEYDOWN, 0, 0, &result), 0);
}

TEST(ControlTree, MoveShiftsChildrenAndIgnoresNoChange) {
  dl::Control root(Rect(0, 0, 300, 300), nullptr, nullptr, 0, nullptr, nullptr, nullptr);
  dl::Control* panel = Child(&root, Rect(10, 10, 110, 60));
  dl::Control* item = Child(panel, Rect(5, 5, 25, 15));
  const RECT itemPlace = Rect(5, 5, 25, 15);
  item->Move(&itemPlace, 0);  // its own flag, which moving the panel must keep
  EXPECT_TRUE(Equal(item->GetRect(), Rect(15, 15, 35, 25)));

  RECT old = panel->Move(nullptr, 0);
  EXPECT_TRUE(Equal(old, Rect(10, 10, 110, 60)));
  EXPECT_EQ(panel->IsStretched(), 1) << "no rectangle, no change";
  const RECT same = Rect(10, 10, 110, 60);
  old = panel->Move(&same, 1);
  EXPECT_TRUE(Equal(old, same));
  EXPECT_TRUE(Equal(panel->GetRect(), same));
  old = panel->Move(&same, 0);
  EXPECT_EQ(panel->IsStretched(), 0) << "another flag counts as a change";

  const RECT moved = Rect(50, 40, 200, 100);
  old = panel->Move(&moved, 1);
  EXPECT_TRUE(Equal(old, same));
  EXPECT_TRUE(Equal(panel->GetRect(), moved));
  EXPECT_TRUE(Equal(item->GetRect(), Rect(55, 45, 75, 55))) << "children keep their offsets";
  EXPECT_EQ(item->IsStretched(), 0);
  // The result is relative to the parent, like the argument.
  const RECT inside = Rect(0, 0, 10, 10);
  old = item->Move(&inside, 1);
  EXPECT_TRUE(Equal(old, Rect(5, 5, 25, 15)));
  EXPECT_TRUE(Equal(item->GetRect(), Rect(50, 40, 60, 50)));
}

TEST(ControlTree, SetParentContainsAndDestructionKeepTheListsRight) {
  dl::Control root(Rect(0, 0, 300, 300), nullptr, nullptr, 0, nullptr, nullptr, nullptr);
  dl::Control* a = Child(&root, Rect(10, 10, 100, 100));
  dl::Control* b = Child(&root, Rect(100, 100, 200, 200));
  dl::Control* item = Child(a, Rect(5, 5, 15, 15));
  EXPECT_EQ(root.Contains(item), 1);
  EXPECT_EQ(a->Contains(item), 1);
  EXPECT_EQ(b->Contains(item), 0);
  EXPECT_EQ(item->Contains(a), 0);
  EXPECT_EQ(root.Contains(&root), 0);
  EXPECT_EQ(root.Contains(nullptr), 0);

  EXPECT_EQ(item->SetParent(nullptr), a);
  EXPECT_EQ(item->parent(), a);
  EXPECT_EQ(item->SetParent(b), a);
  EXPECT_EQ(item->parent(), b);
  EXPECT_TRUE(a->children().empty());
  ASSERT_EQ(b->children().size(), 1u);
  EXPECT_TRUE(Equal(item->GetRect(), Rect(105, 105, 115, 115)));
  EXPECT_EQ(b->Contains(item), 1);

  int destroyed = 0;
  auto* first = new Counted(b, Rect(0, 0, 1, 1), &destroyed);
  auto* second = new Counted(first, Rect(0, 0, 1, 1), &destroyed);
  new Counted(second, Rect(0, 0, 1, 1), &destroyed);
  new Counted(b, Rect(0, 0, 1, 1), &destroyed);
  ASSERT_EQ(b->children().size(), 3u);
  delete first;  // takes its subtree along and leaves b's list
  EXPECT_EQ(destroyed, 3);
  ASSERT_EQ(b->children().size(), 2u);
  EXPECT_EQ(b->children()[0], item);
  delete b;
  EXPECT_EQ(destroyed, 4);
  ASSERT_EQ(root.children().size(), 1u);
  EXPECT_EQ(root.children()[0], a);
}

// A window that answers control requests the way the framework's window does, and
// records them.
class RequestWindow {
 public:
  RequestWindow() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &RequestWindow::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"dl_control_requests";
    RegisterClassW(&wc);
    hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName, L"", WS_POPUP, 0,
                            0, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    // Only a shown window collects an update region.
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
  }
  ~RequestWindow() { DestroyWindow(hwnd_); }
  RequestWindow(const RequestWindow&) = delete;
  RequestWindow& operator=(const RequestWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  struct Request {
    WPARAM what;
    LPARAM control;
  };
  std::vector<Request> requests;
  dl::Control* focus = nullptr;

  // The bounding box of what was invalidated since the last call.
  RECT TakeDirty() {
    RECT dirty = {};
    GetUpdateRect(hwnd_, &dirty, FALSE);
    ValidateRect(hwnd_, nullptr);
    return dirty;
  }
  bool SetCursorPosted() {
    MSG msg;
    return PeekMessageW(&msg, hwnd_, WM_SETCURSOR, WM_SETCURSOR, PM_REMOVE) != 0;
  }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<RequestWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr && msg == dl::WM_CONTROL_REQUEST) {
      self->requests.push_back({wParam, lParam});
      if (wParam == dl::CR_GETFOCUS) return reinterpret_cast<LRESULT>(self->focus);
      if (wParam == dl::CR_FOCUS) {
        self->focus = reinterpret_cast<dl::Control*>(lParam);
        return self->focus->OnSetFocus();
      }
      return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }

  HWND hwnd_ = nullptr;
};

TEST(ControlTree, RequestsAndRepaintsGoToTheRootsWindow) {
  RequestWindow window;
  ASSERT_NE(window.hwnd(), nullptr);
  window.TakeDirty();
  dl::Control root(Rect(0, 0, 300, 200), nullptr, nullptr, 0, window.hwnd(), nullptr, nullptr);
  dl::Control* panel = Child(&root, Rect(10, 10, 110, 60));
  dl::Control* item = Child(panel, Rect(90, 40, 130, 80));
  EXPECT_EQ(item->GetHwnd(), window.hwnd()) << "children take the root's window";
  window.TakeDirty();

  // Invalidation is clipped by the parent's rectangle only.
  item->SetFrame(1, 0);
  EXPECT_TRUE(Equal(window.TakeDirty(), Rect(100, 50, 110, 60)));
  item->SetFrame(1, 0);
  EXPECT_TRUE(Equal(window.TakeDirty(), Rect(0, 0, 0, 0))) << "unchanged frame, no repaint";
  const RECT moved = Rect(20, 20, 40, 30);
  panel->Move(&moved, 1);
  EXPECT_TRUE(Equal(window.TakeDirty(), Rect(10, 10, 110, 60))) << "old and new areas";

  EXPECT_EQ(item->HasFocus(), 0);
  EXPECT_EQ(item->RequestFocus(), 1);
  EXPECT_EQ(item->GetFocusedControl(), item);
  EXPECT_EQ(item->HasFocus(), 1);
  EXPECT_EQ(panel->HasFocus(), 0);

  window.requests.clear();
  panel->Show(0);
  panel->Show(0);
  item->DeleteLater();
  ASSERT_EQ(window.requests.size(), 2u);
  EXPECT_EQ(window.requests[0].what, dl::CR_RELEASE);
  EXPECT_EQ(window.requests[0].control, reinterpret_cast<LPARAM>(panel));
  EXPECT_EQ(window.requests[1].what, dl::CR_DELETELATER);
  EXPECT_EQ(window.requests[1].control, reinterpret_cast<LPARAM>(item));

  while (window.SetCursorPosted()) {
  }
  item->OnMouseEnter(0, 0);
  EXPECT_TRUE(window.SetCursorPosted()) << "entering asks the window for the cursor again";

  // Going away: the children first, each telling the window, then the control itself.
  window.requests.clear();
  delete panel;
  ASSERT_EQ(window.requests.size(), 2u);
  EXPECT_EQ(window.requests[0].control, reinterpret_cast<LPARAM>(item));
  EXPECT_EQ(window.requests[1].what, dl::CR_RELEASE);
  EXPECT_EQ(window.requests[1].control, reinterpret_cast<LPARAM>(panel));
  EXPECT_TRUE(root.children().empty());
}

}  // namespace
