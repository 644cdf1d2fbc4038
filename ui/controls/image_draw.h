// Draws one frame of a skin image into a rectangle with a constant opacity, and makes the
// resampled copies of the artwork that densities without artwork of their own are drawn from.
#pragma once

#include <windows.h>

#include "ui/controls/frame_source.h"

namespace Gdiplus {
class GpGraphics;
class GpImage;
}  // namespace Gdiplus

namespace dl {

class SkinImage;

// destination is in device pixels of a window drawn at dpi; frame's destination size is taken
// from it, and the picture is the image's artwork for that density. Failures stay in the
// graphics object's status.
void DrawImageFrame(Gdiplus::GpGraphics* graphics, SkinImage* image, const RECT& destination,
                    FrameSelection frame, unsigned alpha, unsigned dpi);

// A new picture of cols x rows cells of cellWidth x cellHeight, each the matching cell of source
// resampled with the library's high-quality bicubic filter. Cells are resampled one by one, so
// the frames of a strip never bleed into each other. Null when it cannot be made; the caller
// disposes of it.
Gdiplus::GpImage* ResampleCells(Gdiplus::GpImage* source, unsigned cols, unsigned rows,
                                unsigned cellWidth, unsigned cellHeight);

}  // namespace dl
