// Which source pixels a control's frame reads.
#include <gtest/gtest.h>

#include "ui/controls/frame_source.h"

namespace {

struct Case {
  uint32_t imageWidth, imageHeight;
  dl::FrameSelection frame;  // cols, rows, col, row, mirrorX, mirrorY, stretch, width, height
  dl::SourceRect read;
};

TEST(FrameSource, ReadsTheFramesCellOrAsMuchAsTheDestinationAtOneToOne) {
  const Case cases[] = {
      // A button strip: frame 2 of four 34-px cells.
      {136, 34, {4, 1, 2, 0, 0, 0, 0, 34, 34}, {68, 0, 34, 34}},
      // At 1:1 a wider rectangle reaches into the next frame.
      {136, 34, {4, 1, 0, 0, 0, 0, 0, 50, 34}, {0, 0, 50, 34}},
      // Stretched: one cell whatever the destination.
      {360, 20, {18, 1, 5, 0, 0, 0, 1, 300, 7}, {100, 0, 20, 20}},
      // Rows, and sizes that do not split evenly.
      {100, 50, {3, 2, 2, 1, 0, 0, 1, 1, 1}, {66, 25, 33, 25}},
      // A zero grid counts as one frame instead of dividing by zero.
      {40, 30, {0, 0, 0, 0, 0, 0, 1, 5, 5}, {0, 0, 40, 30}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    const dl::SourceRect r = dl::FrameSourceRect(c.imageWidth, c.imageHeight, c.frame);
    EXPECT_EQ(r.x, c.read.x);
    EXPECT_EQ(r.y, c.read.y);
    EXPECT_EQ(r.width, c.read.width);
    EXPECT_EQ(r.height, c.read.height);
  }
}

}  // namespace
