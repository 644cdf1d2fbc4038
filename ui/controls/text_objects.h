// The drawing objects a text is drawn with: font, string format and solid brush. Each owns one
// library handle and remembers the status of its last failed library call; copies are the
// library's clones.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "ui/controls/gdiplus_heap.h"

namespace Gdiplus {
class GpBrush;
class GpFont;
class GpFontCollection;
class GpGraphics;
class GpStringFormat;
}  // namespace Gdiplus

namespace dl {

// Marks the constructors that take over a cloned handle.
struct AdoptHandle {};

class TextFont : public GdiplusHeapObject {
 public:
  // A family missing from the collection (null: the installed fonts) falls back to the generic
  // sans-serif family; style and unit are the library's FontStyle and Unit values.
  TextFont(const wchar_t* family, float size, int style, int unit,
           Gdiplus::GpFontCollection* collection);
  ~TextFont();
  TextFont(const TextFont&) = delete;
  TextFont& operator=(const TextFont&) = delete;

  // A clone of the font; the copy takes this object's status after the clone call.
  std::unique_ptr<TextFont> Clone();
  // The same family and style in pixels of a display of dpi, so that text is laid out and
  // rasterised at the size it is shown (the graphics' own DPI, the system's, plays no part).
  // Null when this font is that one already (pixel sized, at the layout's density), or when the
  // library cannot tell what the font is: the caller draws with this font then.
  std::unique_ptr<TextFont> ForDpi(unsigned dpi) const;

  Gdiplus::GpFont* handle() const { return font_; }
  int status() const { return status_; }

 private:
  TextFont(AdoptHandle, Gdiplus::GpFont* font, int status) : font_(font), status_(status) {}

  Gdiplus::GpFont* font_ = nullptr;
  int status_ = 0;
};

class TextFormat : public GdiplusHeapObject {
 public:
  // Format flags and language of the library's string format (0, 0: none, neutral).
  explicit TextFormat(int flags = 0, LANGID language = 0);
  ~TextFormat();
  TextFormat(const TextFormat&) = delete;
  TextFormat& operator=(const TextFormat&) = delete;

  std::unique_ptr<TextFormat> Clone();

  Gdiplus::GpStringFormat* handle() const { return format_; }
  int status() const { return status_; }

 private:
  TextFormat(AdoptHandle, Gdiplus::GpStringFormat* format, int status)
      : format_(format), status_(status) {}

  Gdiplus::GpStringFormat* format_ = nullptr;
  int status_ = 0;
};

class TextBrush : public GdiplusHeapObject {
 public:
  // A solid brush of the colour 0xAARRGGBB.
  explicit TextBrush(uint32_t argb);
  virtual ~TextBrush();
  TextBrush(const TextBrush&) = delete;
  TextBrush& operator=(const TextBrush&) = delete;

  virtual std::unique_ptr<TextBrush> Clone();

  Gdiplus::GpBrush* handle() const { return brush_; }
  int status() const { return status_; }

 protected:
  TextBrush(AdoptHandle, Gdiplus::GpBrush* brush, int status) : brush_(brush), status_(status) {}

  Gdiplus::GpBrush* brush_ = nullptr;
  int status_ = 0;
};

// A layout rectangle in the graphics' units.
struct TextLayout {
  float x;
  float y;
  float width;
  float height;
};

// Draws text (up to its terminator) in the layout; a missing font, format or brush is passed
// to the library as none. Returns the library's status.
int DrawString(Gdiplus::GpGraphics* graphics, const wchar_t* text, const TextFont* font,
               const TextLayout& layout, const TextFormat* format, const TextBrush* brush);

}  // namespace dl
