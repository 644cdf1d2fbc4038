#include "tests/ui/ui_test_support.h"

#include <gdiplus.h>

#include <cstdlib>

#include "tests/support/win_test_util.h"

namespace dltest {

namespace gdip = Gdiplus::DllExports;

namespace {

// GDI+ for the whole test program, as the downloader starts it once per process.
class GdiplusSession : public ::testing::Environment {
 public:
  void SetUp() override {
    Gdiplus::GdiplusStartupInput input;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&token_, &input, nullptr), Gdiplus::Ok);
  }
  void TearDown() override {
    if (token_ != 0) Gdiplus::GdiplusShutdown(token_);
  }

 private:
  ULONG_PTR token_ = 0;
};

::testing::Environment* const gdiplusSession =
    ::testing::AddGlobalTestEnvironment(new GdiplusSession);

// {557CF406-1A04-11D3-9A73-0000F81EF32E}, the library's PNG encoder.
const CLSID kPngEncoder = {
    0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

}  // namespace

::testing::AssertionResult Near(Argb actual, Argb expected, int tolerance) {
  for (int shift = 0; shift < 32; shift += 8) {
    const int x = static_cast<int>((actual >> shift) & 0xFF);
    const int y = static_cast<int>((expected >> shift) & 0xFF);
    if (std::abs(x - y) > tolerance) {
      char text[64];
      wsprintfA(text, "0x%08X, expected 0x%08X", actual, expected);
      return ::testing::AssertionFailure() << text;
    }
  }
  return ::testing::AssertionSuccess();
}

Canvas::Canvas(int width, int height, Argb fill) : width_(width), height_(height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  dc_ = CreateCompatibleDC(nullptr);
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dc_ == nullptr || bitmap_ == nullptr) return;
  old_ = SelectObject(dc_, bitmap_);
  bits_ = static_cast<uint32_t*>(bits);
  Clear(fill);
}

Canvas::~Canvas() {
  if (old_ != nullptr) SelectObject(dc_, old_);
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
  if (dc_ != nullptr) DeleteDC(dc_);
}

void Canvas::Clear(Argb value) {
  if (bits_ == nullptr) return;
  GdiFlush();
  for (int i = 0; i < width_ * height_; ++i) bits_[i] = value;
}

bool Canvas::Paint(dl::Control* root, const RECT* clip) {
  if (bits_ == nullptr) return false;
  Gdiplus::GpGraphics* graphics = nullptr;
  if (gdip::GdipCreateFromHDC(dc_, &graphics) != Gdiplus::Ok) return false;
  gdip::GdipSetSmoothingMode(graphics, Gdiplus::SmoothingModeAntiAlias);
  const RECT whole = {0, 0, width_, height_};
  root->Paint(graphics, clip != nullptr ? clip : &whole);
  gdip::GdipDeleteGraphics(graphics);
  GdiFlush();
  return true;
}

Argb Canvas::At(int x, int y) const {
  GdiFlush();
  if (bits_ == nullptr || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return bits_[y * width_ + x];
}

int Canvas::Count(const RECT& area, const std::function<bool(Argb)>& test) const {
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) count += test(At(x, y)) ? 1 : 0;
  return count;
}

Argb PixelOf(HDC dc, int x, int y) {
  GdiFlush();
  DIBSECTION dib = {};
  HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);
  if (bitmap == nullptr || GetObjectW(bitmap, sizeof dib, &dib) != sizeof dib) return 0;
  const int width = dib.dsBm.bmWidth, height = dib.dsBm.bmHeight;
  if (x < 0 || y < 0 || x >= width || y >= height || dib.dsBm.bmBits == nullptr) return 0;
  // The window's surface is top-down too (wine reports the header's height without its sign,
  // so it cannot tell).
  return static_cast<const uint32_t*>(dib.dsBm.bmBits)[y * width + x];
}

bool WritePng(const std::wstring& path, int width, int height,
              const std::function<Argb(int x, int y)>& colour) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels[y * width + x] = colour(x, y);
  Gdiplus::GpBitmap* bitmap = nullptr;
  if (gdip::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppARGB,
                                      reinterpret_cast<BYTE*>(pixels.data()),
                                      &bitmap) != Gdiplus::Ok)
    return false;
  const bool saved =
      gdip::GdipSaveImageToFile(bitmap, path.c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
  gdip::GdipDisposeImage(bitmap);
  return saved;
}

std::wstring ImageFolder(const wchar_t* name) { return FreshTempFolder(name) + L"\\"; }

}  // namespace dltest
