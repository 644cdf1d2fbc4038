// A control that hosts the system's web browser object as a child window of its skinned
// window. The host answers the object's questions so that a page is shown in place, without
// browser menus, toolbars or keyboard accelerators, and it listens to the browser's events
// without acting on any of them: every navigation, new window and error takes the browser's
// own course.
//
// The host's COM identity (IDispatch: the event sink and the page's external object) is the
// control itself; the browser's client site is a BrowserSite that forwards to it. Neither
// counts references: both live exactly as long as the control.
//
// The control and its browser belong to the thread that built it (OLE is initialised there,
// a single-threaded apartment whose message loop serves the browser).
#pragma once

#include <windows.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <ocidl.h>
#include <oleidl.h>

#include <memory>

#include "base/com_owner.h"
#include "ui/controls/control.h"

namespace dl {

class BrowserSite;

class BrowserControl : public IDispatch, public Control {
 public:
  // rect is relative to parent. The browser window lives in the parent's native window; a
  // control built without parent (to be attached to a tree later, by the tree's own thread)
  // puts it into hostWindow, in whose client coordinates rect then is.
  BrowserControl(const RECT& rect, Control* parent, DWORD style, int id, HWND hostWindow = nullptr);
  ~BrowserControl() override;

  // Makes the browser object, makes it in-place active in parentWindow at rect (client
  // coordinates in layout units, placed at parentWindow's density) and subscribes to its events.
  // 1 on success (also when it already exists).
  int Create(HWND parentWindow, const RECT& rect, DWORD style);
  // Nothing without a browser.
  void Navigate(const wchar_t* url, VARIANT* flags, VARIANT* targetFrame, VARIANT* postData,
                VARIANT* headers);
  // Destroys the browser window, the site and the subscription, and releases the browser.
  void Destroy();

  void Show(int show) override;
  void Enable(int enable) override;
  RECT Move(const RECT* newRect, int stretch) override;
  // The host went to a display of another density: the browser window takes its new size.
  void OnDpiChanged() override;

