// How a 96-DPI layout lands on the device pixels of other densities, and back for the mouse.
#include <gtest/gtest.h>

#include "ui/controls/display_scale.h"

namespace {

const uint32_t kDensities[] = {96, 120, 144, 168, 192, 240, 288};

TEST(DisplayScale, WindowSizesScaleRoundedHalfUp) {
  const dl::Box window = {0, 0, 600, 350};
  const struct {
    uint32_t dpi;
    int32_t width, height;
  } cases[] = {{96, 600, 350}, {120, 750, 438}, {144, 900, 525}, {192, 1200, 700}};
  for (const auto& c : cases) {
    const dl::Box device = dl::BoxToDevice(window, c.dpi);
    EXPECT_EQ(device.right - device.left, c.width) << c.dpi;
    EXPECT_EQ(device.bottom - device.top, c.height) << c.dpi;
  }
  // A picture keeps its device size wherever it sits: 25 layout pixels are 31 device pixels at
  // 120 DPI at an odd origin too.
  for (int32_t x = 0; x < 8; ++x) {
    const dl::Box device = dl::BoxToDevice({x, 0, x + 25, 5}, 120);
    EXPECT_EQ(device.right - device.left, 31) << x;
  }
}

TEST(DisplayScale, EveryDevicePixelMapsBackToTheLayoutPixelThatCoversIt) {
  for (uint32_t dpi : kDensities) {
    SCOPED_TRACE(dpi);
    for (int32_t layout = -40; layout <= 700; ++layout) {
      ASSERT_EQ(dl::ToLayout(dl::ToDevice(layout, dpi), dpi), layout);
      ASSERT_LE(dl::ToDevice(layout, dpi), dl::ToDevice(layout + 1, dpi) - 1);
    }
    for (int32_t device = -60; device <= 1400; ++device) {
      const int32_t layout = dl::ToLayout(device, dpi);
      ASSERT_LE(dl::ToDevice(layout, dpi), device);
      ASSERT_GT(dl::ToDevice(layout + 1, dpi), device);
    }
    // An update area in device pixels becomes the layout area whose controls must redraw it.
    const dl::Box layout = dl::BoxToLayout({37, 5, 101, 9}, dpi);
    EXPECT_LE(dl::ToDevice(layout.left, dpi), 37);
    EXPECT_GE(dl::ToDevice(layout.right, dpi), 101);
    EXPECT_GE(dl::ToDevice(layout.bottom, dpi), 9);
  }
}

TEST(DisplayScale, DensitiesOutsideTheUsableRangeAreBounded) {
  EXPECT_EQ(dl::UsableDpi(0), 96u);
  EXPECT_EQ(dl::UsableDpi(72), 96u);
  EXPECT_EQ(dl::UsableDpi(144), 144u);
  EXPECT_EQ(dl::UsableDpi(100000), 960u);
}

TEST(DisplayScale, FontsGrowWithTheDensityFromTheirLayoutPixelSize) {
  EXPECT_FLOAT_EQ(dl::FontPixels(9, 3, 96), 12.0f);  // 9 pt
  EXPECT_FLOAT_EQ(dl::FontPixels(9, 3, 120), 15.0f);
  EXPECT_FLOAT_EQ(dl::FontPixels(12, 3, 144), 24.0f);
  EXPECT_FLOAT_EQ(dl::FontPixels(12, 2, 192), 24.0f);    // pixels
  EXPECT_FLOAT_EQ(dl::FontPixels(0.25f, 4, 96), 24.0f);  // inch
}

TEST(DisplayScale, ArtworkComesFromTheNearestLargerSet) {
  EXPECT_EQ(dl::ChooseArt(96), dl::ArtSource::kSingle);
  EXPECT_EQ(dl::ChooseArt(192), dl::ArtSource::kDouble);
  EXPECT_EQ(dl::ChooseArt(120), dl::ArtSource::kDoubleResampled);
  EXPECT_EQ(dl::ChooseArt(144), dl::ArtSource::kDoubleResampled);
  EXPECT_EQ(dl::ChooseArt(288), dl::ArtSource::kDoubleResampled);
}

}  // namespace
