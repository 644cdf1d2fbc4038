// The site answers for its own interfaces and keeps the browser's window and position; every
// other call is the control's business.
#include "browser/browser_site.h"

#include "browser/browser_control.h"

namespace dl {

BrowserSite::BrowserSite(HWND window, const RECT& position, BrowserControl* control)
    : window_(window), position_(position), control_(control) {}

HRESULT BrowserSite::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_FAIL;
  if (iid == IID_IUnknown || iid == IID_IOleWindow || iid == IID_IOleInPlaceUIWindow ||
      iid == IID_IOleInPlaceFrame) {
    *out = static_cast<IOleInPlaceFrame*>(this);
  } else if (iid == IID_IParseDisplayName || iid == IID_IOleContainer) {
    *out = static_cast<IOleContainer*>(this);
  } else if (iid == IID_IOleClientSite) {
    *out = static_cast<IOleClientSite*>(this);
  } else if (iid == IID_IOleInPlaceSite) {
    *out = static_cast<IOleInPlaceSite*>(this);
  } else if (iid == IID_IOleControlSite) {
    *out = static_cast<IOleControlSite*>(this);
  } else if (iid == IID_IDispatch) {
    *out = static_cast<IDispatch*>(this);
  } else if (iid == IID_IDocHostUIHandler) {
    *out = static_cast<IDocHostUIHandler*>(this);
  } else {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  return S_OK;
}

// The site lives exactly as long as its control.
ULONG BrowserSite::AddRef() { return 1; }
ULONG BrowserSite::Release() { return 1; }

// IOleWindow

HRESULT BrowserSite::GetWindow(HWND* window) { return control_->GetWindow(window); }
HRESULT BrowserSite::ContextSensitiveHelp(BOOL enterMode) {
  return control_->ContextSensitiveHelp(enterMode);
}

// IOleInPlaceUIWindow, IOleInPlaceFrame

HRESULT BrowserSite::GetBorder(LPRECT border) { return control_->GetBorder(border); }
HRESULT BrowserSite::RequestBorderSpace(LPCBORDERWIDTHS widths) {
  return control_->RequestBorderSpace(widths);
}
HRESULT BrowserSite::SetBorderSpace(LPCBORDERWIDTHS widths) {
  return control_->SetBorderSpace(widths);
}
HRESULT BrowserSite::SetActiveObject(IOleInPlaceActiveObject* activeObject, LPCOLESTR name) {
  return control_->SetActiveObject(activeObject, name);
}
HRESULT BrowserSite::InsertMenus(HMENU shared, LPOLEMENUGROUPWIDTHS widths) {
  return control_->InsertMenus(shared, widths);
}
HRESULT BrowserSite::SetMenu(HMENU shared, HOLEMENU oleMenu, HWND activeObject) {
  return control_->SetMenu(shared, oleMenu, activeObject);
}
HRESULT BrowserSite::RemoveMenus(HMENU shared) { return control_->RemoveMenus(shared); }
HRESULT BrowserSite::SetStatusText(LPCOLESTR text) { return control_->SetStatusText(text); }
HRESULT BrowserSite::EnableModeless(BOOL enable) { return control_->EnableModeless(enable); }
HRESULT BrowserSite::TranslateAccelerator(LPMSG message, WORD commandId) {
  return control_->TranslateAccelerator(message, commandId);
}

// IParseDisplayName, IOleContainer

HRESULT BrowserSite::ParseDisplayName(IBindCtx* context, LPOLESTR name, ULONG* eaten,
                                      IMoniker** moniker) {
  return control_->ParseDisplayName(context, name, eaten, moniker);
}
HRESULT BrowserSite::EnumObjects(DWORD flags, IEnumUnknown** objects) {
  return control_->EnumObjects(flags, objects);
}
HRESULT BrowserSite::LockContainer(BOOL lock) { return control_->LockContainer(lock); }

// IOleClientSite

HRESULT BrowserSite::SaveObject() { return control_->SaveObject(); }
HRESULT BrowserSite::GetMoniker(DWORD assign, DWORD whichMoniker, IMoniker** moniker) {
  return control_->GetMoniker(assign, whichMoniker, moniker);
}
HRESULT BrowserSite::GetContainer(IOleContainer** container) {
  return control_->GetContainer(container);
}
HRESULT BrowserSite::ShowObject() { return control_->ShowObject(); }
HRESULT BrowserSite::OnShowWindow(BOOL show) { return control_->OnShowWindow(show); }
HRESULT BrowserSite::RequestNewObjectLayout() { return control_->RequestNewObjectLayout(); }

// IOleInPlaceSite

HRESULT BrowserSite::CanInPlaceActivate() { return control_->CanInPlaceActivate(); }
HRESULT BrowserSite::OnInPlaceActivate() { return control_->OnInPlaceActivate(); }
HRESULT BrowserSite::OnUIActivate() { return control_->OnUIActivate(); }
HRESULT BrowserSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                      LPRECT position, LPRECT clip,
                                      LPOLEINPLACEFRAMEINFO frameInfo) {
  return control_->GetWindowContext(frame, document, position, clip, frameInfo);
}
HRESULT BrowserSite::Scroll(SIZE extent) { return control_->Scroll(extent); }
HRESULT BrowserSite::OnUIDeactivate(BOOL undoable) { return control_->OnUIDeactivate(undoable); }
HRESULT BrowserSite::OnInPlaceDeactivate() { return control_->OnInPlaceDeactivate(); }
HRESULT BrowserSite::DiscardUndoState() { return control_->DiscardUndoState(); }
HRESULT BrowserSite::DeactivateAndUndo() { return control_->DeactivateAndUndo(); }
HRESULT BrowserSite::OnPosRectChange(LPCRECT position) {
  return control_->OnPosRectChange(position);
}

