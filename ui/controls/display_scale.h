// The arithmetic of showing a layout designed at 96 DPI on a display of another density: layout
// units to device pixels and back, font sizes, and which artwork a density is drawn from. Kept
// free of the window system so that its rounding is tested natively.
#pragma once

#include <cstdint>

namespace dl {

// The density the layout, its rectangles and the 1x artwork are designed for.
constexpr uint32_t kLayoutDpi = 96;

// The density a window is drawn at, from what the system reports: never below the layout's own
// (its texts are at their smallest readable size already), 0 (no answer) taken as 96, and
// bounded so that a nonsense answer cannot ask for giant surfaces.
uint32_t UsableDpi(uint32_t reported);

// Device pixel of a layout coordinate, rounded half up: 600 and 350 at 120 DPI give 750 and 438.
int32_t ToDevice(int32_t layout, uint32_t dpi);
// The layout coordinate a device pixel belongs to: the largest L with ToDevice(L) <= device, so
// a point hits a layout rectangle exactly when its pixel lies between the rectangle's edges.
int32_t ToLayout(int32_t device, uint32_t dpi);

struct Box {
  int32_t left, top, right, bottom;
};

// A layout rectangle on the device: the origin is rounded, and the size on its own, so a picture
// of a given layout size covers the same number of device pixels wherever it sits and its
// resampled artwork is drawn 1:1.
Box BoxToDevice(const Box& layout, uint32_t dpi);
// The layout rectangle of the layout coordinates the device rectangle's pixels belong to.
Box BoxToLayout(const Box& device, uint32_t dpi);

// Pixel size at dpi of a font size given in one of the drawing library's units (2 pixel, 3 point,
// 4 inch, 5 document, 6 millimetre; world and display are pixels of the layout).
float FontPixels(float size, int unit, uint32_t dpi);

// The artwork a density draws from: the 1x set at the layout's density, the 2x set at exactly
// twice it, and for every other density the 2x set (the nearest larger one; above 2x the largest)
// resampled to that density.
enum class ArtSource { kSingle, kDouble, kDoubleResampled };
ArtSource ChooseArt(uint32_t dpi);

}  // namespace dl
