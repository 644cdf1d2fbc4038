// The banner thread against a real skinned window on a window thread of its own: the banner
// arrives by WM_ATTACH_BANNER, joins the window's tree on the window's thread at the banner
// rectangle, and its thread goes on serving the browser. That thread never ends, so this
// program ends its process itself once the tests have run.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <gdiplus.h>

#include <cstdio>
#include <string>

#include "app/site_config.h"
#include "browser/banner_browser.h"
#include "browser/banner_thread.h"
#include "ui/framework/skin_window.h"
#include "ui/installer/window_messages.h"

namespace {

std::string Text(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

// What the window thread saw when the banner arrived, recorded there.
struct Arrival {
  DWORD windowThread = 0;
  bool sent = false;
  dl::Control* control = nullptr;
  dl::Control* parentBefore = nullptr;
  dl::Control* parentAfter = nullptr;
  bool isBanner = false;
  bool inChildren = false;
  std::string rect;
  HWND controlHwnd = nullptr;
  HWND browserWindow = nullptr;
  DWORD browserThread = 0;
};

// The installer window's part in the exchange: it attaches what it is sent to its own tree.
class AttachingWindow : public dl::SkinWindow {
 public:
  AttachingWindow(Arrival* arrival, HANDLE attached)
      : SkinWindow(RECT{0, 0, 600, 350}, nullptr, L"BannerTestWindow", nullptr, 0, WS_POPUP, 0, 0,
                   nullptr, nullptr),
        arrival_(arrival),
        attached_(attached) {}

  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg != dl::WM_ATTACH_BANNER) return SkinWindow::HandleMessage(msg, wParam, lParam);
    Arrival& a = *arrival_;
    a.windowThread = GetCurrentThreadId();
    a.sent = (InSendMessageEx(nullptr) & ISMEX_SEND) != 0;
    a.control = reinterpret_cast<dl::Control*>(lParam);
    a.parentBefore = a.control->parent();
    a.control->SetParent(this);
    a.parentAfter = a.control->parent();
    for (dl::Control* child : children()) a.inChildren |= child == a.control;
    a.rect = Text(a.control->GetRect());
    a.controlHwnd = a.control->GetHwnd();
    if (auto* banner = dynamic_cast<dl::BannerBrowser*>(a.control)) {
      a.isBanner = true;
      a.browserWindow = banner->browserWindow();
      a.browserThread = GetWindowThreadProcessId(a.browserWindow, nullptr);
    }
    SetEvent(attached_);
    return 1;
  }

 private:
  Arrival* arrival_;
  HANDLE attached_;
};

struct WindowThreadStart {
  Arrival* arrival;
  HANDLE attached;
  HANDLE ready;
  AttachingWindow* window = nullptr;
};

DWORD WINAPI WindowThread(void* param) {
  auto* start = static_cast<WindowThreadStart*>(param);
  // The window lives as long as the process: the banner in its tree belongs to another thread.
  start->window = new AttachingWindow(start->arrival, start->attached);
  SetEvent(start->ready);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

TEST(BannerThread, BannerJoinsTheWindowTreeOnTheWindowThread) {
  Arrival arrival;
  dl::UniqueHandle attached(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  dl::UniqueHandle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  WindowThreadStart start = {&arrival, attached.Get(), ready.Get()};
  DWORD windowThreadId = 0;
  dl::UniqueHandle windowThread(CreateThread(nullptr, 0, WindowThread, &start, 0, &windowThreadId));
  ASSERT_TRUE(windowThread);
  ASSERT_EQ(WaitForSingleObject(ready.Get(), 10000), WAIT_OBJECT_0);
  ASSERT_NE(start.window->GetHwnd(), nullptr);
  const HWND hwnd = start.window->GetHwnd();

  wcscpy(dl::g_bannerUrl, L"about:blank");
  DWORD bannerThreadId = 0;
  dl::UniqueHandle bannerThread(
      CreateThread(nullptr, 0, dl::BannerThreadProc, start.window, 0, &bannerThreadId));
  ASSERT_TRUE(bannerThread);
  ASSERT_EQ(WaitForSingleObject(attached.Get(), 15000), WAIT_OBJECT_0);

  // Attached by the window's own thread, at the banner thread's request.
  EXPECT_EQ(arrival.windowThread, windowThreadId);
  EXPECT_TRUE(arrival.sent);
  ASSERT_NE(arrival.control, nullptr);
  EXPECT_TRUE(arrival.isBanner);
  EXPECT_EQ(arrival.parentBefore, nullptr);
  EXPECT_EQ(arrival.parentAfter, static_cast<dl::Control*>(start.window));
  EXPECT_TRUE(arrival.inChildren);
  EXPECT_EQ(arrival.rect, "2,37,597,211");
  EXPECT_EQ(arrival.controlHwnd, hwnd);
  // The browser's window is already in the installer window, and belongs to the banner thread.
  ASSERT_NE(arrival.browserWindow, nullptr);
  EXPECT_EQ(GetParent(arrival.browserWindow), hwnd);
  EXPECT_EQ(arrival.browserThread, bannerThreadId);
  RECT placed = {};
  GetWindowRect(arrival.browserWindow, &placed);
  MapWindowPoints(HWND_DESKTOP, hwnd, reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_EQ(Text(placed), "2,37,597,211");
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(arrival.browserWindow, GWL_STYLE)) & 0x56000000u,
            0x56000000u);

  // The thread goes on serving the browser: a message to its window is still answered.
  EXPECT_EQ(WaitForSingleObject(bannerThread.Get(), 500), static_cast<DWORD>(WAIT_TIMEOUT));
  DWORD_PTR reply = 0;
  EXPECT_NE(
      SendMessageTimeoutW(arrival.browserWindow, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &reply), 0);
  EXPECT_EQ(WaitForSingleObject(bannerThread.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
  const int result = RUN_ALL_TESTS();
  fflush(stdout);
  fflush(stderr);
  // The banner and window threads run for the rest of the process, as in the program.
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
  return result;
}
