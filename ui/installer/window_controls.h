// The controls of the installer window and of its failure notice that the window reaches
// later, and the helpers that add skinned controls to a tree. The controls belong to the tree
// of their window; these are only the ways to them.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "config/site_settings.h"

#include "ui/controls/button.h"
#include "ui/controls/control.h"
#include "ui/controls/label.h"

namespace dl {

// Room for the path label's text: its prefix, a base folder and the site's folder name.
constexpr size_t kPathLabelCap = kInstallBaseCap + 64;

struct MainControls {
  Label* versionLabel = nullptr;
  Control* titleBar = nullptr;
  Control* runner = nullptr;
  Control* progressTrack = nullptr;
  Control* progressFill = nullptr;
  Label* pathLabel = nullptr;
  Label* sizeLabel = nullptr;
  Label* speedLabel = nullptr;
  Label* remainingLabel = nullptr;  // under the speed; hidden while the time left is unknown
  Label* percentLabel = nullptr;
  Label* tipLabel = nullptr;
  Button* installButton = nullptr;
  Label* installLabel = nullptr;  // child of installButton
  Button* modifyButton = nullptr;
  Button* minimizeButton = nullptr;
  Button* closeButton = nullptr;
};

struct NoticeControls {
  Control* noticeImage = nullptr;
  Button* noticeRetryButton = nullptr;
  Button* noticeOkButton = nullptr;
  Label* noticeTitle = nullptr;
  Label* noticeSubtitle = nullptr;
  Label* noticeReasons = nullptr;
};

// Font family and size in points (regular), and the text's colour 0xAARRGGBB.
struct LabelStyle {
  const wchar_t* family;
  float points;
  uint32_t argb;
};

// An image of the program's "IMAGE" resource `skin` at its natural size at (x, y), or
// stretched into rect (relative to the parent).
Control* AddImage(Control* parent, int skin, int x, int y);
Control* AddImage(Control* parent, int skin, const RECT& rect);
Button* AddButton(Control* parent, int skin, int x, int y, int id);
// A label with id 0; a disabled one lets the mouse through to what lies below.
Label* AddLabel(Control* parent, const RECT& rect, const LabelStyle& style, const wchar_t* text,
                bool enabled);

}  // namespace dl
