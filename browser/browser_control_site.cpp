// The OLE side of the host: the browser is in-place active inside the site's window at the
// site's position, and the host offers no menus, borders, status text or undo.
#include "browser/browser_control.h"
#include "browser/browser_site.h"

namespace dl {

// IOleClientSite

HRESULT BrowserControl::SaveObject() { return E_NOTIMPL; }
HRESULT BrowserControl::GetMoniker(DWORD, DWORD, IMoniker**) { return E_NOTIMPL; }

HRESULT BrowserControl::GetContainer(IOleContainer** container) {
  if (!site_ || container == nullptr) return E_NOTIMPL;
  *container = site_->container();
  return S_OK;
}

HRESULT BrowserControl::ShowObject() { return S_OK; }
HRESULT BrowserControl::OnShowWindow(BOOL) { return E_NOTIMPL; }
HRESULT BrowserControl::RequestNewObjectLayout() { return E_NOTIMPL; }

// IOleWindow

HRESULT BrowserControl::GetWindow(HWND* window) {
  if (!site_ || window == nullptr) return E_FAIL;
  *window = site_->window();
  return S_OK;
}

HRESULT BrowserControl::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

// IOleInPlaceSite

HRESULT BrowserControl::CanInPlaceActivate() { return S_OK; }
HRESULT BrowserControl::OnInPlaceActivate() { return S_OK; }
HRESULT BrowserControl::OnUIActivate() { return S_OK; }

HRESULT BrowserControl::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                         LPRECT position, LPRECT clip,
                                         LPOLEINPLACEFRAMEINFO frameInfo) {
  if (!site_) return E_FAIL;
  if (FAILED(site_->QueryInterface(IID_IOleInPlaceFrame, reinterpret_cast<void**>(frame)))) {
    return E_FAIL;
  }
  // The site's window is frame and document window at once.
  if (document != nullptr) *document = nullptr;
  if (position != nullptr) *position = site_->position();
  if (clip != nullptr) GetClientRect(site_->window(), clip);
  if (frameInfo != nullptr) {
    // The caller sets the size field.
    frameInfo->fMDIApp = FALSE;
    frameInfo->hwndFrame = site_->window();
    frameInfo->haccel = nullptr;
    frameInfo->cAccelEntries = 0;
  }
  return S_OK;
}

HRESULT BrowserControl::Scroll(SIZE) { return E_NOTIMPL; }
HRESULT BrowserControl::OnUIDeactivate(BOOL) { return E_NOTIMPL; }
HRESULT BrowserControl::OnInPlaceDeactivate() { return E_NOTIMPL; }
HRESULT BrowserControl::DiscardUndoState() { return E_NOTIMPL; }
HRESULT BrowserControl::DeactivateAndUndo() { return E_NOTIMPL; }
HRESULT BrowserControl::OnPosRectChange(LPCRECT) { return E_NOTIMPL; }

// IOleControlSite

HRESULT BrowserControl::OnControlInfoChanged() { return E_NOTIMPL; }
HRESULT BrowserControl::LockInPlaceActive(BOOL) { return E_NOTIMPL; }
HRESULT BrowserControl::GetExtendedControl(IDispatch**) { return E_NOTIMPL; }
HRESULT BrowserControl::TransformCoords(POINTL*, POINTF*, DWORD) { return E_NOTIMPL; }
HRESULT BrowserControl::OnFocus(BOOL) { return E_NOTIMPL; }
HRESULT BrowserControl::ShowPropertyFrame() { return E_NOTIMPL; }

// IOleInPlaceUIWindow, IOleInPlaceFrame

HRESULT BrowserControl::GetBorder(LPRECT) { return E_NOTIMPL; }
HRESULT BrowserControl::RequestBorderSpace(LPCBORDERWIDTHS) { return E_NOTIMPL; }
HRESULT BrowserControl::SetBorderSpace(LPCBORDERWIDTHS) { return E_NOTIMPL; }
HRESULT BrowserControl::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) { return E_NOTIMPL; }
HRESULT BrowserControl::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) { return E_NOTIMPL; }
HRESULT BrowserControl::SetMenu(HMENU, HOLEMENU, HWND) { return E_NOTIMPL; }
HRESULT BrowserControl::RemoveMenus(HMENU) { return E_NOTIMPL; }
HRESULT BrowserControl::SetStatusText(LPCOLESTR) { return E_NOTIMPL; }

// IParseDisplayName, IOleContainer

HRESULT BrowserControl::ParseDisplayName(IBindCtx*, LPOLESTR, ULONG*, IMoniker**) {
  return E_NOTIMPL;
}
HRESULT BrowserControl::EnumObjects(DWORD, IEnumUnknown**) { return E_NOTIMPL; }
HRESULT BrowserControl::LockContainer(BOOL) { return E_NOTIMPL; }

}  // namespace dl
