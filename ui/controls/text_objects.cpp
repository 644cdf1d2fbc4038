#include "ui/controls/text_objects.h"

#include <windows.h>

#include <gdiplus.h>

#include <mutex>

#include "ui/controls/display_scale.h"

namespace dl {

namespace {

namespace gdip = Gdiplus::DllExports;

// The generic sans-serif family, asked of the library once per process and never deleted.
// A failed request (before the library has started) is tried again next time.
Gdiplus::GpStatus GenericSansSerif(Gdiplus::GpFontFamily** family) {
  static std::mutex mutex;
  static Gdiplus::GpFontFamily* generic = nullptr;
  std::lock_guard<std::mutex> lock(mutex);
  Gdiplus::GpStatus status = Gdiplus::Ok;
  if (generic == nullptr) {
    status = gdip::GdipGetGenericFontFamilySansSerif(&generic);
    if (status != Gdiplus::Ok) generic = nullptr;
  }
  *family = generic;
  return status;
}

}  // namespace

TextFont::TextFont(const wchar_t* family, float size, int style, int unit,
                   Gdiplus::GpFontCollection* collection) {
  Gdiplus::GpFontFamily* named = nullptr;
  Gdiplus::GpStatus status = gdip::GdipCreateFontFamilyFromName(family, collection, &named);
  Gdiplus::GpFontFamily* used = named;
  if (status != Gdiplus::Ok) {
    status_ = status;
    named = nullptr;
    status = GenericSansSerif(&used);
    if (status != Gdiplus::Ok) {
      status_ = status;
      return;
    }
  }
  status = gdip::GdipCreateFont(used, size, style, static_cast<Gdiplus::Unit>(unit), &font_);
  if (status != Gdiplus::Ok) {
    status_ = status;
    font_ = nullptr;
    Gdiplus::GpFontFamily* generic = nullptr;
    if (GenericSansSerif(&generic) == Gdiplus::Ok) {
      status = gdip::GdipCreateFont(generic, size, style, static_cast<Gdiplus::Unit>(unit), &font_);
      if (status != Gdiplus::Ok) {
        status_ = status;
        font_ = nullptr;
      }
    }
  }
  if (named != nullptr) gdip::GdipDeleteFontFamily(named);
}

TextFont::~TextFont() {
  if (font_ != nullptr) gdip::GdipDeleteFont(font_);
}

std::unique_ptr<TextFont> TextFont::Clone() {
  Gdiplus::GpFont* copy = nullptr;
  const Gdiplus::GpStatus status = gdip::GdipCloneFont(font_, &copy);
  if (status != Gdiplus::Ok) {
    status_ = status;
    copy = nullptr;
  }
  return std::unique_ptr<TextFont>(new TextFont(AdoptHandle(), copy, status_));
}

std::unique_ptr<TextFont> TextFont::ForDpi(unsigned dpi) const {
  Gdiplus::GpFontFamily* family = nullptr;
  Gdiplus::REAL size = 0;
  Gdiplus::Unit unit = Gdiplus::UnitPixel;
  INT style = 0;
  if (font_ == nullptr || gdip::GdipGetFontSize(font_, &size) != Gdiplus::Ok ||
      gdip::GdipGetFontUnit(font_, &unit) != Gdiplus::Ok ||
      gdip::GdipGetFontStyle(font_, &style) != Gdiplus::Ok ||
      gdip::GdipGetFamily(font_, &family) != Gdiplus::Ok) {
    return nullptr;
  }
  const bool pixels =
      unit == Gdiplus::UnitPixel || unit == Gdiplus::UnitWorld || unit == Gdiplus::UnitDisplay;
  if (pixels && dpi == kLayoutDpi) {
    gdip::GdipDeleteFontFamily(family);
    return nullptr;  // the layout size is the drawn size: nothing to make
  }
  Gdiplus::GpFont* scaled = nullptr;
  const Gdiplus::GpStatus status =
      gdip::GdipCreateFont(family, FontPixels(size, unit, dpi), style, Gdiplus::UnitPixel, &scaled);
  gdip::GdipDeleteFontFamily(family);  // the font keeps its own reference
  if (status != Gdiplus::Ok) return nullptr;
  return std::unique_ptr<TextFont>(new TextFont(AdoptHandle(), scaled, 0));
}

TextFormat::TextFormat(int flags, LANGID language) {
  const Gdiplus::GpStatus status = gdip::GdipCreateStringFormat(flags, language, &format_);
  if (status != Gdiplus::Ok) {
    status_ = status;
    format_ = nullptr;
  }
}

TextFormat::~TextFormat() {
  if (format_ != nullptr) gdip::GdipDeleteStringFormat(format_);
}

std::unique_ptr<TextFormat> TextFormat::Clone() {
  Gdiplus::GpStringFormat* copy = nullptr;
  const Gdiplus::GpStatus status = gdip::GdipCloneStringFormat(format_, &copy);
  if (status != Gdiplus::Ok) {
    status_ = status;
    copy = nullptr;
  }
  return std::unique_ptr<TextFormat>(new TextFormat(AdoptHandle(), copy, status_));
}

TextBrush::TextBrush(uint32_t argb) {
  Gdiplus::GpSolidFill* solid = nullptr;
  const Gdiplus::GpStatus status = gdip::GdipCreateSolidFill(argb, &solid);
  if (status != Gdiplus::Ok) {
    status_ = status;
    solid = nullptr;
  }
  brush_ = solid;
}

TextBrush::~TextBrush() {
  if (brush_ != nullptr) gdip::GdipDeleteBrush(brush_);
}

std::unique_ptr<TextBrush> TextBrush::Clone() {
  Gdiplus::GpBrush* copy = nullptr;
  const Gdiplus::GpStatus status = gdip::GdipCloneBrush(brush_, &copy);
  if (status != Gdiplus::Ok) {
    status_ = status;
    copy = nullptr;
  }
  return std::unique_ptr<TextBrush>(new TextBrush(AdoptHandle(), copy, status_));
}

int DrawString(Gdiplus::GpGraphics* graphics, const wchar_t* text, const TextFont* font,
               const TextLayout& layout, const TextFormat* format, const TextBrush* brush) {
  const Gdiplus::RectF rect(layout.x, layout.y, layout.width, layout.height);
  return gdip::GdipDrawString(graphics, text, -1, font != nullptr ? font->handle() : nullptr, &rect,
                              format != nullptr ? format->handle() : nullptr,
                              brush != nullptr ? brush->handle() : nullptr);
}

}  // namespace dl
