#include "ui/controls/skin_image.h"

#include <windows.h>

#include <gdiplus.h>
#include <objbase.h>
#include <wrl/client.h>

#include <cstring>

#include "base/unique_owner.h"
#include "base/win_handles.h"
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
  if (image_ != nullptr) GdipDisposeImage(image_);
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
  if (std::unique_ptr<SkinImage> preloaded = SkinPreload::Take(module, type, name)) {
    return preloaded;
  }
  return DecodeSkinResource(module, type, name);
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