// IOleControlSite

HRESULT BrowserSite::OnControlInfoChanged() { return control_->OnControlInfoChanged(); }
HRESULT BrowserSite::LockInPlaceActive(BOOL lock) { return control_->LockInPlaceActive(lock); }
HRESULT BrowserSite::GetExtendedControl(IDispatch** control) {
  return control_->GetExtendedControl(control);
}
HRESULT BrowserSite::TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) {
  return control_->TransformCoords(himetric, container, flags);
}
HRESULT BrowserSite::TranslateAccelerator(MSG* message, DWORD modifiers) {
  return control_->TranslateAccelerator(message, modifiers);
}
HRESULT BrowserSite::OnFocus(BOOL gotFocus) { return control_->OnFocus(gotFocus); }
HRESULT BrowserSite::ShowPropertyFrame() { return control_->ShowPropertyFrame(); }

// IDispatch: the browser's ambient-property questions reach the control's dispatch.

HRESULT BrowserSite::GetTypeInfoCount(UINT* count) { return control_->GetTypeInfoCount(count); }
HRESULT BrowserSite::GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) {
  return control_->GetTypeInfo(index, locale, info);
}
HRESULT BrowserSite::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                   DISPID* ids) {
  return control_->GetIDsOfNames(iid, names, count, locale, ids);
}
HRESULT BrowserSite::Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                            VARIANT* result, EXCEPINFO* exception, UINT* argError) {
  return control_->Invoke(id, iid, locale, flags, params, result, exception, argError);
}

// IDocHostUIHandler

HRESULT BrowserSite::ShowContextMenu(DWORD id, POINT* point, IUnknown* commandTarget,
                                     IDispatch* object) {
  return control_->ShowContextMenu(id, point, commandTarget, object);
}
HRESULT BrowserSite::GetHostInfo(DOCHOSTUIINFO* info) { return control_->GetHostInfo(info); }
HRESULT BrowserSite::ShowUI(DWORD id, IOleInPlaceActiveObject* activeObject,
                            IOleCommandTarget* commandTarget, IOleInPlaceFrame* frame,
                            IOleInPlaceUIWindow* document) {
  return control_->ShowUI(id, activeObject, commandTarget, frame, document);
}
HRESULT BrowserSite::HideUI() { return control_->HideUI(); }
HRESULT BrowserSite::UpdateUI() { return control_->UpdateUI(); }
HRESULT BrowserSite::OnDocWindowActivate(BOOL activate) {
  return control_->OnDocWindowActivate(activate);
}
HRESULT BrowserSite::OnFrameWindowActivate(BOOL activate) {
  return control_->OnFrameWindowActivate(activate);
}
HRESULT BrowserSite::ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) {
  return control_->ResizeBorder(border, window, frameWindow);
}
HRESULT BrowserSite::TranslateAccelerator(LPMSG message, const GUID* commandGroup,
                                          DWORD commandId) {
  return control_->TranslateAccelerator(message, commandGroup, commandId);
}
HRESULT BrowserSite::GetOptionKeyPath(LPOLESTR* key, DWORD reserved) {
  return control_->GetOptionKeyPath(key, reserved);
}
HRESULT BrowserSite::GetDropTarget(IDropTarget* dropTarget, IDropTarget** replacement) {
  return control_->GetDropTarget(dropTarget, replacement);
}
HRESULT BrowserSite::GetExternal(IDispatch** external) { return control_->GetExternal(external); }
HRESULT BrowserSite::TranslateUrl(DWORD translate, LPWSTR urlIn, LPWSTR* urlOut) {
  return control_->TranslateUrl(translate, urlIn, urlOut);
}
HRESULT BrowserSite::FilterDataObject(IDataObject* object, IDataObject** replacement) {
  return control_->FilterDataObject(object, replacement);
}

}  // namespace dl
