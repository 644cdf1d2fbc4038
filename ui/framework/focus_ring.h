// The keyboard focus made visible: a light frame with a dark one inside it, drawn over the edge
// of the focused control, so that it shows on the dark skin and on light pictures alike. It
// never takes the mouse.
#pragma once

#include <windows.h>

#include "ui/controls/control.h"

namespace dl {

class FocusRing : public Control {
 public:
  explicit FocusRing(Control* parent);

  // Lies along the inside of `area` (client coordinates of the window, as GetRect gives them)
  // and comes to the top of its parent's children, so that nothing draws over it.
  void Surround(const RECT& area);
  void DrawSelf(GpGraphics* graphics) override;
};

}  // namespace dl
