// A decoded skin image, loaded once from a file or a module resource and kept for drawing.
#pragma once

#include <windows.h>

#include <memory>

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

  // Asked of the library each time (0 when it cannot tell).
  unsigned Width();
  unsigned Height();

 private:
  Gdiplus::GpImage* image_;
  int status_ = 0;
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
