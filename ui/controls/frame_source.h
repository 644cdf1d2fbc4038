// The arithmetic of drawing one frame of an image grid into a control's rectangle: which
// source pixels are read, and the opacity factor. Kept free of the drawing library.
#pragma once

#include <cstdint>

namespace dl {

struct FrameSelection {
  uint32_t cols = 1;  // the image is a cols x rows grid of equal frames
  uint32_t rows = 1;
  int32_t col = 0;  // the frame drawn
  int32_t row = 0;
  int32_t mirrorX = 0;
  int32_t mirrorY = 0;
  int32_t stretch = 1;  // 1: the frame is scaled to the destination; 0: drawn at 1:1
  int32_t destWidth = 0;
  int32_t destHeight = 0;
};

// Source rectangle in image pixels. A negative extent reads leftwards (upwards) from x (y),
// which is how a mirrored frame is drawn: its origin is then the frame's far edge.
struct SourceRect {
  int32_t x;
  int32_t y;
  int32_t width;
  int32_t height;
};

SourceRect FrameSourceRect(uint32_t imageWidth, uint32_t imageHeight, const FrameSelection& frame);

// The alpha-to-alpha element of the colour matrix for a constant opacity of alpha / 255.
float AlphaScale(uint32_t alpha);

}  // namespace dl
