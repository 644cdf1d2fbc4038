// The banner thread against a real skinned window on a thread of its own. The banner thread never
// ends, so this program ends its process itself.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <gdiplus.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>

#include "app/site_config.h"
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
    seen = std::to_string((InSendMessageEx(nullptr) & ISMEX_SEND) != 0) +
           std::to_string(control->parent() == nullptr);
    control->SetParent(this);
    const RECT r = control->GetRect();
    seen += std::to_string(std::count(children().begin(), children().end(), control)) + " " +
            std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
            "," + std::to_string(r.bottom);
    auto* banner = dynamic_cast<dl::BannerBrowser*>(control);
    browserWindow = banner != nullptr ? banner->browserWindow() : nullptr;
    SetEvent(attached);
    return 1;
  }
  std::string seen;  // sent (the banner thread waits), had no parent, now a child once; where
  HWND browserWindow = nullptr;
  HANDLE attached = CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

DWORD WINAPI WindowThread(void* param) {
  // The window lives as long as the process: the banner in its tree belongs to another thread.
  *static_cast<std::atomic<AttachingWindow*>*>(param) = new AttachingWindow();
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}

TEST(BannerThread, BannerJoinsTheWindowTreeOnTheWindowThreadAndItsThreadServesTheBrowser) {
  std::atomic<AttachingWindow*> made{nullptr};
  CreateThread(nullptr, 0, WindowThread, &made, 0, nullptr);
  for (int waited = 0; made == nullptr && waited < 10000; waited += 10) Sleep(10);
  AttachingWindow* const window = made;
  ASSERT_NE(window, nullptr);
  wcscpy(dl::g_bannerUrl, L"about:blank");
  DWORD bannerThreadId = 0;
  HANDLE bannerThread = CreateThread(nullptr, 0, dl::BannerThreadProc, window, 0, &bannerThreadId);
  ASSERT_EQ(WaitForSingleObject(window->attached, 15000), WAIT_OBJECT_0);
  EXPECT_EQ(window->seen, "111 2,37,597,211");
  // The browser's window is in the installer window already, and belongs to the banner thread.
  const HWND browser = window->browserWindow;
  ASSERT_NE(browser, nullptr);
  EXPECT_EQ(GetParent(browser), window->GetHwnd());
  EXPECT_EQ(GetWindowThreadProcessId(browser, nullptr), bannerThreadId);
  // The thread goes on serving the browser: a message to its window is still answered.
  DWORD_PTR reply = 0;
  EXPECT_NE(SendMessageTimeoutW(browser, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &reply), 0);
  EXPECT_EQ(WaitForSingleObject(bannerThread, 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
  const int result = RUN_ALL_TESTS();
  fflush(nullptr);
  // The banner and window threads run for the rest of the process, as in the program.
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
  return result;
}
