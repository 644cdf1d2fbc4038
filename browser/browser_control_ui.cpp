// What the page's document asks its host: the host adds no menus, toolbars or accelerators of
// its own and lets the browser show its standard context menu.
#include "browser/browser_control.h"

namespace dl {

HRESULT BrowserControl::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) { return S_FALSE; }
HRESULT BrowserControl::GetHostInfo(DOCHOSTUIINFO*) { return S_OK; }
HRESULT BrowserControl::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*,
                               IOleInPlaceFrame*, IOleInPlaceUIWindow*) {
  return S_OK;
}
HRESULT BrowserControl::HideUI() { return S_OK; }
HRESULT BrowserControl::UpdateUI() { return S_OK; }
HRESULT BrowserControl::EnableModeless(BOOL) { return E_NOTIMPL; }
HRESULT BrowserControl::OnDocWindowActivate(BOOL) { return E_NOTIMPL; }
HRESULT BrowserControl::OnFrameWindowActivate(BOOL) { return E_NOTIMPL; }
HRESULT BrowserControl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return E_NOTIMPL; }
HRESULT BrowserControl::TranslateAccelerator(LPMSG, WORD) { return E_NOTIMPL; }
HRESULT BrowserControl::TranslateAccelerator(MSG*, DWORD) { return E_NOTIMPL; }
HRESULT BrowserControl::TranslateAccelerator(LPMSG, const GUID*, DWORD) { return S_OK; }
HRESULT BrowserControl::GetOptionKeyPath(LPOLESTR*, DWORD) { return E_NOTIMPL; }
HRESULT BrowserControl::GetDropTarget(IDropTarget*, IDropTarget**) { return E_NOTIMPL; }

HRESULT BrowserControl::GetExternal(IDispatch** external) {
  // Scripts see a non-null external object that implements no methods.
  if (external != nullptr) *external = Identity();
  return S_OK;
}

HRESULT BrowserControl::TranslateUrl(DWORD, LPWSTR, LPWSTR*) { return E_NOTIMPL; }
HRESULT BrowserControl::FilterDataObject(IDataObject*, IDataObject**) { return E_NOTIMPL; }

}  // namespace dl
