#include "browser/banner_browser.h"

namespace dl {

HRESULT BannerBrowser::GetHostInfo(DOCHOSTUIINFO* info) {
  if (info != nullptr) info->dwFlags |= DOCHOSTUIFLAG_SCROLL_NO;
  return S_OK;
}

}  // namespace dl
