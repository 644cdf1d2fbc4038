// A decoded skin image, loaded once from a file or a module resource and kept for drawing.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/controls/gdiplus_heap.h"

namespace Gdiplus {
class GpImage;
}

namespace dl {

class SkinImage : public GdiplusHeapObject {
 public:
  // Takes ownership of a decoded image.
  explicit SkinImage(Gdiplus::GpImage* image) : image_(image) {}
  virtual ~SkinImage();
  SkinImage(const SkinImage&) = delete;
  SkinImage& operator=(const SkinImage&) = delete;

  Gdiplus::GpImage* handle() const { return image_; }
  // The status of the last library call on the image that failed; 0 when none has.
  int status() const { return status_; }
  // Records a call's status; success leaves the stored one alone.
  int Record(int status);

  // The image's own size, which is its size in layout units; asked of the library each time (0
  // when it cannot tell).
  unsigned Width();
  unsigned Height();

  // Where this image's 2x artwork is: the same integer resource name under `type` of module.
  void SetDoubleSource(HMODULE module, const wchar_t* type, const wchar_t* name);
  // The picture to draw at dpi, a cols x rows grid whose cells are the layout cell size scaled
  // to dpi: the image itself at 96 DPI, its 2x artwork at 192, and at any other density the 2x
  // artwork (this image when there is none) resampled cell by cell, once, then kept for every
  // later frame. Null when none can be made.
  Gdiplus::GpImage* ForDpi(unsigned dpi, unsigned cols, unsigned rows);

 private:
  struct Variant {
    unsigned dpi, cols, rows;
    Gdiplus::GpImage* image;  // owned
  };
  // The decoded 2x artwork, looked for once; null when there is none.
  SkinImage* DoubleArt();

  Gdiplus::GpImage* image_;
  int status_ = 0;
  HMODULE doubleModule_ = nullptr;
  std::wstring doubleType_;
  const wchar_t* doubleName_ = nullptr;  // an integer name
  bool doubleLooked_ = false;
  std::unique_ptr<SkinImage> double_;
  std::vector<Variant> variants_;
};

// None when the file cannot be read or decoded.
std::unique_ptr<SkinImage> LoadSkinImageFromFile(const wchar_t* path);
// name may be an integer identifier (MAKEINTRESOURCEW). None when missing or undecodable.
// Takes the image from a running SkinPreload when it holds this resource.
std::unique_ptr<SkinImage> LoadSkinImageFromResource(HMODULE module, const wchar_t* type,
                                                     const wchar_t* name);
// The same, always decoding the resource afresh.
std::unique_ptr<SkinImage> DecodeSkinResource(HMODULE module, const wchar_t* type,
                                              const wchar_t* name);

}  // namespace dl
