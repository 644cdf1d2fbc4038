#include "ui/controls/label.h"

#include <windows.h>

#include <gdiplus.h>

#include "ui/controls/device_rect.h"

namespace dl {

namespace {

// "宋体", the family the skins' texts are laid out for.
constexpr wchar_t kDefaultFamily[] = L"\u5B8B\u4F53";
constexpr float kDefaultSize = 12.0f;
constexpr uint32_t kDefaultColour = 0xFEFFFFFF;

}  // namespace

Label::Label(const RECT& rect, const wchar_t* imageName, Control* parent, TextFont* font,
             TextFormat* format, TextBrush* brush, int id, const wchar_t* resourceType,
             HMODULE module)
    : Control(rect, imageName, parent, id, nullptr, resourceType, module) {
  if (font != nullptr) {
    font_ = font->Clone();
  } else {
    font_.reset(new TextFont(kDefaultFamily, kDefaultSize, Gdiplus::FontStyleRegular,
                             Gdiplus::UnitPoint, nullptr));
  }
  if (format != nullptr) {
    format_ = format->Clone();
    if (format_->handle() == nullptr) format_.reset();
  } else {
    format_.reset(new TextFormat(0, 0));
  }
  brush_ =
      brush != nullptr ? brush->Clone() : std::unique_ptr<TextBrush>(new TextBrush(kDefaultColour));
}

Label::~Label() {
  drawnFont_.reset();
  font_.reset();
  format_.reset();
  brush_.reset();
}

void Label::SetText(const wchar_t* text) {
  text_ = text != nullptr ? text : L"";
  Invalidate(nullptr, 0);
}

const wchar_t* Label::GetText() const { return text_.empty() ? nullptr : text_.c_str(); }

void Label::DrawSelf(GpGraphics* graphics) {
  Control::DrawSelf(graphics);
  if (text_.empty()) return;
  const unsigned dpi = Dpi();
  if (drawnFontDpi_ != dpi) {
    drawnFont_ = font_ ? font_->ForDpi(dpi) : nullptr;
    drawnFontDpi_ = dpi;
  }
  const RECT area = DeviceRect(rect_, dpi);
  const TextLayout layout = {static_cast<float>(area.left), static_cast<float>(area.top),
                             static_cast<float>(area.right - area.left),
                             static_cast<float>(area.bottom - area.top)};
  const TextFont* font = drawnFont_ ? drawnFont_.get() : font_.get();
  DrawString(graphics, text_.c_str(), font, layout, format_.get(), brush_.get());
}

LRESULT Label::OnLButtonDown(WPARAM wParam, LPARAM lParam) {
  return Control::OnLButtonDown(wParam, lParam);
}

LRESULT Label::OnLButtonUp(WPARAM wParam, LPARAM lParam) {
  LRESULT result = Control::OnLButtonUp(wParam, lParam);
  // The release reaches the label that took the press wherever the mouse is.
  if (Over(lParam)) result = Raise(CN_LABELCLICK, wParam, lParam);
  return result;
}

LRESULT Label::OnRButtonDown(WPARAM wParam, LPARAM lParam) {
  return Control::OnRButtonDown(wParam, lParam);
}

LRESULT Label::OnRButtonUp(WPARAM wParam, LPARAM lParam) {
  LRESULT result = Control::OnRButtonUp(wParam, lParam);
  if (Over(lParam)) result = Raise(CN_LABELRCLICK, wParam, lParam);
  return result;
}

bool Label::Over(LPARAM lParam) const {
  const POINT point = {static_cast<LONG>(LOWORD(lParam)), static_cast<LONG>(HIWORD(lParam))};
  return PtInRect(&rect_, point) != 0;
}

}  // namespace dl
