// A hook on a plain native window's procedure: the target sees the context and the message
// first and forwards to the procedure it replaced; uninstalling puts that one back.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "ui/framework/wndproc_thunk.h"

namespace dltest {
namespace {

constexpr UINT kProbe = WM_APP + 40;
using Calls = std::vector<std::string>;
Calls g_calls;

LRESULT CALLBACK PlainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != kProbe) return DefWindowProcW(hwnd, msg, wParam, lParam);
  g_calls.push_back("window");
  return 100 + static_cast<LRESULT>(wParam);
}

struct Hook {
  std::string name;
  dl::WndProcThunk thunk;
};

LRESULT CALLBACK HookTarget(void* context, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* hook = static_cast<Hook*>(context);
  if (msg == kProbe) g_calls.push_back(hook->name);
  return CallWindowProcW(hook->thunk.previousProc(), hook->thunk.hookedWindow(), msg, wParam,
                         lParam);
}

HWND MakePlainWindow() {
  static const ATOM atom = [] {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"FrameworkThunkPlain";
    return RegisterClassW(&wc);
  }();
  return atom == 0 ? nullptr
                   : CreateWindowExW(0, L"FrameworkThunkPlain", L"", WS_POPUP, 0, 0, 10, 10,
                                     nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// Who saw a probe message, in order.
Calls Probe(HWND hwnd, LRESULT* result = nullptr) {
  g_calls.clear();
  const LRESULT r = SendMessageW(hwnd, kProbe, 5, 0);
  if (result != nullptr) *result = r;
  return g_calls;
}

WNDPROC ProcOf(HWND hwnd) {
  return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
}

TEST(Thunk, HookSeesTheContextFirstAndUninstallPutsTheProcedureBack) {
  HWND hwnd = MakePlainWindow();
  ASSERT_NE(hwnd, nullptr);
  Hook first{"first", {}};
  EXPECT_EQ(first.thunk.Install(hwnd, nullptr, &first), 0);
  EXPECT_EQ(first.thunk.Install(hwnd, HookTarget, nullptr), 0);
  EXPECT_EQ(ProcOf(hwnd), PlainProc) << "failed installs change nothing";

  ASSERT_NE(first.thunk.Install(hwnd, HookTarget, &first), 0);
  LRESULT result = 0;
  EXPECT_EQ(Probe(hwnd, &result), (Calls{"first", "window"}));
  EXPECT_EQ(result, 105) << "the window's answer comes back through the hook";
  EXPECT_EQ(first.thunk.Uninstall(), 1);
  EXPECT_EQ(ProcOf(hwnd), PlainProc);
  EXPECT_EQ(Probe(hwnd), (Calls{"window"}));
  EXPECT_EQ(first.thunk.Uninstall(), 0) << "nothing installed any more";
  DestroyWindow(hwnd);
}

}  // namespace
}  // namespace dltest
