// The browser object in its window: a system without one leaves a plain control that draws
// nothing and places no window; wine's object (which has no page engine on the bench) is
// hosted in place, follows the control and goes with it.
#include <gtest/gtest.h>

#include <exdisp.h>

#include <memory>

#include "browser/browser_control.h"
#include "browser/browser_site.h"
#include "tests/browser/browser_test_support.h"
#include "tests/browser/recording_browser.h"

namespace {

using dltest::ChildRect;
using dltest::CountChildWindows;
using dltest::HostWindow;
using dltest::MissingBrowserEngine;
using dltest::OleSession;
using dltest::SameRect;

const RECT kRect = {2, 37, 597, 211};
constexpr DWORD kStyle = 0x56000000;

// The native window and the root of its control tree, at the window's client origin.
class BrowserCreateTest : public ::testing::Test {
 protected:
  OleSession ole_;
  HostWindow host_;
  dl::Control root_{RECT{0, 0, 600, 350}, nullptr, nullptr, 0, host_.hwnd(), nullptr, nullptr};
};

TEST_F(BrowserCreateTest, MissingBrowserLeavesAPlainControl) {
  // Refused outright, and "made" without an object.
  for (HRESULT answer : {REGDB_E_CLASSNOTREG, S_OK}) {
    SCOPED_TRACE(answer);
    MissingBrowserEngine engine(answer);
    ASSERT_TRUE(engine.registered());
    auto control = std::make_unique<dl::BrowserControl>(kRect, &root_, kStyle, 4);
    EXPECT_EQ(control->browser(), nullptr);
    EXPECT_EQ(control->site(), nullptr);
    EXPECT_EQ(control->browserWindow(), nullptr);
    EXPECT_EQ(control->cookie(), 0xFFFFFFFFu);
    EXPECT_EQ(control->eventInterface(), GUID_NULL);
    EXPECT_EQ(control->Create(host_.hwnd(), kRect, kStyle), 0);
    EXPECT_EQ(control->parent(), &root_);

    control->Navigate(L"about:blank", nullptr, nullptr, nullptr, nullptr);
    control->Show(0);
    EXPECT_EQ(control->IsVisible(), 0);
    control->Show(1);
    EXPECT_EQ(control->IsVisible(), 1);
    control->Enable(0);
    EXPECT_EQ(control->IsEnabled(), 0);
    const RECT moved = {10, 20, 110, 70};
    EXPECT_TRUE(SameRect(control->Move(&moved, 1), kRect));
    EXPECT_TRUE(SameRect(control->GetRect(), moved));
    // Nothing covers the window: the banner area shows what the window draws there.
    EXPECT_EQ(CountChildWindows(host_.hwnd()), 0);
    control.reset();
    EXPECT_TRUE(root_.children().empty());
  }
}

TEST_F(BrowserCreateTest, BrowserIsHostedInPlaceAndFollowsTheControl) {
  auto control = std::make_unique<dltest::RecordingBrowser>(kRect, &root_, kStyle, 4);
  ASSERT_NE(control->browser(), nullptr);
  ASSERT_NE(control->site(), nullptr);
  const HWND window = control->browserWindow();
  ASSERT_NE(window, nullptr);
  dl::BrowserSite* site = control->site();

  // In place: a child of the host at the control's rectangle, with the requested style.
  EXPECT_EQ(GetParent(window), host_.hwnd());
  EXPECT_TRUE(SameRect(ChildRect(host_.hwnd(), window), kRect));
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)) & kStyle, kStyle);
  EXPECT_EQ(site->window(), host_.hwnd());
  EXPECT_TRUE(SameRect(site->position(), kRect));
  IWebBrowser2* const browser = control->browser();
  EXPECT_EQ(control->Create(host_.hwnd(), kRect, kStyle), 1);
  EXPECT_EQ(control->browser(), browser);

  // Subscribed to the browser's own event interface, which the control now answers.
  EXPECT_EQ(control->eventInterface(), DIID_DWebBrowserEvents2);
  EXPECT_NE(control->cookie(), 0xFFFFFFFFu);
  void* out = nullptr;
  EXPECT_EQ(control->QueryInterface(DIID_DWebBrowserEvents2, &out), S_OK);
  EXPECT_EQ(out, static_cast<void*>(static_cast<IDispatch*>(control.get())));

  // The window questions, answered from the site.
  HWND answer = nullptr;
  EXPECT_EQ(control->GetWindow(&answer), S_OK);
  EXPECT_EQ(answer, host_.hwnd());
  EXPECT_EQ(control->GetWindow(nullptr), E_FAIL);
  IOleContainer* container = nullptr;
  EXPECT_EQ(control->GetContainer(&container), S_OK);
  EXPECT_EQ(container, site->container());
  IOleInPlaceFrame* frame = nullptr;
  IOleInPlaceUIWindow* document = reinterpret_cast<IOleInPlaceUIWindow*>(&answer);
  RECT position = {}, clip = {};
  OLEINPLACEFRAMEINFO info;
  info.cb = 1234;
  info.fMDIApp = TRUE;
  info.hwndFrame = nullptr;
  info.haccel = reinterpret_cast<HACCEL>(&answer);
  info.cAccelEntries = 9;
  EXPECT_EQ(control->GetWindowContext(&frame, &document, &position, &clip, &info), S_OK);
  EXPECT_EQ(frame, static_cast<IOleInPlaceFrame*>(site));
  EXPECT_EQ(document, nullptr);
  EXPECT_TRUE(SameRect(position, kRect));
  EXPECT_TRUE(SameRect(clip, RECT{0, 0, 600, 350}));
  EXPECT_EQ(info.cb, 1234u);
  EXPECT_EQ(info.fMDIApp, FALSE);
  EXPECT_EQ(info.hwndFrame, host_.hwnd());
  EXPECT_EQ(info.haccel, nullptr);
  EXPECT_EQ(info.cAccelEntries, 0u);
  EXPECT_EQ(control->GetWindowContext(nullptr, nullptr, nullptr, nullptr, nullptr), E_FAIL);
  EXPECT_EQ(control->GetWindowContext(&frame, nullptr, nullptr, nullptr, nullptr), S_OK);

  // Moving, hiding and disabling the control do the same to the browser's window.
  const RECT moved = {10, 20, 110, 70};
  EXPECT_TRUE(SameRect(control->Move(&moved, 1), kRect));
  EXPECT_TRUE(SameRect(ChildRect(host_.hwnd(), window), moved));
  EXPECT_TRUE(SameRect(site->position(), moved));
  control->Move(nullptr, 1);
  EXPECT_TRUE(SameRect(site->position(), moved));
  control->Show(0);
  EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE, 0);
  EXPECT_EQ(control->IsVisible(), 0);
  control->Show(1);
  EXPECT_NE(GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE, 0);
  control->Enable(0);
  EXPECT_FALSE(IsWindowEnabled(window));
  EXPECT_EQ(control->IsEnabled(), 0);
  control->Enable(1);
  EXPECT_TRUE(IsWindowEnabled(window));

  // Navigation reaches the browser, whose events come back through the subscription.
  control->Navigate(L"about:blank", nullptr, nullptr, nullptr, nullptr);
  dltest::PumpFor(300);
  BSTR location = nullptr;
  ASSERT_EQ(browser->get_LocationURL(&location), S_OK);
  dl::UniqueBstr owned(location);
  EXPECT_STREQ(location, L"about:blank");
  ASSERT_FALSE(control->events.empty());
  EXPECT_EQ(control->events.front(), "BeforeNavigate2");
  EXPECT_EQ(control->lastText, L"about:blank");

  // Destroyed with the control; the browser calls nothing after that.
  control.reset();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(CountChildWindows(host_.hwnd()), 0);
  dltest::PumpFor(200);
}

TEST_F(BrowserCreateTest, RequestedStyleReachesTheBrowserWindow) {
  // Hidden, and with a bit the browser never sets itself.
  const DWORD requested = (kStyle & ~static_cast<DWORD>(WS_VISIBLE)) | WS_GROUP;
  dl::BrowserControl control(kRect, &root_, requested, 4);
  ASSERT_NE(control.browserWindow(), nullptr);
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(control.browserWindow(), GWL_STYLE));
  EXPECT_EQ(style & WS_VISIBLE, 0u);
  const DWORD expected = WS_CHILD | WS_GROUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  EXPECT_EQ(style & expected, expected);
}

}  // namespace
