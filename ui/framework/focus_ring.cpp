#include "ui/framework/focus_ring.h"

#include <gdiplus.h>

#include "ui/controls/text_objects.h"

namespace dl {

namespace {

constexpr uint32_t kOuterColour = 0xFFFFFFFF;
constexpr uint32_t kInnerColour = 0xA0000000;

// A one-pixel frame along the inside of r.
void Frame(GpGraphics* graphics, const TextBrush& brush, const RECT& r) {
  const INT width = r.right - r.left;
  const INT height = r.bottom - r.top;
  if (width <= 0 || height <= 0 || brush.handle() == nullptr) return;
  namespace gdip = Gdiplus::DllExports;
  gdip::GdipFillRectangleI(graphics, brush.handle(), r.left, r.top, width, 1);
  gdip::GdipFillRectangleI(graphics, brush.handle(), r.left, r.bottom - 1, width, 1);
  gdip::GdipFillRectangleI(graphics, brush.handle(), r.left, r.top, 1, height);
  gdip::GdipFillRectangleI(graphics, brush.handle(), r.right - 1, r.top, 1, height);
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
  Frame(graphics, outer, rect_);
  const RECT inside = {rect_.left + 1, rect_.top + 1, rect_.right - 1, rect_.bottom - 1};
  Frame(graphics, inner, inside);
}

}  // namespace dl
