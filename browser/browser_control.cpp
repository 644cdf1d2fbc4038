// The browser control's life: making the browser object in-place active in its window, its
// navigation, showing, enabling and moving it with the control, and tearing it down.
#include "browser/browser_control.h"

#include <ole2.h>

#include "browser/browser_site.h"
#include "ui/controls/device_rect.h"
#include "ui/framework/window_dpi.h"

namespace dl {

namespace {

// The browser's window clips its siblings and children like every framework child window.
constexpr DWORD kClipping = WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

LONG VisibilityVerb(bool visible) { return visible ? OLEIVERB_SHOW : OLEIVERB_HIDE; }

}  // namespace

BrowserControl::BrowserControl(const RECT& rect, Control* parent, DWORD style, int id,
                               HWND hostWindow)
    : Control(rect, nullptr, parent, id, nullptr, nullptr, nullptr),
      homeThread_(GetCurrentThreadId()) {
  // Only a successful initialisation is undone later; a thread in another apartment model
  // keeps its own.
  oleInitialized_ = SUCCEEDED(OleInitialize(nullptr));
  // The document asks for its host information only once a page loads, after construction, so
  // variants that change those answers are already in place when they are asked.
  Create(parent != nullptr ? parent->GetHwnd() : hostWindow, rect_, style);
}

BrowserControl::~BrowserControl() {
  Destroy();
  if (oleInitialized_ && OnHomeThread()) OleUninitialize();
}

int BrowserControl::Create(HWND parentWindow, const RECT& rect, DWORD style) {
  if (browser_) return 1;
  IWebBrowser2* created = nullptr;
  const HRESULT hr =
      CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                       IID_IWebBrowser2, reinterpret_cast<void**>(&created));
  if (FAILED(hr) || created == nullptr) return 0;
  browser_.Reset(created);

  ComOwner<IOleObject> object;
  if (FAILED(QueryInto(browser_.Get(), IID_IOleObject, &object))) return 0;
  site_ =
      std::make_unique<BrowserSite>(parentWindow, DeviceRect(rect, WindowDpi(parentWindow)), this);
  if (FAILED(object.Get()->SetClientSite(site_->clientSite()))) return AbandonSite(object.Get());

  ComOwner<IOleInPlaceObject> inPlace;
  if (FAILED(QueryInto(object.Get(), IID_IOleInPlaceObject, &inPlace))) {
    return AbandonSite(object.Get());
  }
  inPlace.Get()->GetWindow(&browserWindow_);
  inPlace.Reset();

  if (browserWindow_ != nullptr) {
    const LONG_PTR current = GetWindowLongPtrW(browserWindow_, GWL_STYLE);
    SetWindowLongPtrW(browserWindow_, GWL_STYLE,
                      current | static_cast<LONG_PTR>(style) | static_cast<LONG_PTR>(kClipping));
  }
  DoVerb(object.Get(), VisibilityVerb((style & WS_VISIBLE) != 0));
  Subscribe(object.Get());
  return 1;
}

int BrowserControl::AbandonSite(IOleObject* object) {
  // The browser stays (released on destruction) but must not call a site that is gone.
  object->SetClientSite(nullptr);
  site_.reset();
  return 0;
}

void BrowserControl::Subscribe(IOleObject* object) {
  // Without events the page still works, so every failure here only leaves them off.
  ComOwner<IProvideClassInfo2> classInfo;
  if (SUCCEEDED(QueryInto(object, IID_IProvideClassInfo2, &classInfo))) {
    classInfo.Get()->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &eventInterface_);
  }
  if (eventInterface_ == GUID_NULL) return;
  ComOwner<IConnectionPointContainer> container;
  if (FAILED(QueryInto(object, IID_IConnectionPointContainer, &container))) return;
  IConnectionPoint* point = nullptr;
  if (FAILED(container.Get()->FindConnectionPoint(eventInterface_, &point)) || point == nullptr) {
    return;
  }
  connectionPoint_.Reset(point);
  if (FAILED(point->Advise(Identity(), &cookie_))) {
    connectionPoint_.Reset();
    cookie_ = 0xFFFFFFFF;
  }
}

void BrowserControl::DoVerb(IOleObject* object, LONG verb) {
  IOleClientSite* client = site_ ? site_->clientSite() : nullptr;
  object->DoVerb(verb, nullptr, client, 0, nullptr, nullptr);
}

void BrowserControl::Navigate(const wchar_t* url, VARIANT* flags, VARIANT* targetFrame,
                              VARIANT* postData, VARIANT* headers) {
  if (!browser_) return;
  UniqueBstr address(SysAllocString(url));
  browser_.Get()->Navigate(address.Get(), flags, targetFrame, postData, headers);
}

void BrowserControl::Show(int show) {
  if (browser_) {
    ComOwner<IOleObject> object;
    if (SUCCEEDED(QueryInto(browser_.Get(), IID_IOleObject, &object))) {
      DoVerb(object.Get(), VisibilityVerb(show == 1));
    }
  }
  Control::Show(show);
}

void BrowserControl::Enable(int enable) {
  if (browserWindow_ != nullptr) EnableWindow(browserWindow_, enable);
  Control::Enable(enable);
}

RECT BrowserControl::Move(const RECT* newRect, int stretch) {
  const RECT old = Control::Move(newRect, stretch);
  if (newRect != nullptr) PlaceWindow();
  return old;
}

void BrowserControl::OnDpiChanged() { PlaceWindow(); }

void BrowserControl::PlaceWindow() {
  if (!site_) return;
  // The host's own density: the browser may be placed before it joins the host's tree.
  const RECT device = DeviceRect(rect_, WindowDpi(site_->window()));
  // The site belongs to the browser's thread; from the window's thread only the window moves
  // (the system hands the move to the window's thread).
  if (OnHomeThread()) site_->set_position(device);
  if (browserWindow_ != nullptr) {
    MoveWindow(browserWindow_, device.left, device.top, device.right - device.left,
               device.bottom - device.top, FALSE);
  }
}

void BrowserControl::Destroy() {
  if (!OnHomeThread()) {
    // The browser, its window and its site belong to the apartment of the thread that built
    // them; from here they can be neither called nor freed while that thread may still use
    // them. They are left to the end of the process.
    browserWindow_ = nullptr;
    static_cast<void>(site_.release());
    static_cast<void>(connectionPoint_.Release());
    static_cast<void>(browser_.Release());
    return;
  }
  if (browserWindow_ != nullptr) {
    DestroyWindow(browserWindow_);
    browserWindow_ = nullptr;
  }
  if (site_) {
    // The browser outlives the site when something else still holds it: it must not keep
    // calling a deleted one.
    ComOwner<IOleObject> object;
    if (browser_ && SUCCEEDED(QueryInto(browser_.Get(), IID_IOleObject, &object))) {
      object.Get()->SetClientSite(nullptr);
    }
    site_.reset();
  }
  if (connectionPoint_) {
    connectionPoint_.Get()->Unadvise(cookie_);
    connectionPoint_.Reset();
    cookie_ = 0xFFFFFFFF;
  }
  browser_.Reset();
  eventInterface_ = GUID{};
}

}  // namespace dl
