#include "tests/browser/browser_test_support.h"

#include <exdisp.h>

namespace dltest {

namespace {

constexpr wchar_t kHostClass[] = L"BrowserTestHost";

BOOL CALLBACK CountOne(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

}  // namespace

HostWindow::HostWindow() {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kHostClass;
  RegisterClassExW(&wc);
  hwnd_ = CreateWindowExW(0, kHostClass, L"", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 600, 350, nullptr,
                          nullptr, wc.hInstance, nullptr);
}

HostWindow::~HostWindow() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

class MissingBrowserEngine::Factory : public IClassFactory {
 public:
  explicit Factory(HRESULT result) : result_(result) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // Owned by MissingBrowserEngine, which outlives the registration.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, void** out) override {
    if (out != nullptr) *out = nullptr;
    return result_;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  HRESULT result_;
};

MissingBrowserEngine::MissingBrowserEngine(HRESULT result)
    : factory_(std::make_unique<Factory>(result)) {
  if (FAILED(CoRegisterClassObject(CLSID_WebBrowser, factory_.get(), CLSCTX_INPROC_SERVER,
                                   REGCLS_MULTIPLEUSE, &cookie_))) {
    cookie_ = 0;
  }
}

MissingBrowserEngine::~MissingBrowserEngine() {
  if (cookie_ != 0) CoRevokeClassObject(cookie_);
}

int CountChildWindows(HWND parent) {
  int count = 0;
  EnumChildWindows(parent, CountOne, reinterpret_cast<LPARAM>(&count));
  return count;
}

RECT ChildRect(HWND parent, HWND child) {
  RECT rect = {};
  GetWindowRect(child, &rect);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void PumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  MSG msg;
  while (GetTickCount() - start < ms) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

}  // namespace dltest
