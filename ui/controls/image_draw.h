// Draws one frame of a skin image into a rectangle with a constant opacity.
#pragma once

#include <windows.h>

#include "ui/controls/frame_source.h"

namespace Gdiplus {
class GpGraphics;
}

namespace dl {

class SkinImage;

// destination is in client coordinates; frame's destination size is taken from it. Failures
// stay in the graphics object's status.
void DrawImageFrame(Gdiplus::GpGraphics* graphics, SkinImage* image, const RECT& destination,
                    FrameSelection frame, unsigned alpha);

}  // namespace dl
