// The control's own COM identity: the sink of the browser's events and the page's external
// object. It knows no names and no type information; events are routed to their handlers.
#include <exdispid.h>

#include "browser/browser_control.h"
#include "browser/event_args.h"

namespace dl {

HRESULT BrowserControl::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_FAIL;
  // The event interface only counts once the browser has named it.
  const bool events = eventInterface_ != GUID_NULL && iid == eventInterface_;
  if (iid == IID_IUnknown || iid == IID_IDispatch || events) {
    *out = Identity();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

// The control's lifetime is the control tree's business, not the browser's.
ULONG BrowserControl::AddRef() { return 1; }
ULONG BrowserControl::Release() { return 1; }

HRESULT BrowserControl::GetTypeInfoCount(UINT*) { return E_NOTIMPL; }
HRESULT BrowserControl::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
HRESULT BrowserControl::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

HRESULT BrowserControl::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                               EXCEPINFO*, UINT*) {
  const EventArgs arg(params);
  switch (id) {
    case DISPID_BEFORENAVIGATE2:
      BeforeNavigate2(arg.Dispatch(0), arg.VariantRef(1), arg.VariantRef(2), arg.VariantRef(3),
                      arg.VariantRef(4), arg.VariantRef(5), arg.BoolRef(6));
      break;
    case DISPID_CLIENTTOHOSTWINDOW:
      ClientToHostWindow(arg.LongRef(0), arg.LongRef(1));
      break;
    case DISPID_COMMANDSTATECHANGE:
      CommandStateChange(arg.Long(0), arg.Bool(1));
      break;
    case DISPID_DOCUMENTCOMPLETE:
      DocumentComplete(arg.Dispatch(0), arg.VariantRef(1));
      break;
    case DISPID_DOWNLOADBEGIN:
      DownloadBegin();
      break;
    case DISPID_DOWNLOADCOMPLETE:
      DownloadComplete();
      break;
    case DISPID_FILEDOWNLOAD:
      FileDownload(arg.Bool(0), arg.BoolRef(1));
      break;
    case DISPID_NAVIGATECOMPLETE2:
      NavigateComplete2(arg.Dispatch(0), arg.VariantRef(1));
      break;
    case DISPID_NAVIGATEERROR:
      NavigateError(arg.Dispatch(0), arg.VariantRef(1), arg.VariantRef(2), arg.VariantRef(3),
                    arg.BoolRef(4));
      break;
    case DISPID_NEWWINDOW2:
      NewWindow2(arg.DispatchRef(0), arg.BoolRef(1));
      break;
    case DISPID_ONFULLSCREEN:
      OnFullScreen(arg.Bool(0));
      break;
    case DISPID_ONMENUBAR:
      OnMenuBar(arg.Bool(0));
      break;
    case DISPID_ONQUIT:
      OnQuit();
      break;
    case DISPID_ONSTATUSBAR:
      OnStatusBar(arg.Bool(0));
      break;
    case DISPID_ONTHEATERMODE:
      OnTheaterMode(arg.Bool(0));
      break;
    case DISPID_ONTOOLBAR:
      OnToolBar(arg.Bool(0));
      break;
    case DISPID_ONVISIBLE:
      OnVisible(arg.Bool(0));
      break;
    case DISPID_PRIVACYIMPACTEDSTATECHANGE:
      PrivacyImpactedStateChange(arg.Bool(0));
      break;
    case DISPID_PROGRESSCHANGE:
      ProgressChange(arg.Long(0), arg.Long(1));
      break;
    case DISPID_PROPERTYCHANGE:
      PropertyChange(arg.String(0));
      break;
    case DISPID_STATUSTEXTCHANGE:
      StatusTextChange(arg.String(0));
      break;
    case DISPID_TITLECHANGE:
      TitleChange(arg.String(0));
      break;
    case DISPID_WINDOWCLOSING:
      WindowClosing(arg.Bool(0), arg.BoolRef(1));
      break;
    case DISPID_WINDOWSETHEIGHT:
      WindowSetHeight(arg.Long(0));
      break;
    case DISPID_WINDOWSETLEFT:
      WindowSetLeft(arg.Long(0));
      break;
    case DISPID_WINDOWSETRESIZABLE:
      WindowSetResizable(arg.Bool(0));
      break;
    case DISPID_WINDOWSETTOP:
      WindowSetTop(arg.Long(0));
      break;
    case DISPID_WINDOWSETWIDTH:
      WindowSetWidth(arg.Long(0));
      break;
    default:
      break;
  }
  // Every call counts as received, whatever it was: the browser then takes its own course.
  return S_OK;
}

}  // namespace dl
