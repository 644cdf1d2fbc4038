// The browser host under wine: event routing, no browser object, and wine's own one hosted.
#include <gtest/gtest.h>
#include <windows.h>
#include <exdispid.h>
#include <ole2.h>
#include <memory>
#include <string>
#include <vector>

#include "browser/browser_control.h"

namespace {

using Strings = std::vector<std::string>;
const RECT kRect = {2, 37, 597, 211}, kMoved = {10, 20, 110, 70};
constexpr DWORD kStyle = 0x56000000;  // child, visible, clipping siblings and children

bool Same(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }
RECT ChildRect(HWND parent, HWND child) {  // in the parent's client coordinates
  RECT r = {};
  GetWindowRect(child, &r);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}
void PumpFor(DWORD ms) {
  for (const DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(10))
    for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);
}

// While it lives, this thread's browser objects come from a factory that makes none.
struct MissingBrowserEngine : IClassFactory {
  explicit MissingBrowserEngine(HRESULT result) : result(result) {
    registered = SUCCEEDED(CoRegisterClassObject(CLSID_WebBrowser, this, CLSCTX_INPROC_SERVER,
                                                 REGCLS_MULTIPLEUSE, &cookie));
  }
  virtual ~MissingBrowserEngine() { CoRevokeClassObject(cookie); }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = iid == IID_IUnknown || iid == IID_IClassFactory ? this : nullptr;
    return *out != nullptr ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the test's stack
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, void** out) override {
    *out = nullptr;
    return result;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
  HRESULT result;
  DWORD cookie = 0;
  bool registered = false;
};

struct RecordingBrowser : dl::BrowserControl {
  using BrowserControl::BrowserControl;
  void BeforeNavigate2(IDispatch*, VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*,
                       VARIANT_BOOL* cancel) override {
    const bool read = url != nullptr && V_VT(url) == VT_BSTR && cancel != nullptr;
    const std::wstring text = read ? V_BSTR(url) : L"?";
    events.push_back("BeforeNavigate2 " + std::string(text.begin(), text.end()));
  }
  void NewWindow2(IDispatch** browser, VARIANT_BOOL* cancel) override {
    events.push_back("NewWindow2" + std::to_string(browser == nullptr && cancel == nullptr));
  }
  void ProgressChange(long progress, long most) override {
    events.push_back("Progress " + std::to_string(progress) + " " + std::to_string(most));
  }
  Strings events;
};

// OLE on the test thread and a hidden top-level host window at (0, 0), 600 x 350; a browser
// refused or "made" without an object, then wine's own, which has no page engine on the bench.
TEST(BrowserHost, MissingBrowserLeavesAPlainControlWhileARealOneIsHostedInPlace) {
  ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
  const HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 600, 350,
                                    nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(host, nullptr);
  dl::Control root(RECT{0, 0, 600, 350}, nullptr, nullptr, 0, host, nullptr, nullptr);
  dl::UniqueBstr text(SysAllocString(L"50"));
  VARIANT two[2];  // last argument first
  V_VT(&two[0]) = VT_I4;
  V_I4(&two[0]) = 100;
  V_VT(&two[1]) = VT_BSTR;  // read as zero
  V_BSTR(&two[1]) = text.Get();
  DISPPARAMS params = {two, nullptr, 2, 0};
  for (HRESULT answer : {REGDB_E_CLASSNOTREG, S_OK}) {
    SCOPED_TRACE(answer);
    MissingBrowserEngine engine(answer);
    ASSERT_TRUE(engine.registered);
    auto control = std::make_unique<RecordingBrowser>(kRect, &root, kStyle, 4);
    EXPECT_TRUE(!control->browser() && !control->site() && !control->browserWindow());
    EXPECT_EQ(control->Create(host, kRect, kStyle), 0);
    control->Navigate(L"about:blank", nullptr, nullptr, nullptr, nullptr);
    control->Show(0);
    EXPECT_TRUE(Same(control->Move(&kMoved, 1), kRect) && Same(control->GetRect(), kMoved));
    EXPECT_EQ(GetWindow(host, GW_CHILD), nullptr) << "the banner area shows what the window draws";
    // Missing arguments come as null, unknown events call nothing.
    for (DISPID id : {DISPID_PROGRESSCHANGE, 9999, -709, 0, DISPID_NEWWINDOW2}) {
      DISPPARAMS* with = id == DISPID_NEWWINDOW2 ? nullptr : &params;
      EXPECT_EQ(control->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, with, nullptr, nullptr, nullptr),
                S_OK);
    }
    EXPECT_EQ(control->events, (Strings{"Progress 0 100", "NewWindow21"}));
    control.reset();
    EXPECT_TRUE(root.children().empty());
  }

  auto control = std::make_unique<RecordingBrowser>(kRect, &root, kStyle, 4);
  const HWND window = control->browserWindow();
  ASSERT_TRUE(control->browser() != nullptr && window != nullptr);
  EXPECT_EQ(GetParent(window), host);
  EXPECT_TRUE(Same(ChildRect(host, window), kRect));
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)) & kStyle, kStyle);
  // The page's external object is the control, and it lets the page call nothing.
  IDispatch* external = nullptr;
  LPOLESTR name = const_cast<LPOLESTR>(L"anything");
  DISPID id = 0;
  ASSERT_EQ(control->GetExternal(&external), S_OK);
  EXPECT_EQ(external->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), E_NOTIMPL);
  control->Move(&kMoved, 1);
  EXPECT_TRUE(Same(ChildRect(host, window), kMoved));
  control->Show(0);
  EXPECT_FALSE(GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE);
  control->Navigate(L"about:blank", nullptr, nullptr, nullptr, nullptr);
  PumpFor(300);
  ASSERT_FALSE(control->events.empty());
  EXPECT_EQ(control->events.front(), "BeforeNavigate2 about:blank");
  control.reset();  // the browser calls nothing after this
  EXPECT_FALSE(IsWindow(window));
  PumpFor(200);
}

}  // namespace
