#include "ui/controls/display_scale.h"

namespace dl {

namespace {

// Floor division, also for negative layout coordinates (a control left of its parent's origin).
int64_t FloorDiv(int64_t a, int64_t b) {
  const int64_t q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

constexpr uint32_t kLargestDpi = 960;  // 1000 %

}  // namespace

uint32_t UsableDpi(uint32_t reported) {
  if (reported < kLayoutDpi) return kLayoutDpi;
  return reported > kLargestDpi ? kLargestDpi : reported;
}

int32_t ToDevice(int32_t layout, uint32_t dpi) {
  return static_cast<int32_t>(
      FloorDiv(static_cast<int64_t>(layout) * dpi + kLayoutDpi / 2, kLayoutDpi));
}

int32_t ToLayout(int32_t device, uint32_t dpi) {
  if (dpi == 0) return device;
  int32_t layout = static_cast<int32_t>(FloorDiv(static_cast<int64_t>(device) * kLayoutDpi, dpi));
  // The estimate is off by at most one either way after ToDevice's rounding.
  while (ToDevice(layout + 1, dpi) <= device) ++layout;
  while (ToDevice(layout, dpi) > device) --layout;
  return layout;
}

Box BoxToDevice(const Box& layout, uint32_t dpi) {
  const int32_t left = ToDevice(layout.left, dpi);
  const int32_t top = ToDevice(layout.top, dpi);
  return {left, top, left + ToDevice(layout.right - layout.left, dpi),
          top + ToDevice(layout.bottom - layout.top, dpi)};
}

Box BoxToLayout(const Box& device, uint32_t dpi) {
  if (device.right <= device.left || device.bottom <= device.top) {
    return {ToLayout(device.left, dpi), ToLayout(device.top, dpi), ToLayout(device.left, dpi),
            ToLayout(device.top, dpi)};
  }
  return {ToLayout(device.left, dpi), ToLayout(device.top, dpi),
          ToLayout(device.right - 1, dpi) + 1, ToLayout(device.bottom - 1, dpi) + 1};
}

float FontPixels(float size, int unit, uint32_t dpi) {
  float layoutPixels = size;
  switch (unit) {
    case 3:  // point
      layoutPixels = size * kLayoutDpi / 72.0f;
      break;
    case 4:  // inch
      layoutPixels = size * kLayoutDpi;
      break;
    case 5:  // document, 1/300 inch
      layoutPixels = size * kLayoutDpi / 300.0f;
      break;
    case 6:  // millimetre
      layoutPixels = size * kLayoutDpi / 25.4f;
      break;
    default:
      break;
  }
  return layoutPixels * static_cast<float>(dpi) / static_cast<float>(kLayoutDpi);
}

ArtSource ChooseArt(uint32_t dpi) {
  if (dpi <= kLayoutDpi) return ArtSource::kSingle;
  if (dpi == 2 * kLayoutDpi) return ArtSource::kDouble;
  return ArtSource::kDoubleResampled;
}

}  // namespace dl
