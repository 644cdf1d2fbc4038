// The banner thread against a real skinned window.
#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>
#include <gdiplus.h>
#include <algorithm>
#include <cstdio>
#include <string>

#include "config/site_settings.h"
#include "browser/banner_browser.h"
#include "browser/banner_thread.h"
#include "ui/framework/skin_window.h"
#include "ui/installer/window_messages.h"

namespace {

// The installer window's part: it attaches what it is sent to its own tree.
class AttachingWindow : public dl::SkinWindow {
 public:
  AttachingWindow()
      : SkinWindow(RECT{0, 0, 600, 350}, nullptr, L"BannerTestWindow", nullptr, 0, WS_POPUP, 0, 0,
                   nullptr, nullptr) {}
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg != dl::WM_ATTACH_BANNER) return SkinWindow::HandleMessage(msg, wParam, lParam);
    auto* control = reinterpret_cast<dl::Control*>(lParam);
    // Sent (the banner thread waits), had no parent, now a child once; where it sits.
    const bool sent = (InSendMessageEx(nullptr) & ISMEX_SEND) != 0, orphan = !control->parent();
    control->SetParent(this);
    const RECT r = control->GetRect();
    char text[64];
    snprintf(text, sizeof text, "%d%d%d %ld,%ld,%ld,%ld", sent, orphan,
             static_cast<int>(std::count(children().begin(), children().end(), control)), r.left,
             r.top, r.right, r.bottom);
    seen = text;
    auto* banner = dynamic_cast<dl::BannerBrowser*>(control);
    browserWindow = banner != nullptr ? banner->browserWindow() : nullptr;
    SetEvent(attached);
    return 1;
  }
  std::string seen;
  HWND browserWindow = nullptr;
  HANDLE attached = CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

TEST(BannerThread, BannerJoinsTheWindowTreeOnTheWindowThreadAndItsThreadServesTheBrowser) {
  auto* window = new AttachingWindow();  // never deleted: its tree holds the banner thread's part
  static dl::BannerStart start = {window, L"about:blank"};
  DWORD threadId = 0;
  HANDLE thread = CreateThread(nullptr, 0, dl::BannerThreadProc, &start, 0, &threadId);
  for (const DWORD start = GetTickCount(); GetTickCount() - start < 15000;) {
    if (MsgWaitForMultipleObjects(1, &window->attached, FALSE, 50, QS_ALLINPUT) == 0) break;
    for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);
  }
  ASSERT_EQ(WaitForSingleObject(window->attached, 0), WAIT_OBJECT_0);
  EXPECT_EQ(window->seen, "111 2,37,597,211");
  // Already in the installer window, owned by the banner thread, which still answers it.
  const HWND browser = window->browserWindow;
  ASSERT_NE(browser, nullptr);
  EXPECT_EQ(GetParent(browser), window->GetHwnd());
  EXPECT_EQ(GetWindowThreadProcessId(browser, nullptr), threadId);
  DWORD_PTR reply = 0;
  EXPECT_NE(SendMessageTimeoutW(browser, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &reply), 0);
  EXPECT_EQ(WaitForSingleObject(thread, 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
  const int result = RUN_ALL_TESTS();
  fflush(nullptr);
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));  // the threads never end
}
