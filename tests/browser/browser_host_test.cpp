// The browser host under wine: the COM answers the browser and the page get, the routing of
// the browser's events, a system without a web browser object (a class object that refuses
// every request), and wine's own object (no page engine on the bench) hosted in a window.
#include <gtest/gtest.h>

#include <windows.h>
#include <exdisp.h>
#include <exdispid.h>
#include <mshtmhst.h>
#include <ole2.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "browser/banner_browser.h"
#include "browser/browser_control.h"
#include "browser/browser_site.h"

namespace {

const RECT kRect = {2, 37, 597, 211};
constexpr DWORD kStyle = 0x56000000;
void* const kJunk = reinterpret_cast<void*>(static_cast<uintptr_t>(0x5A5A5A5A));

std::string Text(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}
// child's window rectangle in parent's client coordinates.
std::string ChildRect(HWND parent, HWND child) {
  RECT rect = {};
  GetWindowRect(child, &rect);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
  return Text(rect);
}
BOOL CALLBACK CountOne(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}
int CountChildWindows(HWND parent) {
  int count = 0;
  EnumChildWindows(parent, CountOne, reinterpret_cast<LPARAM>(&count));
  return count;
}
void PumpFor(DWORD ms) {
  for (const DWORD start = GetTickCount(); GetTickCount() - start < ms;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

// While it lives, this thread's apartment makes web browser objects through a class object
// that answers every request with `result` and no object: a system without a browser.
class MissingBrowserEngine : public IClassFactory {
 public:
  explicit MissingBrowserEngine(HRESULT result) : result_(result) {
    if (FAILED(CoRegisterClassObject(CLSID_WebBrowser, this, CLSCTX_INPROC_SERVER,
                                     REGCLS_MULTIPLEUSE, &cookie_))) {
      cookie_ = 0;
    }
  }
  virtual ~MissingBrowserEngine() {
    if (cookie_ != 0) CoRevokeClassObject(cookie_);
  }
  bool registered() const { return cookie_ != 0; }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = iid == IID_IUnknown || iid == IID_IClassFactory ? this : nullptr;
    return *out != nullptr ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the test's stack
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, void** out) override {
    *out = nullptr;
    return result_;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  HRESULT result_;
  DWORD cookie_ = 0;
};

// A control that records the events its Invoke routes to it.
class RecordingBrowser : public dl::BrowserControl {
 public:
  using BrowserControl::BrowserControl;
  void BeforeNavigate2(IDispatch* browser, VARIANT* url, VARIANT* flags, VARIANT* frame,
                       VARIANT* post, VARIANT* headers, VARIANT_BOOL* cancel) override {
    events.push_back("BeforeNavigate2");
    pointers = {browser, url, flags, frame, post, headers, cancel};
    if (url != nullptr && V_VT(url) == VT_BSTR) lastText = V_BSTR(url);
  }
  void NewWindow2(IDispatch** browser, VARIANT_BOOL* cancel) override {
    events.push_back("NewWindow2");
    pointers = {browser, cancel};
  }
  void ProgressChange(long progress, long progressMax) override {
    events.push_back("ProgressChange " + std::to_string(progress) + " " +
                     std::to_string(progressMax));
  }
  void CommandStateChange(long command, VARIANT_BOOL enable) override {
    events.push_back("CommandStateChange " + std::to_string(command) + " " +
                     std::to_string(enable));
  }
  void ClientToHostWindow(long* width, long* height) override {
    events.push_back("ClientToHostWindow");
    pointers = {width, height};
  }
  void TitleChange(BSTR text) override {
    events.push_back("TitleChange");
    lastText = text;
  }
  std::vector<std::string> events;
  std::vector<void*> pointers;
  std::wstring lastText;
};

// OLE on the test thread and a hidden top-level host window at (0, 0), 600 x 350.
class BrowserHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"BrowserTestHost";
    RegisterClassW(&wc);
    host_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 600, 350,
                            nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(host_, nullptr);
    root_ = std::make_unique<dl::Control>(RECT{0, 0, 600, 350}, nullptr, nullptr, 0, host_, nullptr,
                                          nullptr);
  }
  void TearDown() override {
    root_.reset();
    DestroyWindow(host_);
    OleUninitialize();
  }
  HWND host_ = nullptr;
  std::unique_ptr<dl::Control> root_;
};

TEST_F(BrowserHostTest, IdentitiesOfTheControlAndTheSite) {
  MissingBrowserEngine engine(REGDB_E_CLASSNOTREG);
  ASSERT_TRUE(engine.registered());
  RecordingBrowser control(kRect, nullptr, 0, 0);
  IDispatch* identity = &control;
  void* out = kJunk;
  EXPECT_EQ(control.QueryInterface(IID_IUnknown, &out), S_OK);
  EXPECT_EQ(out, identity);
  // Not subscribed: the browser never named an event interface, and the zero one is no name.
  for (const IID* iid : {&DIID_DWebBrowserEvents2, &GUID_NULL, &IID_IOleClientSite}) {
    EXPECT_EQ(control.QueryInterface(*iid, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
  }
  EXPECT_EQ(control.QueryInterface(IID_IDispatch, nullptr), E_FAIL);
  // The page's external object is the control, and it lets the page call nothing.
  IDispatch* external = nullptr;
  EXPECT_EQ(control.GetExternal(&external), S_OK);
  EXPECT_EQ(external, identity);
  LPOLESTR name = const_cast<LPOLESTR>(L"anything");
  DISPID id = 0;
  EXPECT_EQ(external->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), E_NOTIMPL);
  // Without a site of its own, the window question fails and leaves its output alone.
  HWND window = reinterpret_cast<HWND>(kJunk);
  EXPECT_EQ(control.GetWindow(&window), E_FAIL);
  EXPECT_EQ(window, reinterpret_cast<HWND>(kJunk));

  // Every interface of the site hands out its own vtable: a mix-up would call the wrong one.
  dl::BrowserSite site(host_, kRect, &control);
  void* const inPlaceFrame = static_cast<IOleInPlaceFrame*>(&site);
  void* const container = static_cast<IOleContainer*>(&site);
  const std::pair<const IID*, void*> kTable[] = {
      {&IID_IUnknown, inPlaceFrame},
      {&IID_IOleWindow, inPlaceFrame},
      {&IID_IOleInPlaceUIWindow, inPlaceFrame},
      {&IID_IOleInPlaceFrame, inPlaceFrame},
      {&IID_IParseDisplayName, container},
      {&IID_IOleContainer, container},
      {&IID_IOleClientSite, static_cast<IOleClientSite*>(&site)},
      {&IID_IOleInPlaceSite, static_cast<IOleInPlaceSite*>(&site)},
      {&IID_IOleControlSite, static_cast<IOleControlSite*>(&site)},
      {&IID_IDispatch, static_cast<IDispatch*>(&site)},
      {&IID_IDocHostUIHandler, static_cast<IDocHostUIHandler*>(&site)},
  };
  std::vector<void*> distinct;
  for (const auto& entry : kTable) {
    EXPECT_EQ(site.QueryInterface(*entry.first, &out), S_OK);
    EXPECT_EQ(out, entry.second);
    if (std::find(distinct.begin(), distinct.end(), out) == distinct.end()) distinct.push_back(out);
  }
  EXPECT_EQ(distinct.size(), 7u);
}

TEST_F(BrowserHostTest, OnlyTheBannerTurnsScrollBarsOffAndAcceleratorsStayWithTheHost) {
  MissingBrowserEngine engine(REGDB_E_CLASSNOTREG);
  dl::BrowserControl plain(kRect, nullptr, 0, 0);
  dl::BannerBrowser banner(kRect, nullptr, 0, 0);
  dl::BrowserSite plainSite(host_, kRect, &plain);
  dl::BrowserSite bannerSite(host_, kRect, &banner);
  DOCHOSTUIINFO info = {};
  info.cbSize = sizeof info;
  info.dwFlags = DOCHOSTUIFLAG_NO3DBORDER;
  info.dwDoubleClick = DOCHOSTUIDBLCLK_SHOWPROPERTIES;
  EXPECT_EQ(static_cast<IDocHostUIHandler*>(&plainSite)->GetHostInfo(&info), S_OK);
  EXPECT_EQ(info.dwFlags, static_cast<DWORD>(DOCHOSTUIFLAG_NO3DBORDER));
  EXPECT_EQ(static_cast<IDocHostUIHandler*>(&bannerSite)->GetHostInfo(&info), S_OK);
  EXPECT_EQ(info.dwFlags, static_cast<DWORD>(DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_SCROLL_NO));
  EXPECT_EQ(info.dwDoubleClick, static_cast<DWORD>(DOCHOSTUIDBLCLK_SHOWPROPERTIES));
  EXPECT_EQ(static_cast<IDocHostUIHandler*>(&bannerSite)->GetHostInfo(nullptr), S_OK);
  // The handler's hook takes every key (no F5 reload); the frame's and the control site's
  // hooks of the same name leave keys alone.
  MSG msg = {};
  msg.message = WM_KEYDOWN;
  msg.wParam = VK_F5;
  EXPECT_EQ(static_cast<IDocHostUIHandler*>(&plainSite)->TranslateAccelerator(&msg, nullptr, 0),
            S_OK);
  EXPECT_EQ(static_cast<IOleInPlaceFrame*>(&plainSite)->TranslateAccelerator(&msg, WORD{0}),
            E_NOTIMPL);
  EXPECT_EQ(static_cast<IOleControlSite*>(&plainSite)->TranslateAccelerator(&msg, DWORD{0}),
            E_NOTIMPL);
}

TEST_F(BrowserHostTest, InvokeRoutesEventsByDispidWithTheirArgumentsLastFirst) {
  MissingBrowserEngine engine(REGDB_E_CLASSNOTREG);
  RecordingBrowser control(kRect, nullptr, 0, 0);
  VARIANT url, flags, frame, post, headers;
  for (VARIANT* v : {&url, &flags, &frame, &post, &headers}) VariantInit(v);
  dl::UniqueBstr text(SysAllocString(L"http://127.0.0.1/banner.html"));
  V_VT(&url) = VT_BSTR;
  V_BSTR(&url) = text.Get();
  VARIANT_BOOL cancel = VARIANT_FALSE;
  VARIANT args[7];
  V_VT(&args[6]) = VT_DISPATCH;
  V_DISPATCH(&args[6]) = &control;
  VARIANT* byRef[] = {&url, &flags, &frame, &post, &headers};
  for (int i = 0; i < 5; ++i) {
    V_VT(&args[5 - i]) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&args[5 - i]) = byRef[i];
  }
  V_VT(&args[0]) = VT_BOOL | VT_BYREF;
  V_BOOLREF(&args[0]) = &cancel;
  DISPPARAMS seven = {args, nullptr, 7, 0};
  EXPECT_EQ(control.Invoke(DISPID_BEFORENAVIGATE2, IID_NULL, 0, DISPATCH_METHOD, &seven, nullptr,
                           nullptr, nullptr),
            S_OK);
  EXPECT_EQ(control.pointers, (std::vector<void*>{static_cast<IDispatch*>(&control), &url, &flags,
                                                  &frame, &post, &headers, &cancel}));
  EXPECT_EQ(control.lastText, L"http://127.0.0.1/banner.html");

  auto invoke = [&](DISPID id, VARIANT first, VARIANT second) {
    VARIANT two[2] = {second, first};
    DISPPARAMS params = {two, nullptr, 2, 0};
    control.Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
  };
  auto value = [](VARTYPE type, LONG number) {
    VARIANT v;
    V_VT(&v) = type;
    V_I4(&v) = number;  // VT_BOOL's VARIANT_BOOL shares the union's start
    return v;
  };
  auto pointer = [](VARTYPE type, void* to) {
    VARIANT v;
    V_VT(&v) = type;
    V_BYREF(&v) = to;
    return v;
  };
  invoke(DISPID_PROGRESSCHANGE, value(VT_I4, 50), value(VT_I4, 100));
  invoke(DISPID_COMMANDSTATECHANGE, value(VT_I4, 3), value(VT_BOOL, VARIANT_TRUE));
  long width = 0, height = 0;
  invoke(DISPID_CLIENTTOHOSTWINDOW, pointer(VT_I4 | VT_BYREF, &width),
         pointer(VT_I4 | VT_BYREF, &height));
  EXPECT_EQ(control.pointers, (std::vector<void*>{&width, &height}));
  // Arguments of the wrong type reach the handler as zero, never as a misread.
  invoke(DISPID_PROGRESSCHANGE, pointer(VT_BSTR, text.Get()), value(VT_I4, 100));

  // Through the site's dispatch, as the browser's ambient questions come.
  dl::BrowserSite site(host_, kRect, &control);
  VARIANT title;
  V_VT(&title) = VT_BSTR;
  V_BSTR(&title) = text.Get();
  DISPPARAMS one = {&title, nullptr, 1, 0};
  EXPECT_EQ(static_cast<IDispatch*>(&site)->Invoke(DISPID_TITLECHANGE, IID_NULL, 0, DISPATCH_METHOD,
                                                   &one, nullptr, nullptr, nullptr),
            S_OK);
  // Missing arguments give nulls; unknown DISPIDs (events or ambient properties) are fine.
  EXPECT_EQ(control.Invoke(DISPID_NEWWINDOW2, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr,
                           nullptr, nullptr),
            S_OK);
  EXPECT_EQ(control.pointers, (std::vector<void*>{nullptr, nullptr}));
  for (DISPID unknown : {DISPID(9999), DISPID(-709), DISPID(0), DISPID(261)}) {
    EXPECT_EQ(
        control.Invoke(unknown, IID_NULL, 0, DISPATCH_PROPERTYGET, &one, nullptr, nullptr, nullptr),
        S_OK);
  }
  EXPECT_EQ(control.events,
            (std::vector<std::string>{"BeforeNavigate2", "ProgressChange 50 100",
                                      "CommandStateChange 3 -1", "ClientToHostWindow",
                                      "ProgressChange 0 100", "TitleChange", "NewWindow2"}));
}

TEST_F(BrowserHostTest, MissingBrowserLeavesAPlainControlThatCoversNothing) {
  for (HRESULT answer : {REGDB_E_CLASSNOTREG, S_OK}) {  // refused, and "made" without an object
    SCOPED_TRACE(answer);
    MissingBrowserEngine engine(answer);
    ASSERT_TRUE(engine.registered());
    auto control = std::make_unique<dl::BrowserControl>(kRect, root_.get(), kStyle, 4);
    EXPECT_EQ(control->browser(), nullptr);
    EXPECT_EQ(control->site(), nullptr);
    EXPECT_EQ(control->browserWindow(), nullptr);
    EXPECT_EQ(control->Create(host_, kRect, kStyle), 0);
    control->Navigate(L"about:blank", nullptr, nullptr, nullptr, nullptr);
    control->Show(0);
    EXPECT_EQ(control->IsVisible(), 0);
    const RECT moved = {10, 20, 110, 70};
    EXPECT_EQ(Text(control->Move(&moved, 1)), Text(kRect));
    EXPECT_EQ(Text(control->GetRect()), Text(moved));
    EXPECT_EQ(CountChildWindows(host_), 0);  // the banner area shows what the window draws
    control.reset();
    EXPECT_TRUE(root_->children().empty());
  }
}

TEST_F(BrowserHostTest, BrowserIsHostedInPlaceAndFollowsTheControl) {
  auto control = std::make_unique<RecordingBrowser>(kRect, root_.get(), kStyle, 4);
  ASSERT_NE(control->browser(), nullptr);
  ASSERT_NE(control->site(), nullptr);
  const HWND window = control->browserWindow();
  ASSERT_NE(window, nullptr);
  dl::BrowserSite* site = control->site();
  EXPECT_EQ(GetParent(window), host_);
  EXPECT_EQ(ChildRect(host_, window), Text(kRect));
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)) & kStyle, kStyle);
  IWebBrowser2* const browser = control->browser();
  // Subscribed to the browser's own event interface, which the control now answers.
  EXPECT_EQ(control->eventInterface(), DIID_DWebBrowserEvents2);
  void* out = nullptr;
  EXPECT_EQ(control->QueryInterface(DIID_DWebBrowserEvents2, &out), S_OK);
  EXPECT_EQ(out, static_cast<IDispatch*>(control.get()));

  // The in-place questions, answered from the site.
  HWND answer = nullptr;
  EXPECT_EQ(control->GetWindow(&answer), S_OK);
  EXPECT_EQ(answer, host_);
  IOleInPlaceFrame* frame = nullptr;
  IOleInPlaceUIWindow* document = reinterpret_cast<IOleInPlaceUIWindow*>(&answer);
  RECT position = {}, clip = {};
  OLEINPLACEFRAMEINFO info;
  info.cb = sizeof info;
  info.haccel = reinterpret_cast<HACCEL>(&answer);  // no accelerators of the host's own
  EXPECT_EQ(control->GetWindowContext(&frame, &document, &position, &clip, &info), S_OK);
  EXPECT_EQ(frame, static_cast<IOleInPlaceFrame*>(site));
  EXPECT_EQ(document, nullptr);
  EXPECT_EQ(Text(position), Text(kRect));
  EXPECT_EQ(Text(clip), "0,0,600,350");
  EXPECT_EQ(info.hwndFrame, host_);
  EXPECT_EQ(info.haccel, nullptr);

  // Moving, hiding and disabling the control do the same to the browser's window.
  const RECT moved = {10, 20, 110, 70};
  EXPECT_EQ(Text(control->Move(&moved, 1)), Text(kRect));
  EXPECT_EQ(ChildRect(host_, window), Text(moved));
  control->Show(0);
  EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE, 0);
  control->Show(1);
  EXPECT_NE(GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE, 0);
  control->Enable(0);
  EXPECT_FALSE(IsWindowEnabled(window));
  control->Enable(1);
  EXPECT_TRUE(IsWindowEnabled(window));

  // Navigation reaches the browser, whose events come back through the subscription.
  control->Navigate(L"about:blank", nullptr, nullptr, nullptr, nullptr);
  PumpFor(300);
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
  EXPECT_EQ(CountChildWindows(host_), 0);
  PumpFor(200);
}

}  // namespace
