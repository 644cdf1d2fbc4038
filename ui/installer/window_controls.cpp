#include "ui/installer/window_controls.h"

#include <gdiplus.h>

#include <memory>

#include "ui/controls/text_objects.h"

namespace dl {

namespace {

constexpr wchar_t kSkinType[] = L"IMAGE";

HMODULE Program() { return GetModuleHandleW(nullptr); }

// Made with a parent, a control belongs to the parent's tree from its constructor on.
template <typename T>
T* Adopted(std::unique_ptr<T> control) {
  return control->parent() != nullptr ? control.release() : nullptr;
}

}  // namespace

Control* AddImage(Control* parent, int skin, int x, int y) {
  return Adopted(std::make_unique<Control>(x, y, MAKEINTRESOURCEW(skin), parent, 0, nullptr,
                                           kSkinType, Program()));
}

Control* AddImage(Control* parent, int skin, const RECT& rect) {
  return Adopted(std::make_unique<Control>(rect, MAKEINTRESOURCEW(skin), parent, 0, nullptr,
                                           kSkinType, Program()));
}

Button* AddButton(Control* parent, int skin, int x, int y, int id) {
  return Adopted(
      std::make_unique<Button>(x, y, MAKEINTRESOURCEW(skin), parent, id, kSkinType, Program()));
}

Label* AddLabel(Control* parent, const RECT& rect, const LabelStyle& style, const wchar_t* text,
                bool enabled) {
  // The label keeps copies of the three drawing objects; these go when it has them.
  TextFont font(style.family, style.points, Gdiplus::FontStyleRegular, Gdiplus::UnitPoint, nullptr);
  TextFormat format(0, LANG_NEUTRAL);
  TextBrush brush(style.argb);
  Label* label = Adopted(
      std::make_unique<Label>(rect, nullptr, parent, &font, &format, &brush, 0, nullptr, nullptr));
  if (label == nullptr) return nullptr;
  if (text != nullptr) label->SetText(text);
  if (!enabled) label->Enable(0);
  return label;
}

}  // namespace dl
