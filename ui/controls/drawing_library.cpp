// The drawing library's flat functions, which its C++ classes call through inline wrappers,
// defined here instead of imported: each forwards to the library loaded from the system folder
// (see base/system_library.h for why it is not imported). These are exactly the functions the
// program's drawing uses; one it starts using fails to link until it is added here. When the
// library or a function is missing, calls fail with GenericError (allocation with null).
#include <windows.h>

#include <gdiplus.h>

#include "base/system_library.h"

namespace Gdiplus {

namespace {

// Resolved once, on the first call (the start-up's GdiplusStartup, before any window); freed at
// exit after the start-up object has shut the library down. Pointer types come from the
// library's declarations, calling convention included.
struct DrawingLibrary {
  dl::SystemLibrary library{L"gdiplus.dll"};
  decltype(&GdiplusStartup) GdiplusStartup =
      library.Resolve<decltype(GdiplusStartup)>("GdiplusStartup");
  decltype(&GdiplusShutdown) GdiplusShutdown =
      library.Resolve<decltype(GdiplusShutdown)>("GdiplusShutdown");
  decltype(&DllExports::GdipAlloc) GdipAlloc = library.Resolve<decltype(GdipAlloc)>("GdipAlloc");
  decltype(&DllExports::GdipFree) GdipFree = library.Resolve<decltype(GdipFree)>("GdipFree");
  decltype(&DllExports::GdipCloneBrush) GdipCloneBrush =
      library.Resolve<decltype(GdipCloneBrush)>("GdipCloneBrush");
  decltype(&DllExports::GdipCloneFont) GdipCloneFont =
      library.Resolve<decltype(GdipCloneFont)>("GdipCloneFont");
  decltype(&DllExports::GdipCloneStringFormat) GdipCloneStringFormat =
      library.Resolve<decltype(GdipCloneStringFormat)>("GdipCloneStringFormat");
  decltype(&DllExports::GdipCreateFont) GdipCreateFont =
      library.Resolve<decltype(GdipCreateFont)>("GdipCreateFont");
  decltype(&DllExports::GdipCreateFontFamilyFromName) GdipCreateFontFamilyFromName =
      library.Resolve<decltype(GdipCreateFontFamilyFromName)>("GdipCreateFontFamilyFromName");
  decltype(&DllExports::GdipCreateFromHDC) GdipCreateFromHDC =
      library.Resolve<decltype(GdipCreateFromHDC)>("GdipCreateFromHDC");
  decltype(&DllExports::GdipCreateImageAttributes) GdipCreateImageAttributes =
      library.Resolve<decltype(GdipCreateImageAttributes)>("GdipCreateImageAttributes");
  decltype(&DllExports::GdipCreateSolidFill) GdipCreateSolidFill =
      library.Resolve<decltype(GdipCreateSolidFill)>("GdipCreateSolidFill");
  decltype(&DllExports::GdipCreateStringFormat) GdipCreateStringFormat =
      library.Resolve<decltype(GdipCreateStringFormat)>("GdipCreateStringFormat");
  decltype(&DllExports::GdipDeleteBrush) GdipDeleteBrush =
      library.Resolve<decltype(GdipDeleteBrush)>("GdipDeleteBrush");
  decltype(&DllExports::GdipDeleteFont) GdipDeleteFont =
      library.Resolve<decltype(GdipDeleteFont)>("GdipDeleteFont");
  decltype(&DllExports::GdipDeleteFontFamily) GdipDeleteFontFamily =
      library.Resolve<decltype(GdipDeleteFontFamily)>("GdipDeleteFontFamily");
  decltype(&DllExports::GdipDeleteGraphics) GdipDeleteGraphics =
      library.Resolve<decltype(GdipDeleteGraphics)>("GdipDeleteGraphics");
  decltype(&DllExports::GdipDeleteStringFormat) GdipDeleteStringFormat =
      library.Resolve<decltype(GdipDeleteStringFormat)>("GdipDeleteStringFormat");
  decltype(&DllExports::GdipDisposeImage) GdipDisposeImage =
      library.Resolve<decltype(GdipDisposeImage)>("GdipDisposeImage");
  decltype(&DllExports::GdipDisposeImageAttributes) GdipDisposeImageAttributes =
      library.Resolve<decltype(GdipDisposeImageAttributes)>("GdipDisposeImageAttributes");
  decltype(&DllExports::GdipDrawImageRectRectI) GdipDrawImageRectRectI =
      library.Resolve<decltype(GdipDrawImageRectRectI)>("GdipDrawImageRectRectI");
  decltype(&DllExports::GdipDrawString) GdipDrawString =
      library.Resolve<decltype(GdipDrawString)>("GdipDrawString");
  decltype(&DllExports::GdipFillRectangleI) GdipFillRectangleI =
      library.Resolve<decltype(GdipFillRectangleI)>("GdipFillRectangleI");
  decltype(&DllExports::GdipGetGenericFontFamilySansSerif) GdipGetGenericFontFamilySansSerif =
      library.Resolve<decltype(GdipGetGenericFontFamilySansSerif)>(
          "GdipGetGenericFontFamilySansSerif");
  decltype(&DllExports::GdipGetImageHeight) GdipGetImageHeight =
      library.Resolve<decltype(GdipGetImageHeight)>("GdipGetImageHeight");
  decltype(&DllExports::GdipGetImageWidth) GdipGetImageWidth =
      library.Resolve<decltype(GdipGetImageWidth)>("GdipGetImageWidth");
  decltype(&DllExports::GdipLoadImageFromStream) GdipLoadImageFromStream =
      library.Resolve<decltype(GdipLoadImageFromStream)>("GdipLoadImageFromStream");
  decltype(&DllExports::GdipResetClip) GdipResetClip =
      library.Resolve<decltype(GdipResetClip)>("GdipResetClip");
  decltype(&DllExports::GdipSetClipRectI) GdipSetClipRectI =
      library.Resolve<decltype(GdipSetClipRectI)>("GdipSetClipRectI");
  decltype(&DllExports::GdipSetImageAttributesColorMatrix) GdipSetImageAttributesColorMatrix =
      library.Resolve<decltype(GdipSetImageAttributesColorMatrix)>(
          "GdipSetImageAttributesColorMatrix");
  decltype(&DllExports::GdipSetImageAttributesWrapMode) GdipSetImageAttributesWrapMode =
      library.Resolve<decltype(GdipSetImageAttributesWrapMode)>("GdipSetImageAttributesWrapMode");
  decltype(&DllExports::GdipSetSmoothingMode) GdipSetSmoothingMode =
      library.Resolve<decltype(GdipSetSmoothingMode)>("GdipSetSmoothingMode");
  decltype(&DllExports::GdipCreateBitmapFromScan0) GdipCreateBitmapFromScan0 =
      library.Resolve<decltype(GdipCreateBitmapFromScan0)>("GdipCreateBitmapFromScan0");
  decltype(&DllExports::GdipGetFamily) GdipGetFamily =
      library.Resolve<decltype(GdipGetFamily)>("GdipGetFamily");
  decltype(&DllExports::GdipGetFontSize) GdipGetFontSize =
      library.Resolve<decltype(GdipGetFontSize)>("GdipGetFontSize");
  decltype(&DllExports::GdipGetFontStyle) GdipGetFontStyle =
      library.Resolve<decltype(GdipGetFontStyle)>("GdipGetFontStyle");
  decltype(&DllExports::GdipGetFontUnit) GdipGetFontUnit =
      library.Resolve<decltype(GdipGetFontUnit)>("GdipGetFontUnit");
  decltype(&DllExports::GdipGetImageGraphicsContext) GdipGetImageGraphicsContext =
      library.Resolve<decltype(GdipGetImageGraphicsContext)>("GdipGetImageGraphicsContext");
  decltype(&DllExports::GdipSetCompositingMode) GdipSetCompositingMode =
      library.Resolve<decltype(GdipSetCompositingMode)>("GdipSetCompositingMode");
  decltype(&DllExports::GdipSetInterpolationMode) GdipSetInterpolationMode =
      library.Resolve<decltype(GdipSetInterpolationMode)>("GdipSetInterpolationMode");
  decltype(&DllExports::GdipSetPixelOffsetMode) GdipSetPixelOffsetMode =
      library.Resolve<decltype(GdipSetPixelOffsetMode)>("GdipSetPixelOffsetMode");
};

const DrawingLibrary& Library() {
  static const DrawingLibrary library;
  return library;
}

template <typename Fn, typename... Args>
GpStatus Forward(Fn DrawingLibrary::*fn, Args... args) {
  const DrawingLibrary& l = Library();
  return dl::CallBound(l.library, l.*fn, GenericError, args...);
}

}  // namespace

extern "C" {

GpStatus WINGDIPAPI GdiplusStartup(ULONG_PTR* a, const GdiplusStartupInput* b,
                                   GdiplusStartupOutput* c) {
  return Forward(&DrawingLibrary::GdiplusStartup, a, b, c);
}

void WINGDIPAPI GdiplusShutdown(ULONG_PTR a) {
  if (Library().GdiplusShutdown != nullptr) Library().GdiplusShutdown(a);
}

}  // extern "C"

namespace DllExports {
extern "C" {

void* WINGDIPAPI GdipAlloc(size_t a) {
  const DrawingLibrary& l = Library();
  return dl::CallBound(l.library, l.GdipAlloc, static_cast<void*>(nullptr), a);
}

void WINGDIPAPI GdipFree(void* a) {
  if (Library().GdipFree != nullptr) Library().GdipFree(a);
}

GpStatus WINGDIPAPI GdipCloneBrush(GpBrush* a, GpBrush** b) {
  return Forward(&DrawingLibrary::GdipCloneBrush, a, b);
}

GpStatus WINGDIPAPI GdipCloneFont(GpFont* a, GpFont** b) {
  return Forward(&DrawingLibrary::GdipCloneFont, a, b);
}

GpStatus WINGDIPAPI GdipCloneStringFormat(const GpStringFormat* a, GpStringFormat** b) {
  return Forward(&DrawingLibrary::GdipCloneStringFormat, a, b);
}

GpStatus WINGDIPAPI GdipCreateFont(const GpFontFamily* a, REAL b, INT c, Unit d, GpFont** e) {
  return Forward(&DrawingLibrary::GdipCreateFont, a, b, c, d, e);
}

GpStatus WINGDIPAPI GdipCreateFontFamilyFromName(const WCHAR* a, GpFontCollection* b,
                                                 GpFontFamily** c) {
  return Forward(&DrawingLibrary::GdipCreateFontFamilyFromName, a, b, c);
}

GpStatus WINGDIPAPI GdipCreateFromHDC(HDC a, GpGraphics** b) {
  return Forward(&DrawingLibrary::GdipCreateFromHDC, a, b);
}

GpStatus WINGDIPAPI GdipCreateImageAttributes(GpImageAttributes** a) {
  return Forward(&DrawingLibrary::GdipCreateImageAttributes, a);
}

GpStatus WINGDIPAPI GdipCreateSolidFill(ARGB a, GpSolidFill** b) {
  return Forward(&DrawingLibrary::GdipCreateSolidFill, a, b);
}

GpStatus WINGDIPAPI GdipCreateStringFormat(INT a, LANGID b, GpStringFormat** c) {
  return Forward(&DrawingLibrary::GdipCreateStringFormat, a, b, c);
}

GpStatus WINGDIPAPI GdipDeleteBrush(GpBrush* a) {
  return Forward(&DrawingLibrary::GdipDeleteBrush, a);
}

GpStatus WINGDIPAPI GdipDeleteFont(GpFont* a) {
  return Forward(&DrawingLibrary::GdipDeleteFont, a);
}

GpStatus WINGDIPAPI GdipDeleteFontFamily(GpFontFamily* a) {
  return Forward(&DrawingLibrary::GdipDeleteFontFamily, a);
}

GpStatus WINGDIPAPI GdipDeleteGraphics(GpGraphics* a) {
  return Forward(&DrawingLibrary::GdipDeleteGraphics, a);
}

GpStatus WINGDIPAPI GdipDeleteStringFormat(GpStringFormat* a) {
  return Forward(&DrawingLibrary::GdipDeleteStringFormat, a);
}

GpStatus WINGDIPAPI GdipDisposeImage(GpImage* a) {
  return Forward(&DrawingLibrary::GdipDisposeImage, a);
}

GpStatus WINGDIPAPI GdipDisposeImageAttributes(GpImageAttributes* a) {
  return Forward(&DrawingLibrary::GdipDisposeImageAttributes, a);
}

GpStatus WINGDIPAPI GdipDrawImageRectRectI(GpGraphics* a, GpImage* b, INT c, INT d, INT e, INT f,
                                           INT g, INT h, INT i, INT j, GpUnit k,
                                           const GpImageAttributes* l, DrawImageAbort m, void* n) {
  return Forward(&DrawingLibrary::GdipDrawImageRectRectI, a, b, c, d, e, f, g, h, i, j, k, l, m, n);
}

GpStatus WINGDIPAPI GdipDrawString(GpGraphics* a, const WCHAR* b, INT c, const GpFont* d,
                                   const RectF* e, const GpStringFormat* f, const GpBrush* g) {
  return Forward(&DrawingLibrary::GdipDrawString, a, b, c, d, e, f, g);
}

GpStatus WINGDIPAPI GdipFillRectangleI(GpGraphics* a, GpBrush* b, INT c, INT d, INT e, INT f) {
  return Forward(&DrawingLibrary::GdipFillRectangleI, a, b, c, d, e, f);
}

GpStatus WINGDIPAPI GdipGetGenericFontFamilySansSerif(GpFontFamily** a) {
  return Forward(&DrawingLibrary::GdipGetGenericFontFamilySansSerif, a);
}

GpStatus WINGDIPAPI GdipGetImageHeight(GpImage* a, UINT* b) {
  return Forward(&DrawingLibrary::GdipGetImageHeight, a, b);
}

GpStatus WINGDIPAPI GdipGetImageWidth(GpImage* a, UINT* b) {
  return Forward(&DrawingLibrary::GdipGetImageWidth, a, b);
}

GpStatus WINGDIPAPI GdipLoadImageFromStream(IStream* a, GpImage** b) {
  return Forward(&DrawingLibrary::GdipLoadImageFromStream, a, b);
}

GpStatus WINGDIPAPI GdipResetClip(GpGraphics* a) {
  return Forward(&DrawingLibrary::GdipResetClip, a);
}

GpStatus WINGDIPAPI GdipSetClipRectI(GpGraphics* a, INT b, INT c, INT d, INT e, CombineMode f) {
  return Forward(&DrawingLibrary::GdipSetClipRectI, a, b, c, d, e, f);
}

GpStatus WINGDIPAPI GdipSetImageAttributesColorMatrix(GpImageAttributes* a, ColorAdjustType b,
                                                      BOOL c, const ColorMatrix* d,
                                                      const ColorMatrix* e, ColorMatrixFlags f) {
  return Forward(&DrawingLibrary::GdipSetImageAttributesColorMatrix, a, b, c, d, e, f);
}

GpStatus WINGDIPAPI GdipSetImageAttributesWrapMode(GpImageAttributes* a, WrapMode b, ARGB c,
                                                   BOOL d) {
  return Forward(&DrawingLibrary::GdipSetImageAttributesWrapMode, a, b, c, d);
}

GpStatus WINGDIPAPI GdipSetSmoothingMode(GpGraphics* a, SmoothingMode b) {
  return Forward(&DrawingLibrary::GdipSetSmoothingMode, a, b);
}

GpStatus WINGDIPAPI GdipCreateBitmapFromScan0(INT a, INT b, INT c, PixelFormat d, BYTE* e,
                                              GpBitmap** f) {
  return Forward(&DrawingLibrary::GdipCreateBitmapFromScan0, a, b, c, d, e, f);
}

GpStatus WINGDIPAPI GdipGetFamily(GpFont* a, GpFontFamily** b) {
  return Forward(&DrawingLibrary::GdipGetFamily, a, b);
}

GpStatus WINGDIPAPI GdipGetFontSize(GpFont* a, REAL* b) {
  return Forward(&DrawingLibrary::GdipGetFontSize, a, b);
}

GpStatus WINGDIPAPI GdipGetFontStyle(GpFont* a, INT* b) {
  return Forward(&DrawingLibrary::GdipGetFontStyle, a, b);
}

GpStatus WINGDIPAPI GdipGetFontUnit(GpFont* a, Unit* b) {
  return Forward(&DrawingLibrary::GdipGetFontUnit, a, b);
}

GpStatus WINGDIPAPI GdipGetImageGraphicsContext(GpImage* a, GpGraphics** b) {
  return Forward(&DrawingLibrary::GdipGetImageGraphicsContext, a, b);
}

GpStatus WINGDIPAPI GdipSetCompositingMode(GpGraphics* a, CompositingMode b) {
  return Forward(&DrawingLibrary::GdipSetCompositingMode, a, b);
}

GpStatus WINGDIPAPI GdipSetInterpolationMode(GpGraphics* a, InterpolationMode b) {
  return Forward(&DrawingLibrary::GdipSetInterpolationMode, a, b);
}

GpStatus WINGDIPAPI GdipSetPixelOffsetMode(GpGraphics* a, PixelOffsetMode b) {
  return Forward(&DrawingLibrary::GdipSetPixelOffsetMode, a, b);
}

}  // extern "C"
}  // namespace DllExports

}  // namespace Gdiplus
