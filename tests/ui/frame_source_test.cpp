// Which source pixels a control's frame reads.
#include <gtest/gtest.h>

#include <tuple>

#include "ui/controls/frame_source.h"

namespace {

struct Case {
  uint32_t imageWidth, imageHeight;
  dl::FrameSelection frame;  // cols, rows, col, row, mirrorX, mirrorY, stretch, width, height
  dl::SourceRect read;
};

TEST(FrameSource, ReadsTheFramesCellOrAsMuchAsTheDestinationAtOneToOne) {
  const Case cases[] = {
      {136, 34, {4, 1, 2, 0, 0, 0, 0, 34, 34}, {68, 0, 34, 34}},    // frame 2 of four cells
      {136, 34, {4, 1, 0, 0, 0, 0, 0, 50, 34}, {0, 0, 50, 34}},     // 1:1 reaches the next frame
      {360, 20, {18, 1, 5, 0, 0, 0, 1, 300, 7}, {100, 0, 20, 20}},  // stretched: one cell
      {100, 50, {3, 2, 2, 1, 0, 0, 1, 1, 1}, {66, 25, 33, 25}},     // rows, uneven splits
      {40, 30, {0, 0, 0, 0, 0, 0, 1, 5, 5}, {0, 0, 40, 30}},        // a zero grid is one frame
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    const dl::SourceRect r = dl::FrameSourceRect(c.imageWidth, c.imageHeight, c.frame);
    EXPECT_EQ(std::tie(r.x, r.y, r.width, r.height),
              std::tie(c.read.x, c.read.y, c.read.width, c.read.height));
  }
}

}  // namespace
