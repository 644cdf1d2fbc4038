#include "ui/framework/focus_ring.h"

#include <gdiplus.h>

#include "ui/controls/device_rect.h"
#include "ui/controls/text_objects.h"

namespace dl {

namespace {

constexpr uint32_t kOuterColour = 0xFFFFFFFF;
constexpr uint32_t kInnerColour = 0xA0000000;

// A frame `line` pixels thick along the inside of r.
void Frame(GpGraphics* graphics, const TextBrush& brush, const RECT& r, INT line) {
  const INT width = r.right - r.left;
  const INT height = r.bottom - r.top;
  if (width <= 0 || height <= 0 || brush.handle() == nullptr) return;
  namespace gdip = Gdiplus::DllExports;
  gdip::GdipFillRectangleI(graphics, brush.handle(), r.left, r.top, width, line);
  gdip::GdipFillRectangleI(graphics, brush.handle(), r.left, r.bottom - line, width, line);
  gdip::GdipFillRectangleI(graphics, brush.handle(), r.left, r.top, line, height);
  gdip::GdipFillRectangleI(graphics, brush.handle(), r.right - line, r.top, line, height);
}

}  // namespace

FocusRing::FocusRing(Control* parent)
    : Control(RECT{0, 0, 0, 0}, nullptr, parent, 0, nullptr, nullptr, nullptr) {
  Enable(0);  // HitTest passes over a disabled control to what lies below
  Show(0);
}

void FocusRing::Surround(const RECT& area) {
  if (parent_ != nullptr) {
    // Taken off and put back last: a control attached after the ring would draw over it.
    SetParent(parent_);
    const RECT origin = parent_->GetRect();
    const RECT relative = {area.left - origin.left, area.top - origin.top, area.right - origin.left,
                           area.bottom - origin.top};
    Move(&relative, 1);
  }
  Invalidate(nullptr, 0);
}

void FocusRing::DrawSelf(GpGraphics* graphics) {
  const TextBrush outer(kOuterColour);
  const TextBrush inner(kInnerColour);
  // Each line is a layout pixel wide, so the ring keeps its weight on a denser display.
  const unsigned dpi = Dpi();
  const RECT area = DeviceRect(rect_, dpi);
  const INT line = ToDevice(1, dpi) - ToDevice(0, dpi);
  Frame(graphics, outer, area, line);
  const RECT inside = {area.left + line, area.top + line, area.right - line, area.bottom - line};
  Frame(graphics, inner, inside, line);
}

}  // namespace dl
