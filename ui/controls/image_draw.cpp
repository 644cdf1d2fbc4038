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
                    FrameSelection frame, unsigned alpha) {
  if (image == nullptr) return;
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
  const unsigned width = image->Width();
  const unsigned height = image->Height();
  const SourceRect source = FrameSourceRect(width, height, frame);
  gdip::GdipDrawImageRectRectI(graphics, image->handle(), destination.left, destination.top,
                               frame.destWidth, frame.destHeight, source.x, source.y, source.width,
                               source.height, Gdiplus::UnitPixel, attributes.get(), nullptr,
                               nullptr);
}

}  // namespace dl
