#include "browser/banner_thread.h"

#include <memory>

#include "browser/banner_browser.h"

namespace dl {

namespace {

// The browser object can exist without the HTML engine that renders pages (some systems ship
// the shell's browser frame alone); it then shows a blank white pane.
bool HtmlEngineAvailable() {
  static const CLSID kHtmlDocument = {
      0x25336920, 0x03F9, 0x11CF, {0x8F, 0xD0, 0x00, 0xAA, 0x00, 0x68, 0x6F, 0x13}};
  IUnknown* document = nullptr;
  if (FAILED(CoCreateInstance(kHtmlDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                              reinterpret_cast<void**>(&document))) ||
      document == nullptr) {
    return false;
  }
  document->Release();
  return true;
}

}  // namespace

DWORD WINAPI BannerThreadProc(void* start) {
  const BannerStart* what = static_cast<const BannerStart*>(start);
  SkinWindow* installer = what->window;
  const HWND host = installer->GetHwnd();
  // Built without a parent so that this thread never touches the window's control tree; the
  // browser window still goes into the installer window. As the window's tree starts at its
  // client origin, the banner's rectangle is the same before and after the attachment.
  auto banner = std::make_unique<BannerBrowser>(kBannerRect, nullptr, kBannerStyle, 0, host);
  SendMessageW(host, WM_ATTACH_BANNER, 0,
               reinterpret_cast<LPARAM>(static_cast<Control*>(banner.get())));
  // Attached, the window's tree owns the banner; otherwise it stays with this thread.
  BannerBrowser* browser = banner.get();
  if (browser->parent() != nullptr) static_cast<void>(banner.release());

  if (HtmlEngineAvailable()) {
    browser->Navigate(what->url, nullptr, nullptr, nullptr, nullptr);
  } else if (browser->browserWindow() != nullptr) {
    // Nothing could be shown there: the banner area keeps the window's own artwork.
    ShowWindow(browser->browserWindow(), SW_HIDE);
  }
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) == 1) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}

}  // namespace dl
