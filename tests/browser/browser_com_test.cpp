// The host's COM answers, without a browser object: the identities the browser and the page
// get, the answers that keep the browser's own UI off, and the routing of events.
#include <gtest/gtest.h>

#include <exdisp.h>
#include <exdispid.h>
#include <mshtmhst.h>

#include "browser/banner_browser.h"
#include "browser/browser_control.h"
#include "browser/browser_site.h"
#include "tests/browser/browser_test_support.h"
#include "tests/browser/recording_browser.h"

namespace {

using dltest::HostWindow;
using dltest::MissingBrowserEngine;
using dltest::OleSession;
using dltest::RecordingBrowser;

const RECT kRect = {2, 37, 597, 211};
void* const kJunk = reinterpret_cast<void*>(static_cast<uintptr_t>(0x5A5A5A5A));

// A control without browser object (none on this "system") and a site of its own for it.
class BrowserComTest : public ::testing::Test {
 protected:
  OleSession ole_;
  MissingBrowserEngine engine_{REGDB_E_CLASSNOTREG};
  HostWindow host_;
};

TEST_F(BrowserComTest, ControlIdentityAnswers) {
  ASSERT_TRUE(engine_.registered());
  RecordingBrowser control(kRect, nullptr, 0, 0);
  IDispatch* identity = &control;

  void* out = kJunk;
  EXPECT_EQ(control.QueryInterface(IID_IUnknown, &out), S_OK);
  EXPECT_EQ(out, static_cast<void*>(identity));
  out = kJunk;
  EXPECT_EQ(control.QueryInterface(IID_IDispatch, &out), S_OK);
  EXPECT_EQ(out, static_cast<void*>(identity));
  // Not subscribed: the browser never named an event interface, and the zero one is no name.
  for (const IID* iid : {&DIID_DWebBrowserEvents2, &GUID_NULL, &IID_IOleClientSite}) {
    out = kJunk;
    EXPECT_EQ(control.QueryInterface(*iid, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
  }
  EXPECT_EQ(control.QueryInterface(IID_IDispatch, nullptr), E_FAIL);
  EXPECT_EQ(control.AddRef(), 1u);
  EXPECT_EQ(control.AddRef(), 1u);
  EXPECT_EQ(control.Release(), 1u);

  // The page's external object is the control: it exists and knows no names.
  IDispatch* external = nullptr;
  EXPECT_EQ(control.GetExternal(&external), S_OK);
  EXPECT_EQ(external, identity);
  EXPECT_EQ(control.GetExternal(nullptr), S_OK);
  LPOLESTR name = const_cast<LPOLESTR>(L"anything");
  DISPID id = 0;
  EXPECT_EQ(external->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), E_NOTIMPL);
  UINT count = 7;
  EXPECT_EQ(external->GetTypeInfoCount(&count), E_NOTIMPL);
  ITypeInfo* info = nullptr;
  EXPECT_EQ(external->GetTypeInfo(0, 0, &info), E_NOTIMPL);
}

TEST_F(BrowserComTest, SiteAnswersItsSevenInterfaces) {
  dl::BrowserControl control(kRect, nullptr, 0, 0);
  dl::BrowserSite site(host_.hwnd(), kRect, &control);
  void* const frame = static_cast<IOleInPlaceFrame*>(&site);
  void* const container = static_cast<IOleContainer*>(&site);
  struct Expected {
    const IID* iid;
    void* pointer;
  };
  const Expected table[] = {
      {&IID_IUnknown, frame},
      {&IID_IOleWindow, frame},
      {&IID_IOleInPlaceUIWindow, frame},
      {&IID_IOleInPlaceFrame, frame},
      {&IID_IParseDisplayName, container},
      {&IID_IOleContainer, container},
      {&IID_IOleClientSite, static_cast<IOleClientSite*>(&site)},
      {&IID_IOleInPlaceSite, static_cast<IOleInPlaceSite*>(&site)},
      {&IID_IOleControlSite, static_cast<IOleControlSite*>(&site)},
      {&IID_IDispatch, static_cast<IDispatch*>(&site)},
      {&IID_IDocHostUIHandler, static_cast<IDocHostUIHandler*>(&site)},
  };
  for (const Expected& entry : table) {
    void* out = kJunk;
    EXPECT_EQ(site.QueryInterface(*entry.iid, &out), S_OK);
    EXPECT_EQ(out, entry.pointer);
  }
  // Seven interfaces, seven distinct pointers: a mix-up would hand out the wrong vtable.
  for (size_t i = 6; i < sizeof table / sizeof table[0]; ++i) {
    EXPECT_NE(table[i].pointer, frame);
    EXPECT_NE(table[i].pointer, container);
    for (size_t j = i + 1; j < sizeof table / sizeof table[0]; ++j) {
      EXPECT_NE(table[i].pointer, table[j].pointer);
    }
  }
  EXPECT_NE(frame, container);

  for (const IID* iid : {&IID_IOleObject, &DIID_DWebBrowserEvents2, &IID_IWebBrowser2}) {
    void* out = kJunk;
    EXPECT_EQ(site.QueryInterface(*iid, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
  }
  EXPECT_EQ(site.QueryInterface(IID_IOleClientSite, nullptr), E_FAIL);
  EXPECT_EQ(site.AddRef(), 1u);
  EXPECT_EQ(site.Release(), 1u);
  EXPECT_EQ(site.window(), host_.hwnd());
  EXPECT_TRUE(dltest::SameRect(site.position(), kRect));
}

TEST_F(BrowserComTest, HostKeepsTheBrowsersOwnUiOff) {
  dl::BrowserControl plain(kRect, nullptr, 0, 0);
  dl::BannerBrowser banner(kRect, nullptr, 0, 0);
  dl::BrowserSite plainSite(host_.hwnd(), kRect, &plain);
  dl::BrowserSite bannerSite(host_.hwnd(), kRect, &banner);

  // Asked through the site's interfaces, as the browser asks.
  IDocHostUIHandler* ui = &plainSite;
  MSG msg = {};
  msg.message = WM_KEYDOWN;
  msg.wParam = VK_F5;
  EXPECT_EQ(ui->ShowContextMenu(CONTEXT_MENU_DEFAULT, nullptr, nullptr, nullptr), S_FALSE);
  EXPECT_EQ(ui->ShowUI(DOCHOSTUITYPE_BROWSE, nullptr, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(ui->HideUI(), S_OK);
  EXPECT_EQ(ui->UpdateUI(), S_OK);
  EXPECT_EQ(ui->EnableModeless(TRUE), E_NOTIMPL);
  EXPECT_EQ(ui->TranslateAccelerator(&msg, nullptr, 0), S_OK);
  // The frame's and the control site's accelerator hooks are other methods of the same name.
  IOleInPlaceFrame* frame = &plainSite;
  IOleControlSite* controlSite = &plainSite;
  EXPECT_EQ(frame->TranslateAccelerator(&msg, static_cast<WORD>(0)), E_NOTIMPL);
  EXPECT_EQ(controlSite->TranslateAccelerator(&msg, static_cast<DWORD>(0)), E_NOTIMPL);
  IDispatch* external = nullptr;
  EXPECT_EQ(ui->GetExternal(&external), S_OK);
  EXPECT_EQ(external, static_cast<IDispatch*>(&plain));

  // Only the banner turns scroll bars off; every other field stays the browser's.
  DOCHOSTUIINFO info = {};
  info.cbSize = sizeof info;
  info.dwFlags = DOCHOSTUIFLAG_NO3DBORDER;
  info.dwDoubleClick = DOCHOSTUIDBLCLK_SHOWPROPERTIES;
  EXPECT_EQ(ui->GetHostInfo(&info), S_OK);
  EXPECT_EQ(info.dwFlags, static_cast<DWORD>(DOCHOSTUIFLAG_NO3DBORDER));
  IDocHostUIHandler* bannerUi = &bannerSite;
  EXPECT_EQ(bannerUi->GetHostInfo(&info), S_OK);
  EXPECT_EQ(info.dwFlags, static_cast<DWORD>(DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_SCROLL_NO));
  EXPECT_EQ(info.cbSize, sizeof info);
  EXPECT_EQ(info.dwDoubleClick, static_cast<DWORD>(DOCHOSTUIDBLCLK_SHOWPROPERTIES));
  EXPECT_EQ(bannerUi->GetHostInfo(nullptr), S_OK);

  // In-place activation is welcome; the rest of the OLE chatter is declined.
  IOleInPlaceSite* inPlace = &plainSite;
  IOleClientSite* client = &plainSite;
  EXPECT_EQ(inPlace->CanInPlaceActivate(), S_OK);
  EXPECT_EQ(inPlace->OnInPlaceActivate(), S_OK);
  EXPECT_EQ(inPlace->OnUIActivate(), S_OK);
  EXPECT_EQ(inPlace->OnUIDeactivate(FALSE), E_NOTIMPL);
  EXPECT_EQ(inPlace->OnPosRectChange(&kRect), E_NOTIMPL);
  EXPECT_EQ(client->ShowObject(), S_OK);
  EXPECT_EQ(client->SaveObject(), E_NOTIMPL);
  EXPECT_EQ(frame->SetStatusText(L"status"), E_NOTIMPL);
  EXPECT_EQ(static_cast<IOleContainer*>(&plainSite)->LockContainer(TRUE), E_NOTIMPL);
}

TEST_F(BrowserComTest, WindowQuestionsNeedTheControlsSite) {
  // A control whose browser never came has no site of its own: the questions that need one
  // fail, and leave what they cannot fill alone.
  dl::BrowserControl control(kRect, nullptr, 0, 0);
  ASSERT_EQ(control.site(), nullptr);
  HWND window = reinterpret_cast<HWND>(kJunk);
  EXPECT_EQ(control.GetWindow(&window), E_FAIL);
  EXPECT_EQ(window, reinterpret_cast<HWND>(kJunk));
  IOleContainer* container = nullptr;
  EXPECT_EQ(control.GetContainer(&container), E_NOTIMPL);
  EXPECT_EQ(container, nullptr);
  IOleInPlaceFrame* frame = nullptr;
  IOleInPlaceUIWindow* document = nullptr;
  RECT position = {}, clip = {};
  OLEINPLACEFRAMEINFO info = {};
  EXPECT_EQ(control.GetWindowContext(&frame, &document, &position, &clip, &info), E_FAIL);
  EXPECT_EQ(frame, nullptr);
}

TEST_F(BrowserComTest, InvokeRoutesEventsByDispid) {
  RecordingBrowser control(kRect, nullptr, 0, 0);
  IDispatch* identity = &control;

  // BeforeNavigate2's seven arguments arrive last-first.
  VARIANT url, flags, frame, post, headers;
  for (VARIANT* v : {&url, &flags, &frame, &post, &headers}) VariantInit(v);
  dl::UniqueBstr text(SysAllocString(L"http://127.0.0.1/banner.html"));
  V_VT(&url) = VT_BSTR;
  V_BSTR(&url) = text.Get();
  VARIANT_BOOL cancel = VARIANT_FALSE;
  VARIANT args[7];
  V_VT(&args[6]) = VT_DISPATCH;
  V_DISPATCH(&args[6]) = identity;
  VARIANT* byRef[] = {&url, &flags, &frame, &post, &headers};
  for (int i = 0; i < 5; ++i) {
    V_VT(&args[5 - i]) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&args[5 - i]) = byRef[i];
  }
  V_VT(&args[0]) = VT_BOOL | VT_BYREF;
  V_BOOLREF(&args[0]) = &cancel;
  DISPPARAMS params = {args, nullptr, 7, 0};
  EXPECT_EQ(control.Invoke(DISPID_BEFORENAVIGATE2, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr,
                           nullptr, nullptr),
            S_OK);
  ASSERT_EQ(control.events.size(), 1u);
  EXPECT_EQ(control.lastBrowser, identity);
  EXPECT_EQ(control.pointers, (std::vector<VARIANT*>{&url, &flags, &frame, &post, &headers}));
  EXPECT_EQ(control.lastCancel, &cancel);
  EXPECT_EQ(control.lastText, L"http://127.0.0.1/banner.html");

  // Values in order, by value and by reference.
  VARIANT two[2];
  V_VT(&two[1]) = VT_I4;
  V_I4(&two[1]) = 50;
  V_VT(&two[0]) = VT_I4;
  V_I4(&two[0]) = 100;
  DISPPARAMS progress = {two, nullptr, 2, 0};
  control.Invoke(DISPID_PROGRESSCHANGE, IID_NULL, 0, DISPATCH_METHOD, &progress, nullptr, nullptr,
                 nullptr);
  V_VT(&two[1]) = VT_I4;
  V_I4(&two[1]) = 3;
  V_VT(&two[0]) = VT_BOOL;
  V_BOOL(&two[0]) = VARIANT_TRUE;
  control.Invoke(DISPID_COMMANDSTATECHANGE, IID_NULL, 0, DISPATCH_METHOD, &progress, nullptr,
                 nullptr, nullptr);
  long width = 0, height = 0;
  V_VT(&two[1]) = VT_I4 | VT_BYREF;
  V_I4REF(&two[1]) = &width;
  V_VT(&two[0]) = VT_I4 | VT_BYREF;
  V_I4REF(&two[0]) = &height;
  control.Invoke(DISPID_CLIENTTOHOSTWINDOW, IID_NULL, 0, DISPATCH_METHOD, &progress, nullptr,
                 nullptr, nullptr);
  EXPECT_EQ(control.lastLongs, (std::vector<long*>{&width, &height}));
  // Arguments of the wrong type reach the handler as zero, never as a misread.
  V_VT(&two[1]) = VT_BSTR;
  V_BSTR(&two[1]) = text.Get();
  V_VT(&two[0]) = VT_I4;
  V_I4(&two[0]) = 100;
  control.Invoke(DISPID_PROGRESSCHANGE, IID_NULL, 0, DISPATCH_METHOD, &progress, nullptr, nullptr,
                 nullptr);

  // Through the site's dispatch, as the browser's ambient questions come.
  dl::BrowserSite site(host_.hwnd(), kRect, &control);
  VARIANT title;
  V_VT(&title) = VT_BSTR;
  V_BSTR(&title) = text.Get();
  DISPPARAMS one = {&title, nullptr, 1, 0};
  IDispatch* siteDispatch = &site;
  EXPECT_EQ(siteDispatch->Invoke(DISPID_TITLECHANGE, IID_NULL, 0, DISPATCH_METHOD, &one, nullptr,
                                 nullptr, nullptr),
            S_OK);
  EXPECT_EQ(control.lastText, L"http://127.0.0.1/banner.html");

  // Missing arguments give nulls; unknown DISPIDs (events or ambient properties) are fine.
  EXPECT_EQ(control.Invoke(DISPID_NEWWINDOW2, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr,
                           nullptr, nullptr),
            S_OK);
  EXPECT_EQ(control.lastBrowserRef, nullptr);
  EXPECT_EQ(control.lastCancel, nullptr);
  const size_t before = control.events.size();
  for (DISPID unknown : {DISPID(9999), DISPID(-709), DISPID(0), DISPID(261)}) {
    EXPECT_EQ(
        control.Invoke(unknown, IID_NULL, 0, DISPATCH_PROPERTYGET, &one, nullptr, nullptr, nullptr),
        S_OK);
  }
  EXPECT_EQ(control.events.size(), before);
  EXPECT_EQ(control.events,
            (std::vector<std::string>{"BeforeNavigate2", "ProgressChange 50 100",
                                      "CommandStateChange 3 -1", "ClientToHostWindow",
                                      "ProgressChange 0 100", "TitleChange", "NewWindow2"}));

  // The plain control acts on nothing: no navigation or new window is cancelled.
  dl::BrowserControl plain(kRect, nullptr, 0, 0);
  cancel = VARIANT_FALSE;
  EXPECT_EQ(plain.Invoke(DISPID_BEFORENAVIGATE2, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr,
                         nullptr, nullptr),
            S_OK);
  EXPECT_EQ(cancel, VARIANT_FALSE);
}

}  // namespace
