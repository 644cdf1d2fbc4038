// Which source pixels a control's frame reads, and the opacity factor.
#include <gtest/gtest.h>

#include "ui/controls/frame_source.h"

namespace {

using dl::FrameSelection;
using dl::FrameSourceRect;
using dl::SourceRect;

FrameSelection Grid(uint32_t cols, uint32_t rows, int col, int row, int stretch, int w, int h) {
  FrameSelection frame;
  frame.cols = cols;
  frame.rows = rows;
  frame.col = col;
  frame.row = row;
  frame.stretch = stretch;
  frame.destWidth = w;
  frame.destHeight = h;
  return frame;
}

void ExpectRect(const SourceRect& r, int x, int y, int w, int h) {
  EXPECT_EQ(r.x, x);
  EXPECT_EQ(r.y, y);
  EXPECT_EQ(r.width, w);
  EXPECT_EQ(r.height, h);
}

TEST(FrameSource, OneToOneFramesReadAsMuchAsTheDestination) {
  // A button strip: frame 2 of four 34-px cells is x 68..101.
  ExpectRect(FrameSourceRect(136, 34, Grid(4, 1, 2, 0, 0, 34, 34)), 68, 0, 34, 34);
  ExpectRect(FrameSourceRect(136, 34, Grid(4, 1, 3, 0, 0, 34, 34)), 102, 0, 34, 34);
  // A growing bar shows its image's left part; a wider rectangle reaches the next frame.
  ExpectRect(FrameSourceRect(540, 18, Grid(1, 1, 0, 0, 0, 120, 18)), 0, 0, 120, 18);
  ExpectRect(FrameSourceRect(136, 34, Grid(4, 1, 0, 0, 0, 50, 34)), 0, 0, 50, 34);
}

TEST(FrameSource, StretchedFramesReadOneCell) {
  // 18 frames of a 360-px strip, whatever the destination.
  ExpectRect(FrameSourceRect(360, 20, Grid(18, 1, 5, 0, 1, 300, 7)), 100, 0, 20, 20);
  // Rows and unsigned division of sizes that do not split evenly.
  ExpectRect(FrameSourceRect(100, 50, Grid(3, 2, 2, 1, 1, 1, 1)), 66, 25, 33, 25);
  // A zero grid counts as one frame instead of dividing by zero.
  ExpectRect(FrameSourceRect(40, 30, Grid(0, 0, 0, 0, 1, 5, 5)), 0, 0, 40, 30);
}

TEST(FrameSource, MirroringReadsTheSameCellFromItsFarEdge) {
  FrameSelection frame = Grid(4, 1, 0, 0, 0, 34, 34);
  frame.mirrorX = 1;
  ExpectRect(FrameSourceRect(136, 34, frame), 34, 0, -34, 34);
  frame.col = 2;
  ExpectRect(FrameSourceRect(136, 34, frame), 102, 0, -34, 34);
  frame = Grid(1, 2, 0, 1, 1, 10, 10);
  frame.mirrorY = 1;
  ExpectRect(FrameSourceRect(20, 40, frame), 0, 40, 20, -20);
}

TEST(FrameSource, AlphaFactorIsTheSinglePrecisionFraction) {
  EXPECT_EQ(dl::AlphaScale(0), 0.0f);
  EXPECT_EQ(dl::AlphaScale(1), 0.003921569f);
  EXPECT_EQ(dl::AlphaScale(128), 128 * 0.003921569f);
  EXPECT_NEAR(dl::AlphaScale(254), 254.0 / 255.0, 1e-6);
}

}  // namespace
