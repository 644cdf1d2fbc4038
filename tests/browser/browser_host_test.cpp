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

const RECT kRect = {2, 37, 597, 211};
constexpr DWORD kStyle = 0x56000000;  // child, visible, clipping siblings and children

std::string Text(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}
std::string ChildRect(HWND parent, HWND child) {  // in the parent's client coordinates
  RECT rect = {};
  GetWindowRect(child, &rect);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
  return Text(rect);
}
void PumpFor(DWORD ms) {
  for (const DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(10)) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
}

// While it lives, this thread's browser objects come from a factory that makes none.
class MissingBrowserEngine : public IClassFactory {
 public:
  explicit MissingBrowserEngine(HRESULT result) : result_(result) {
    if (FAILED(CoRegisterClassObject(CLSID_WebBrowser, this, CLSCTX_INPROC_SERVER,
                                     REGCLS_MULTIPLEUSE, &cookie_))) {
      cookie_ = 0;
    }
  }
  virtual ~MissingBrowserEngine() { CoRevokeClassObject(cookie_); }
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

class RecordingBrowser : public dl::BrowserControl {
 public:
  using BrowserControl::BrowserControl;
  void BeforeNavigate2(IDispatch*, VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*,
                       VARIANT_BOOL* cancel) override {
    events.push_back("BeforeNavigate2");
    if (url != nullptr && V_VT(url) == VT_BSTR && cancel != nullptr) lastUrl = V_BSTR(url);
  }
  void NewWindow2(IDispatch** browser, VARIANT_BOOL* cancel) override {
    events.push_back("NewWindow2");
    pointers = {browser, cancel};
  }
  void ProgressChange(long progress, long progressMax) override {
    events.push_back("ProgressChange " + std::to_string(progress) + " " +
                     std::to_string(progressMax));
  }
  std::vector<std::string> events;
  std::vector<void*> pointers;
  std::wstring lastUrl;
};

// OLE on the test thread and a hidden top-level host window at (0, 0), 600 x 350.
class BrowserHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = L"BrowserTestHost";
    RegisterClassW(&wc);
    host_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 600, 350,
                            nullptr, nullptr, nullptr, nullptr);
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

// The real browser's events are seen below; here, those a browser might get wrong.
TEST_F(BrowserHostTest, InvokeTakesWrongOrMissingArgumentsAndUnknownEventsCalmly) {
  MissingBrowserEngine engine(REGDB_E_CLASSNOTREG);
  RecordingBrowser control(kRect, nullptr, 0, 0);
  dl::UniqueBstr text(SysAllocString(L"50"));
  VARIANT two[2];  // last argument first
  DISPPARAMS params = {two, nullptr, 2, 0};
  V_VT(&two[0]) = VT_I4;
  V_I4(&two[0]) = 100;
  V_VT(&two[1]) = VT_I4;
  V_I4(&two[1]) = 50;
  auto invoke = [&](DISPID id, DISPPARAMS* with) {
    return control.Invoke(id, IID_NULL, 0, DISPATCH_METHOD, with, nullptr, nullptr, nullptr);
  };
  EXPECT_EQ(invoke(DISPID_PROGRESSCHANGE, &params), S_OK);
  V_VT(&two[1]) = VT_BSTR;  // reaches the handler as zero, never as a misread
  V_BSTR(&two[1]) = text.Get();
  EXPECT_EQ(invoke(DISPID_PROGRESSCHANGE, &params), S_OK);
  EXPECT_EQ(invoke(DISPID_NEWWINDOW2, nullptr), S_OK);
  EXPECT_EQ(control.pointers, (std::vector<void*>{nullptr, nullptr}));
  for (DISPID unknown : {DISPID(9999), DISPID(-709), DISPID(0)}) {
    EXPECT_EQ(invoke(unknown, &params), S_OK);
  }
  EXPECT_EQ(control.events, (std::vector<std::string>{"ProgressChange 50 100",
                                                      "ProgressChange 0 100", "NewWindow2"}));
}

TEST_F(BrowserHostTest, MissingBrowserLeavesAPlainControlThatCoversNothing) {
  for (HRESULT answer : {REGDB_E_CLASSNOTREG, S_OK}) {  // refused, and "made" without an object
    SCOPED_TRACE(answer);
    MissingBrowserEngine engine(answer);
    ASSERT_TRUE(engine.registered());
    auto control = std::make_unique<dl::BrowserControl>(kRect, root_.get(), kStyle, 4);
    EXPECT_TRUE(!control->browser() && !control->site() && !control->browserWindow());
    EXPECT_EQ(control->Create(host_, kRect, kStyle), 0);
    control->Navigate(L"about:blank", nullptr, nullptr, nullptr, nullptr);
    control->Show(0);
    const RECT moved = {10, 20, 110, 70};
    EXPECT_EQ(Text(control->Move(&moved, 1)), Text(kRect));
    EXPECT_EQ(Text(control->GetRect()), Text(moved));
    EXPECT_EQ(GetWindow(host_, GW_CHILD), nullptr) << "the banner area shows what the window draws";
    control.reset();
    EXPECT_TRUE(root_->children().empty());
  }
}

TEST_F(BrowserHostTest, BrowserIsHostedInPlaceAndFollowsTheControl) {
  auto control = std::make_unique<RecordingBrowser>(kRect, root_.get(), kStyle, 4);
  ASSERT_NE(control->browser(), nullptr);
  const HWND window = control->browserWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(GetParent(window), host_);
  EXPECT_EQ(ChildRect(host_, window), Text(kRect));
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)) & kStyle, kStyle);
  // The page's external object is the control, and it lets the page call nothing.
  IDispatch* external = nullptr;
  ASSERT_EQ(control->GetExternal(&external), S_OK);
  LPOLESTR name = const_cast<LPOLESTR>(L"anything");
  DISPID id = 0;
  EXPECT_EQ(external->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), E_NOTIMPL);
  // Moving and hiding the control do the same to the browser's window.
  const RECT moved = {10, 20, 110, 70};
  control->Move(&moved, 1);
  EXPECT_EQ(ChildRect(host_, window), Text(moved));
  control->Show(0);
  EXPECT_FALSE(GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE);
  // Navigation reaches the browser, whose events come back through the subscription, their
  // arguments last first.
  control->Navigate(L"about:blank", nullptr, nullptr, nullptr, nullptr);
  PumpFor(300);
  ASSERT_FALSE(control->events.empty());
  EXPECT_EQ(control->events.front(), "BeforeNavigate2");
  EXPECT_EQ(control->lastUrl, L"about:blank");
  // Destroyed with the control; the browser calls nothing after that.
  control.reset();
  EXPECT_FALSE(IsWindow(window));
  PumpFor(200);
}

}  // namespace
