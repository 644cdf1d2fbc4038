// The control tree without painting: hit testing, events passed up, re-parenting and
// ownership, and the requests a control sends to its window.
#include <gtest/gtest.h>
#include <windows.h>

#include <utility>
#include <vector>

#include "tests/ui/ui_test_support.h"

namespace {

using dltest::Point;
using dltest::RecordingRoot;
using dltest::RectIs;

dl::Control* Child(dl::Control* parent, const RECT& r, int id = 0) {
  return new dl::Control(r, nullptr, parent, id, nullptr, nullptr, nullptr);
}

// Counts destructions, to see who deletes what.
class Counted : public dl::Control {
 public:
  Counted(dl::Control* parent, int* destroyed)
      : dl::Control(RECT{0, 0, 1, 1}, nullptr, parent, 0, nullptr, nullptr, nullptr),
        destroyed_(destroyed) {}
  ~Counted() override { ++*destroyed_; }

 private:
  int* destroyed_;
};

TEST(ControlTree, HitTestFindsTheTopmostEnabledVisibleControl) {
  dl::Control root(RECT{0, 0, 200, 100}, nullptr, nullptr, 0, nullptr, nullptr, nullptr);
  dl::Control* panel = Child(&root, {10, 10, 110, 60});
  dl::Control* under = Child(panel, {0, 0, 50, 50});
  dl::Control* over = Child(panel, {20, 0, 70, 50});
  dl::Control* sticking = Child(panel, {80, 30, 150, 80});  // past the panel's corner

  EXPECT_EQ(root.HitTest(10, 10), under) << "left and top edges are inclusive";
  EXPECT_EQ(root.HitTest(40, 20), over) << "the later child is on top";
  EXPECT_EQ(root.HitTest(100, 55), sticking);
  EXPECT_EQ(root.HitTest(100, 65), &root) << "outside the parent a child is not hit";
  EXPECT_EQ(root.HitTest(110, 20), &root) << "right edge is exclusive";
  EXPECT_EQ(root.HitTest(250, 20), nullptr);

  over->Enable(0);
  EXPECT_EQ(root.HitTest(40, 20), under);
  panel->Show(0);
  EXPECT_EQ(root.HitTest(15, 15), &root) << "a hidden control hides its subtree";
  panel->Show(1);
  panel->Enable(0);
  EXPECT_EQ(root.HitTest(15, 15), &root) << "a disabled control hides its subtree";
}

TEST(ControlTree, EventsGoUpOnlyBelowTheRootAndOnlyWhenSwitchedOn) {
  RecordingRoot root({0, 0, 100, 100});
  dl::Control* panel = Child(&root, {0, 0, 50, 50}, 1);
  dl::Control* item = Child(panel, {0, 0, 10, 10}, 2);

  root.SetNotify(1, 1);  // the root has no parent: ignored, recursion included
  panel->SetNotify(1, 0);
  EXPECT_EQ(item->OnLButtonDown(1, Point(3, 4)), 0);
  EXPECT_TRUE(root.events.empty()) << "neither the root's nor the panel's switch reaches item";

  panel->SetNotify(1, 1);
  // Through the panel to the root; the source stays the raiser, the root's answer comes back.
  EXPECT_EQ(item->OnLButtonUp(MK_SHIFT, Point(300, 400)), 7);
  ASSERT_EQ(root.events.size(), 1u);
  EXPECT_EQ(root.events[0].code, dl::CN_LBUTTONUP);
  EXPECT_EQ(root.events[0].source, item);
  EXPECT_EQ(root.events[0].wParam, static_cast<uint32_t>(MK_SHIFT));
  EXPECT_EQ(root.events[0].lParam, static_cast<uint32_t>(Point(300, 400)));
}

TEST(ControlTree, ReparentingAndDestructionKeepTheListsRight) {
  dl::Control root(RECT{0, 0, 300, 300}, nullptr, nullptr, 0, nullptr, nullptr, nullptr);
  dl::Control* a = Child(&root, {10, 10, 100, 100});
  dl::Control* b = Child(&root, {100, 100, 200, 200});
  dl::Control* item = Child(a, {5, 5, 15, 15});

  EXPECT_EQ(item->SetParent(nullptr), a);
  EXPECT_EQ(item->parent(), a) << "no new parent: stays";
  EXPECT_EQ(item->SetParent(b), a);
  EXPECT_TRUE(a->children().empty());
  ASSERT_EQ(b->children().size(), 1u);
  EXPECT_TRUE(RectIs(item->GetRect(), 105, 105, 115, 115)) << "its offset now from b";

  int destroyed = 0;
  auto* first = new Counted(b, &destroyed);
  new Counted(new Counted(first, &destroyed), &destroyed);
  new Counted(b, &destroyed);
  delete first;  // takes its subtree along and leaves b's list
  EXPECT_EQ(destroyed, 3);
  ASSERT_EQ(b->children().size(), 2u);
  EXPECT_EQ(b->children()[0], item);
  delete b;
  EXPECT_EQ(destroyed, 4);
  EXPECT_EQ(root.children(), (std::vector<dl::Control*>{a}));
}

// A window's procedure that records the control requests it gets.
using Requests = std::vector<std::pair<WPARAM, dl::Control*>>;
Requests g_requests;
LRESULT CALLBACK RequestProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != dl::WM_CONTROL_REQUEST) return DefWindowProcW(hwnd, msg, wParam, lParam);
  g_requests.push_back({wParam, reinterpret_cast<dl::Control*>(lParam)});
  return 0;
}

