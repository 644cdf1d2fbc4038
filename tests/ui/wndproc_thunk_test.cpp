// Hooks on a plain native window's procedure: the target sees the context and the message
// first, forwards to the procedure it replaced, and uninstalling puts that one back; a
// second hook stacks on the first.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/framework/wndproc_thunk.h"

namespace dltest {
namespace {

constexpr UINT kProbe = WM_APP + 40;

std::vector<std::string> g_calls;

LRESULT CALLBACK PlainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kProbe) {
    g_calls.push_back("window");
    return 100 + static_cast<LRESULT>(wParam);
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// The context of a hook: its name and the thunk that forwards for it (its own unless `via`
// names another).
struct Hook {
  std::string name;
  dl::WndProcThunk thunk;
  dl::WndProcThunk* via = nullptr;
};

LRESULT CALLBACK HookTarget(void* context, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* hook = static_cast<Hook*>(context);
  if (msg == kProbe) g_calls.push_back(hook->name);
  dl::WndProcThunk* forwarder = hook->via != nullptr ? hook->via : &hook->thunk;
  return CallWindowProcW(forwarder->previousProc(), forwarder->hookedWindow(), msg, wParam, lParam);
}

HWND MakePlainWindow() {
  static ATOM atom = [] {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"FrameworkThunkPlain";
    return RegisterClassExW(&wc);
  }();
  if (atom == 0) return nullptr;
  return CreateWindowExW(0, L"FrameworkThunkPlain", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

std::vector<std::string> Probe(HWND hwnd, LRESULT* result = nullptr) {
  g_calls.clear();
  LRESULT r = SendMessageW(hwnd, kProbe, 5, 0);
  if (result != nullptr) *result = r;
  return g_calls;
}

using Calls = std::vector<std::string>;

WNDPROC ProcOf(HWND hwnd) {
  return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
}

TEST(Thunk, HookSeesTheContextFirstAndUninstallPutsTheProcedureBack) {
  HWND hwnd = MakePlainWindow();
  ASSERT_NE(hwnd, nullptr);
  Hook first{"first", {}};
  EXPECT_EQ(first.thunk.Install(nullptr, HookTarget, &first), 0);
  EXPECT_EQ(first.thunk.Install(hwnd, nullptr, &first), 0);
  EXPECT_EQ(first.thunk.Install(hwnd, HookTarget, nullptr), 0);
  EXPECT_EQ(ProcOf(hwnd), PlainProc) << "failed installs change nothing";
  EXPECT_EQ(first.thunk.Uninstall(), 0) << "nothing installed";

  ASSERT_NE(first.thunk.Install(hwnd, HookTarget, &first), 0);
  EXPECT_EQ(first.thunk.hookedWindow(), hwnd);
  EXPECT_EQ(first.thunk.previousProc(), PlainProc);
  EXPECT_NE(ProcOf(hwnd), PlainProc);
  LRESULT result = 0;
  EXPECT_EQ(Probe(hwnd, &result), (Calls{"first", "window"}));
  EXPECT_EQ(result, 105) << "the window's answer comes back through the hook";

  EXPECT_EQ(first.thunk.Uninstall(), 1);
  EXPECT_EQ(ProcOf(hwnd), PlainProc);
  EXPECT_EQ(first.thunk.hookedWindow(), nullptr);
  EXPECT_EQ(Probe(hwnd), (Calls{"window"}));
  EXPECT_EQ(first.thunk.Uninstall(), 0);

  // Installing again replaces the earlier hook of the same thunk.
  Hook other{"other", {}, &first.thunk};
  ASSERT_NE(first.thunk.Install(hwnd, HookTarget, &first), 0);
  ASSERT_NE(first.thunk.Install(hwnd, HookTarget, &other), 0);
  EXPECT_EQ(Probe(hwnd), (Calls{"other", "window"}));
  EXPECT_EQ(first.thunk.Uninstall(), 1);
  EXPECT_EQ(ProcOf(hwnd), PlainProc);
  DestroyWindow(hwnd);
}

TEST(Thunk, SecondHookStacksOnTheFirst) {
  HWND hwnd = MakePlainWindow();
  ASSERT_NE(hwnd, nullptr);
  Hook first{"first", {}};
  Hook second{"second", {}};
  ASSERT_NE(first.thunk.Install(hwnd, HookTarget, &first), 0);
  WNDPROC firstEntry = ProcOf(hwnd);
  ASSERT_NE(second.thunk.Install(hwnd, HookTarget, &second), 0);
  EXPECT_EQ(second.thunk.previousProc(), firstEntry);
  EXPECT_EQ(Probe(hwnd), (Calls{"second", "first", "window"}));

  // The lower hook cannot come out from under the upper one.
  EXPECT_EQ(first.thunk.Uninstall(), 0);
  EXPECT_EQ(Probe(hwnd), (Calls{"second", "first", "window"}));
  EXPECT_EQ(second.thunk.Uninstall(), 1);
  EXPECT_EQ(ProcOf(hwnd), firstEntry);
  EXPECT_EQ(Probe(hwnd), (Calls{"first", "window"}));
  EXPECT_EQ(first.thunk.Uninstall(), 1);
  EXPECT_EQ(ProcOf(hwnd), PlainProc);
  DestroyWindow(hwnd);
}

TEST(Thunk, LowerHookDestroyedFirstBecomesAPassThrough) {
  HWND hwnd = MakePlainWindow();
  ASSERT_NE(hwnd, nullptr);
  auto first = std::make_unique<Hook>();
  first->name = "first";
  Hook second{"second", {}};
  ASSERT_NE(first->thunk.Install(hwnd, HookTarget, first.get()), 0);
  ASSERT_NE(second.thunk.Install(hwnd, HookTarget, &second), 0);
  first.reset();
  EXPECT_EQ(Probe(hwnd), (Calls{"second", "window"}));
  EXPECT_EQ(second.thunk.Uninstall(), 1);
  EXPECT_EQ(Probe(hwnd), (Calls{"window"}));

  // A third hook takes a fresh level above the pass-through.
  Hook third{"third", {}};
  ASSERT_NE(third.thunk.Install(hwnd, HookTarget, &third), 0);
  EXPECT_EQ(Probe(hwnd), (Calls{"third", "window"}));
  DestroyWindow(hwnd);
  EXPECT_EQ(third.thunk.hookedWindow(), nullptr) << "the window's end unhooks it";
  EXPECT_EQ(third.thunk.Uninstall(), 0);
}

}  // namespace
}  // namespace dltest
