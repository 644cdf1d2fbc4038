#include "ui/controls/image_draw.h"

#include <windows.h>

#include <gdiplus.h>

#include "ui/controls/skin_image.h"

namespace dl {

namespace {

namespace gdip = Gdiplus::DllExports;

class ImageAttributes {
 public:
  ImageAttributes() {
    if (gdip::GdipCreateImageAttributes(&attributes_) != Gdiplus::Ok) attributes_ = nullptr;
  }
  ~ImageAttributes() {
    if (attributes_ != nullptr) gdip::GdipDisposeImageAttributes(attributes_);
  }
  ImageAttributes(const ImageAttributes&) = delete;
  ImageAttributes& operator=(const ImageAttributes&) = delete;
  Gdiplus::GpImageAttributes* get() const { return attributes_; }

 private:
  Gdiplus::GpImageAttributes* attributes_ = nullptr;
};

}  // namespace

void DrawImageFrame(Gdiplus::GpGraphics* graphics, SkinImage* image, const RECT& destination,
                    FrameSelection frame, unsigned alpha, unsigned dpi) {
  if (image == nullptr) return;
  Gdiplus::GpImage* picture = image->ForDpi(dpi, frame.cols, frame.rows);
  if (picture == nullptr) return;
  ImageAttributes attributes;
  if (alpha < 255) {
    Gdiplus::ColorMatrix matrix = {};
    for (int i = 0; i < 5; ++i) matrix.m[i][i] = 1.0f;
    matrix.m[3][3] = AlphaScale(alpha);
    gdip::GdipSetImageAttributesColorMatrix(attributes.get(), Gdiplus::ColorAdjustTypeDefault, TRUE,
                                            &matrix, nullptr, Gdiplus::ColorMatrixFlagsDefault);
  }
  // A source rectangle that reaches past the image's edge (a 1:1 destination larger than what
  // is left of the image) repeats the image mirrored instead of fading to a border colour.
  gdip::GdipSetImageAttributesWrapMode(attributes.get(), Gdiplus::WrapModeTileFlipXY, 0xFF000000,
                                       FALSE);

  frame.destWidth = destination.right - destination.left;
  frame.destHeight = destination.bottom - destination.top;
  // The picture's pixels are device pixels of this density: a frame drawn 1:1 reads as much as
  // its device destination.
  UINT width = 0;
  UINT height = 0;
  gdip::GdipGetImageWidth(picture, &width);
  gdip::GdipGetImageHeight(picture, &height);
  const SourceRect source = FrameSourceRect(width, height, frame);
  gdip::GdipDrawImageRectRectI(graphics, picture, destination.left, destination.top,
                               frame.destWidth, frame.destHeight, source.x, source.y, source.width,
                               source.height, Gdiplus::UnitPixel, attributes.get(), nullptr,
                               nullptr);
}

Gdiplus::GpImage* ResampleCells(Gdiplus::GpImage* source, unsigned cols, unsigned rows,
                                unsigned cellWidth, unsigned cellHeight) {
  UINT sourceWidth = 0;
  UINT sourceHeight = 0;
  if (source == nullptr || cols == 0 || rows == 0 || cellWidth == 0 || cellHeight == 0 ||
      gdip::GdipGetImageWidth(source, &sourceWidth) != Gdiplus::Ok ||
      gdip::GdipGetImageHeight(source, &sourceHeight) != Gdiplus::Ok) {
    return nullptr;
  }
  Gdiplus::GpBitmap* bitmap = nullptr;
  if (gdip::GdipCreateBitmapFromScan0(static_cast<INT>(cols * cellWidth),
                                      static_cast<INT>(rows * cellHeight), 0, PixelFormat32bppPARGB,
                                      nullptr, &bitmap) != Gdiplus::Ok) {
    return nullptr;
  }
  Gdiplus::GpGraphics* canvas = nullptr;
  if (gdip::GdipGetImageGraphicsContext(bitmap, &canvas) != Gdiplus::Ok) {
    gdip::GdipDisposeImage(bitmap);
    return nullptr;
  }
  gdip::GdipSetCompositingMode(canvas, Gdiplus::CompositingModeSourceCopy);
  gdip::GdipSetInterpolationMode(canvas, Gdiplus::InterpolationModeHighQualityBicubic);
  gdip::GdipSetPixelOffsetMode(canvas, Gdiplus::PixelOffsetModeHighQuality);
  // The filter reads past a cell's edge: mirrored, the edge keeps its own colour instead of
  // fading to transparent or taking the neighbouring frame's.
  ImageAttributes attributes;
  gdip::GdipSetImageAttributesWrapMode(attributes.get(), Gdiplus::WrapModeTileFlipXY, 0xFF000000,
                                       FALSE);
  const INT sourceCellWidth = static_cast<INT>(sourceWidth / cols);
  const INT sourceCellHeight = static_cast<INT>(sourceHeight / rows);
  for (unsigned row = 0; row < rows; ++row) {
    for (unsigned col = 0; col < cols; ++col) {
      gdip::GdipDrawImageRectRectI(
          canvas, source, static_cast<INT>(col * cellWidth), static_cast<INT>(row * cellHeight),
          static_cast<INT>(cellWidth), static_cast<INT>(cellHeight),
          static_cast<INT>(col) * sourceCellWidth, static_cast<INT>(row) * sourceCellHeight,
          sourceCellWidth, sourceCellHeight, Gdiplus::UnitPixel, attributes.get(), nullptr,
          nullptr);
    }
  }
  gdip::GdipDeleteGraphics(canvas);
  return bitmap;
}

}  // namespace dl
