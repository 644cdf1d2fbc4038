// A control that draws a text over its optional image. The label keeps its own copies of the
// font, format and brush it is given. Its text may be replaced from another thread while the
// window's thread paints it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>

#include "ui/controls/control.h"
#include "ui/controls/text_objects.h"

namespace dl {

class Label : public Control {
 public:
  // A missing font is 12-point regular "宋体" (or the generic sans-serif family), a missing
  // format a plain one, a missing brush near-opaque white.
  Label(const RECT& rect, const wchar_t* imageName, Control* parent, TextFont* font,
        TextFormat* format, TextBrush* brush, int id, const wchar_t* resourceType, HMODULE module);
  ~Label() override;

  // Stores a copy (none for null or empty) and repaints. Like every control, only on its
  // window's thread.
  void SetText(const wchar_t* text);
  // The label's own buffer or null when there is no text, valid until the next SetText.
  const wchar_t* GetText() const;
  std::wstring CopyText() const { return text_; }

  void DrawSelf(GpGraphics* graphics) override;
  LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnLButtonUp(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnRButtonDown(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnRButtonUp(WPARAM wParam, LPARAM lParam) override;

  TextFont* font() const { return font_.get(); }
  TextFormat* format() const { return format_.get(); }
  TextBrush* brush() const { return brush_.get(); }

 private:
  // Whether a packed client position (unsigned 16-bit halves) lies on the label.
  bool Over(LPARAM lParam) const;

  std::wstring text_;
  std::unique_ptr<TextFont> font_;
  // font_ at the density last drawn at, made again when the window's density changes.
  std::unique_ptr<TextFont> drawnFont_;
  unsigned drawnFontDpi_ = 0;
  std::unique_ptr<TextFormat> format_;
  std::unique_ptr<TextBrush> brush_;
};

}  // namespace dl