  BrowserSite* site() const { return site_.get(); }
  IWebBrowser2* browser() const { return browser_.Get(); }
  HWND browserWindow() const { return browserWindow_; }
  // The browser's default source dispinterface (all zero until subscribed).
  const GUID& eventInterface() const { return eventInterface_; }
  DWORD cookie() const { return cookie_; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IDispatch: no type information and no names; Invoke routes the browser's events by DISPID
  // to the handlers below and answers S_OK for every DISPID, known or not.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argError) override;

  // The browser's events, with their parameters; none is acted on.
  virtual void BeforeNavigate2(IDispatch* /*browser*/, VARIANT* /*url*/, VARIANT* /*flags*/,
                               VARIANT* /*targetFrame*/, VARIANT* /*postData*/,
                               VARIANT* /*headers*/, VARIANT_BOOL* /*cancel*/) {}
  virtual void ClientToHostWindow(long* /*width*/, long* /*height*/) {}
  virtual void CommandStateChange(long /*command*/, VARIANT_BOOL /*enable*/) {}
  virtual void DocumentComplete(IDispatch* /*browser*/, VARIANT* /*url*/) {}
  virtual void DownloadBegin() {}
  virtual void DownloadComplete() {}
  virtual void FileDownload(VARIANT_BOOL /*activeDocument*/, VARIANT_BOOL* /*cancel*/) {}
  virtual void NavigateComplete2(IDispatch* /*browser*/, VARIANT* /*url*/) {}
  virtual void NavigateError(IDispatch* /*browser*/, VARIANT* /*url*/, VARIANT* /*frame*/,
                             VARIANT* /*statusCode*/, VARIANT_BOOL* /*cancel*/) {}
  virtual void NewWindow2(IDispatch** /*browser*/, VARIANT_BOOL* /*cancel*/) {}
  virtual void OnFullScreen(VARIANT_BOOL /*fullScreen*/) {}
  virtual void OnMenuBar(VARIANT_BOOL /*menuBar*/) {}
  virtual void OnQuit() {}
  virtual void OnStatusBar(VARIANT_BOOL /*statusBar*/) {}
  virtual void OnTheaterMode(VARIANT_BOOL /*theaterMode*/) {}
  virtual void OnToolBar(VARIANT_BOOL /*toolBar*/) {}
  virtual void OnVisible(VARIANT_BOOL /*visible*/) {}
  virtual void PrivacyImpactedStateChange(VARIANT_BOOL /*impacted*/) {}
  virtual void ProgressChange(long /*progress*/, long /*progressMax*/) {}
  virtual void PropertyChange(BSTR /*property*/) {}
  virtual void StatusTextChange(BSTR /*text*/) {}
  virtual void TitleChange(BSTR /*text*/) {}
  virtual void WindowClosing(VARIANT_BOOL /*isChildWindow*/, VARIANT_BOOL* /*cancel*/) {}
  virtual void WindowSetHeight(long /*height*/) {}
  virtual void WindowSetLeft(long /*left*/) {}
  virtual void WindowSetResizable(VARIANT_BOOL /*resizable*/) {}
  virtual void WindowSetTop(long /*top*/) {}
  virtual void WindowSetWidth(long /*width*/) {}

  // What the site's interfaces forward to, grouped by interface. Unless noted: E_NOTIMPL.
  // IDocHostUIHandler
  virtual HRESULT ShowContextMenu(DWORD id, POINT* point, IUnknown* commandTarget,
                                  IDispatch* object);  // S_FALSE: the browser's own menu
  virtual HRESULT GetHostInfo(DOCHOSTUIINFO* info);    // S_OK, unchanged
  virtual HRESULT ShowUI(DWORD id, IOleInPlaceActiveObject* activeObject,
                         IOleCommandTarget* commandTarget, IOleInPlaceFrame* frame,
                         IOleInPlaceUIWindow* document);  // S_OK: no browser menus or bars
  virtual HRESULT HideUI();                               // S_OK
  virtual HRESULT UpdateUI();                             // S_OK
  virtual HRESULT EnableModeless(BOOL enable);            // also IOleInPlaceFrame's
  virtual HRESULT OnDocWindowActivate(BOOL activate);
  virtual HRESULT OnFrameWindowActivate(BOOL activate);
  virtual HRESULT ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow);
  virtual HRESULT TranslateAccelerator(LPMSG message, WORD commandId);  // IOleInPlaceFrame's
  virtual HRESULT TranslateAccelerator(MSG* message, DWORD modifiers);  // IOleControlSite's
  // S_OK: every accelerator counts as handled by the host, so the browser runs none.
  virtual HRESULT TranslateAccelerator(LPMSG message, const GUID* commandGroup, DWORD commandId);
  virtual HRESULT GetOptionKeyPath(LPOLESTR* key, DWORD reserved);
  virtual HRESULT GetDropTarget(IDropTarget* dropTarget, IDropTarget** replacement);
  virtual HRESULT GetExternal(IDispatch** external);  // the control; S_OK
  virtual HRESULT TranslateUrl(DWORD translate, LPWSTR urlIn, LPWSTR* urlOut);
  virtual HRESULT FilterDataObject(IDataObject* object, IDataObject** replacement);
  // IOleClientSite
  virtual HRESULT SaveObject();
  virtual HRESULT GetMoniker(DWORD assign, DWORD whichMoniker, IMoniker** moniker);
  virtual HRESULT GetContainer(IOleContainer** container);  // the site's, with a site
  virtual HRESULT ShowObject();                             // S_OK
  virtual HRESULT OnShowWindow(BOOL show);
  virtual HRESULT RequestNewObjectLayout();
  // IOleWindow (of IOleInPlaceSite and IOleInPlaceFrame)
  virtual HRESULT GetWindow(HWND* window);  // the site's window, else E_FAIL
  virtual HRESULT ContextSensitiveHelp(BOOL enterMode);
  // IOleInPlaceSite
  virtual HRESULT CanInPlaceActivate();  // S_OK
  virtual HRESULT OnInPlaceActivate();   // S_OK
  virtual HRESULT OnUIActivate();        // S_OK
  virtual HRESULT GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                   LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo);
  virtual HRESULT Scroll(SIZE extent);
  virtual HRESULT OnUIDeactivate(BOOL undoable);
  virtual HRESULT OnInPlaceDeactivate();
  virtual HRESULT DiscardUndoState();
  virtual HRESULT DeactivateAndUndo();
  virtual HRESULT OnPosRectChange(LPCRECT position);
  // IOleControlSite
  virtual HRESULT OnControlInfoChanged();
  virtual HRESULT LockInPlaceActive(BOOL lock);
  virtual HRESULT GetExtendedControl(IDispatch** control);
  virtual HRESULT TransformCoords(POINTL* himetric, POINTF* container, DWORD flags);
  virtual HRESULT OnFocus(BOOL gotFocus);
  virtual HRESULT ShowPropertyFrame();
  // IOleInPlaceUIWindow, IOleInPlaceFrame
  virtual HRESULT GetBorder(LPRECT border);
  virtual HRESULT RequestBorderSpace(LPCBORDERWIDTHS widths);
  virtual HRESULT SetBorderSpace(LPCBORDERWIDTHS widths);
  virtual HRESULT SetActiveObject(IOleInPlaceActiveObject* activeObject, LPCOLESTR name);
  virtual HRESULT InsertMenus(HMENU shared, LPOLEMENUGROUPWIDTHS widths);
  virtual HRESULT SetMenu(HMENU shared, HOLEMENU oleMenu, HWND activeObject);
  virtual HRESULT RemoveMenus(HMENU shared);
  virtual HRESULT SetStatusText(LPCOLESTR text);
  // IParseDisplayName, IOleContainer
  virtual HRESULT ParseDisplayName(IBindCtx* context, LPOLESTR name, ULONG* eaten,
                                   IMoniker** moniker);
  virtual HRESULT EnumObjects(DWORD flags, IEnumUnknown** objects);
  virtual HRESULT LockContainer(BOOL lock);

 private:
  // Puts the browser window (and, on its own thread, the site's idea of it) on the control's
  // rectangle in device pixels of the host window.
  void PlaceWindow();
  // The host's COM identity.
  IDispatch* Identity() { return this; }
  bool OnHomeThread() const { return GetCurrentThreadId() == homeThread_; }
  // Failure after the browser object exists: it keeps no pointer to a site that goes.
  int AbandonSite(IOleObject* object);
  void Subscribe(IOleObject* object);
  void DoVerb(IOleObject* object, LONG verb);

  std::unique_ptr<BrowserSite> site_;
  ComOwner<IWebBrowser2> browser_;
  ComOwner<IConnectionPoint> connectionPoint_;
  DWORD cookie_ = 0xFFFFFFFF;
  HWND browserWindow_ = nullptr;
  GUID eventInterface_ = {};
  DWORD homeThread_ = 0;
  bool oleInitialized_ = false;
};

}  // namespace dl
