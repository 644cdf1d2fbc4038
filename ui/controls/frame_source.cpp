#include "ui/controls/frame_source.h"

namespace dl {

SourceRect FrameSourceRect(uint32_t imageWidth, uint32_t imageHeight, const FrameSelection& frame) {
  // A zero grid would divide by zero; such a grid is one frame.
  const uint32_t cols = frame.cols == 0 ? 1 : frame.cols;
  const uint32_t rows = frame.rows == 0 ? 1 : frame.rows;
  const int32_t cellWidth = static_cast<int32_t>(imageWidth / cols);
  const int32_t cellHeight = static_cast<int32_t>(imageHeight / rows);

  SourceRect source;
  source.x = cellWidth * (frame.col + (frame.mirrorX ? 1 : 0));
  source.y = cellHeight * (frame.row + (frame.mirrorY ? 1 : 0));
  // At 1:1 the destination decides how much is read: a smaller one shows the frame's top-left
  // part (a growing bar reveals its image), a larger one reaches into the neighbours.
  source.width = frame.stretch != 0 ? cellWidth : frame.destWidth;
  source.height = frame.stretch != 0 ? cellHeight : frame.destHeight;
  if (frame.mirrorX) source.width = -source.width;
  if (frame.mirrorY) source.height = -source.height;
  return source;
}

float AlphaScale(uint32_t alpha) {
  const float perUnit = 1.0f / 255.0f;
  return static_cast<float>(alpha) * perUnit;
}

}  // namespace dl
