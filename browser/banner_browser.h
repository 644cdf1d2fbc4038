// The browser control of the installer window's banner: the page is shown without scroll bars,
// whatever its height.
#pragma once

#include "browser/browser_control.h"

namespace dl {

class BannerBrowser : public BrowserControl {
 public:
  using BrowserControl::BrowserControl;

  HRESULT GetHostInfo(DOCHOSTUIINFO* info) override;
};

}  // namespace dl
