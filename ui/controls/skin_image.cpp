#include "ui/controls/skin_image.h"

#include <windows.h>

#include <gdiplus.h>
#include <objbase.h>
#include <wrl/client.h>

#include <cstring>

#include "base/unique_owner.h"
#include "base/win_handles.h"
#include "ui/controls/display_scale.h"
#include "ui/controls/image_draw.h"
#include "ui/controls/skin_preload.h"

namespace dl {

namespace {

using Gdiplus::DllExports::GdipDisposeImage;
using Gdiplus::DllExports::GdipGetImageHeight;
using Gdiplus::DllExports::GdipGetImageWidth;
using Gdiplus::DllExports::GdipLoadImageFromStream;

struct GlobalMemoryTraits {
  using Handle = HGLOBAL;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { GlobalFree(h); }
};
using UniqueGlobal = UniqueOwner<GlobalMemoryTraits>;

// A movable block of `size` bytes filled by `fill`(destination), which says whether it could.
template <typename Fill>
UniqueGlobal FilledBlock(DWORD size, Fill fill) {
  UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, size));
  if (!block) return UniqueGlobal();
  void* bytes = GlobalLock(block.Get());
  if (bytes == nullptr) return UniqueGlobal();
  const bool filled = fill(bytes);
  GlobalUnlock(block.Get());
  return filled ? std::move(block) : UniqueGlobal();
}

// Decodes the block; the stream takes the block over and frees it when the library lets go
// of its own reference, which it keeps for as long as the image needs the bytes.
std::unique_ptr<SkinImage> DecodeBlock(UniqueGlobal block) {
  Microsoft::WRL::ComPtr<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(block.Get(), TRUE, stream.GetAddressOf()))) return nullptr;
  (void)block.Release();

  Gdiplus::GpImage* decoded = nullptr;
  const Gdiplus::GpStatus status = GdipLoadImageFromStream(stream.Get(), &decoded);
  if (status != Gdiplus::Ok) {
    if (decoded != nullptr) GdipDisposeImage(decoded);
    return nullptr;
  }
  return std::unique_ptr<SkinImage>(new SkinImage(decoded));
}

}  // namespace

SkinImage::~SkinImage() {
  for (const Variant& variant : variants_) GdipDisposeImage(variant.image);
  if (image_ != nullptr) GdipDisposeImage(image_);
}

void SkinImage::SetDoubleSource(HMODULE module, const wchar_t* type, const wchar_t* name) {
  if (type == nullptr || IS_INTRESOURCE(type) || !IS_INTRESOURCE(name)) return;
  doubleModule_ = module;
  doubleType_ = type;
  doubleName_ = name;
  doubleLooked_ = false;
}

SkinImage* SkinImage::DoubleArt() {
  if (!doubleLooked_ && doubleName_ != nullptr) {
    doubleLooked_ = true;
    double_ = DecodeSkinResource(doubleModule_, doubleType_.c_str(), doubleName_);
    // Artwork of another size than twice this one would be drawn misplaced: none is better.
    if (double_ && (double_->Width() != 2 * Width() || double_->Height() != 2 * Height())) {
      double_.reset();
    }
  }
  return double_.get();
}

Gdiplus::GpImage* SkinImage::ForDpi(unsigned dpi, unsigned cols, unsigned rows) {
  const ArtSource source = ChooseArt(dpi);
  if (source == ArtSource::kSingle) return image_;
  SkinImage* twice = DoubleArt();
  if (source == ArtSource::kDouble && twice != nullptr) return twice->handle();
  cols = cols == 0 ? 1 : cols;
  rows = rows == 0 ? 1 : rows;
  for (const Variant& variant : variants_) {
    if (variant.dpi == dpi && variant.cols == cols && variant.rows == rows) return variant.image;
  }
  const int32_t cellWidth = ToDevice(static_cast<int32_t>(Width() / cols), dpi);
  const int32_t cellHeight = ToDevice(static_cast<int32_t>(Height() / rows), dpi);
  Gdiplus::GpImage* made =
      ResampleCells(twice != nullptr ? twice->handle() : image_, cols, rows,
                    static_cast<unsigned>(cellWidth), static_cast<unsigned>(cellHeight));
  if (made == nullptr) return image_;  // blurred is better than missing
  variants_.push_back(Variant{dpi, cols, rows, made});
  return made;
}

int SkinImage::Record(int status) {
  if (status != Gdiplus::Ok) status_ = status;
  return status;
}

unsigned SkinImage::Width() {
  UINT width = 0;
  if (Record(GdipGetImageWidth(image_, &width)) != Gdiplus::Ok) return 0;
  return width;
}

unsigned SkinImage::Height() {
  UINT height = 0;
  if (Record(GdipGetImageHeight(image_, &height)) != Gdiplus::Ok) return 0;
  return height;
}

std::unique_ptr<SkinImage> LoadSkinImageFromFile(const wchar_t* path) {
  if (path == nullptr || IS_INTRESOURCE(path) || path[0] == L'\0') return nullptr;
  UniqueFile file(CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return nullptr;
  const DWORD size = GetFileSize(file.Get(), nullptr);
  if (size == INVALID_FILE_SIZE) return nullptr;
  UniqueGlobal block = FilledBlock(size, [&](void* bytes) {
    DWORD read = 0;
    return ReadFile(file.Get(), bytes, size, &read, nullptr) && read == size;
  });
  if (!block) return nullptr;
  return DecodeBlock(std::move(block));
}

std::unique_ptr<SkinImage> LoadSkinImageFromResource(HMODULE module, const wchar_t* type,
                                                     const wchar_t* name) {
  std::unique_ptr<SkinImage> image = SkinPreload::Take(module, type, name);
  if (!image) image = DecodeSkinResource(module, type, name);
  // The 2x artwork of "IMAGE" 1101 is "IMAGE2X" 1101; decoded only when a density needs it.
  if (image && type != nullptr && !IS_INTRESOURCE(type)) {
    image->SetDoubleSource(module, (std::wstring(type) + L"2X").c_str(), name);
  }
  return image;
}

std::unique_ptr<SkinImage> DecodeSkinResource(HMODULE module, const wchar_t* type,
                                              const wchar_t* name) {
  if (type == nullptr || name == nullptr) return nullptr;
  HRSRC found = FindResourceW(module, name, type);
  if (found == nullptr) return nullptr;
  HGLOBAL loaded = LoadResource(module, found);
  const DWORD size = SizeofResource(module, found);
  const void* source = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (source == nullptr || size == 0) return nullptr;
  UniqueGlobal block = FilledBlock(size, [&](void* bytes) {
    std::memcpy(bytes, source, size);
    return true;
  });
  if (!block) return nullptr;
  return DecodeBlock(std::move(block));
}

}  // namespace dl