// The bounding box of what was invalidated since the last call.
RECT TakeDirty(HWND hwnd) {
  RECT dirty = {};
  GetUpdateRect(hwnd, &dirty, FALSE);
  ValidateRect(hwnd, nullptr);
  return dirty;
}

bool SetCursorPosted(HWND hwnd) {
  MSG msg;
  return PeekMessageW(&msg, hwnd, WM_SETCURSOR, WM_SETCURSOR, PM_REMOVE) != 0;
}

TEST(ControlTree, RequestsAndRepaintsGoToTheRootsWindow) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = RequestProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"dl_control_requests";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName, L"", WS_POPUP,
                              0, 0, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(hwnd, nullptr);
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);  // only a shown window collects an update region
  dl::Control root(RECT{0, 0, 300, 200}, nullptr, nullptr, 0, hwnd, nullptr, nullptr);
  dl::Control* panel = Child(&root, {10, 10, 110, 60});
  dl::Control* item = Child(panel, {90, 40, 130, 80});
  EXPECT_EQ(item->GetHwnd(), hwnd) << "children take the root's window";
  TakeDirty(hwnd);

  item->SetFrame(1, 0);
  EXPECT_TRUE(RectIs(TakeDirty(hwnd), 100, 50, 110, 60)) << "clipped by the parent";
  item->SetFrame(1, 0);
  EXPECT_TRUE(RectIs(TakeDirty(hwnd), 0, 0, 0, 0)) << "unchanged frame, no repaint";
  const RECT moved = {20, 20, 40, 30};
  panel->Move(&moved, 1);
  EXPECT_TRUE(RectIs(TakeDirty(hwnd), 10, 10, 110, 60)) << "old and new areas";

  while (SetCursorPosted(hwnd)) {
  }
  item->OnMouseEnter(0, 0);
  EXPECT_TRUE(SetCursorPosted(hwnd)) << "entering asks the window for the cursor again";

  // Hiding releases what the window holds of it, once; going away releases the children
  // first, then the control itself.
  g_requests.clear();
  panel->Show(0);
  panel->Show(0);
  EXPECT_EQ(g_requests, (Requests{{dl::CR_RELEASE, panel}}));
  g_requests.clear();
  delete panel;
  EXPECT_EQ(g_requests, (Requests{{dl::CR_RELEASE, item}, {dl::CR_RELEASE, panel}}));
  EXPECT_TRUE(root.children().empty());
  DestroyWindow(hwnd);
}

}  // namespace
