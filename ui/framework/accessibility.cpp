#include "ui/framework/accessibility.h"

#include "ui/controls/device_rect.h"
#include "ui/framework/accessibility_library.h"
#include "ui/framework/accessible_object.h"

namespace dl {

namespace {

bool Shown(Control* control) {
  for (Control* c = control; c != nullptr; c = c->parent()) {
    if (c->IsVisible() == 0) return false;
  }
  return true;
}

}  // namespace

const AccessibilityLibrary& Oleacc() {
  static const AccessibilityLibrary library;
  return library;
}

Accessibility::Accessibility(Control* root, KeyboardFocus* keys) : root_(root), keys_(keys) {}

Accessibility::~Accessibility() {
  if (object_ == nullptr) return;
  object_->Disconnect();
  object_->Release();
}

void Accessibility::Add(const AccessibleItem& item) {
  if (item.control != nullptr) items_.push_back(item);
}

std::wstring Accessibility::Name(size_t index) const {
  const AccessibleItem& item = items_[index];
  if (item.name != nullptr) return item.name;
  return item.nameFrom != nullptr ? item.nameFrom->CopyText() : std::wstring();
}

bool Accessibility::Value(size_t index, std::wstring* out) const {
  const Label* label = items_[index].valueFrom;
  if (label == nullptr || label->GetText() == nullptr) return false;
  *out = label->CopyText();
  return true;
}

LONG Accessibility::State(size_t index) const {
  const AccessibleItem& item = items_[index];
  LONG state = 0;
  // A text with nothing in it yet (the size and speed before a download) is not read out.
  const bool blank = item.role == ROLE_SYSTEM_STATICTEXT && Name(index).empty();
  if (!Shown(item.control) || blank) state |= STATE_SYSTEM_INVISIBLE;
  if (keys_ != nullptr && keys_->IsStop(item.control)) {
    state |= STATE_SYSTEM_FOCUSABLE;
    if (item.control->IsEnabled() != 1) state |= STATE_SYSTEM_UNAVAILABLE;
    if (FocusedChild() == static_cast<LONG>(index + 1)) state |= STATE_SYSTEM_FOCUSED;
  }
  if (item.role == ROLE_SYSTEM_LINK) state |= STATE_SYSTEM_LINKED;
  if (item.role == ROLE_SYSTEM_STATICTEXT || item.role == ROLE_SYSTEM_PROGRESSBAR) {
    state |= STATE_SYSTEM_READONLY;
  }
  return state;
}

RECT Accessibility::ScreenRect(size_t index) const {
  RECT rect = DeviceRect(items_[index].control->GetRect(), root_->Dpi());
  MapWindowPoints(hwnd(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

const wchar_t* Accessibility::DefaultAction(size_t index) const {
  const AccessibleItem& item = items_[index];
  if (keys_ == nullptr || !keys_->IsStop(item.control)) return nullptr;
  return item.role == ROLE_SYSTEM_LINK ? L"跳转" : L"按下";
}

LONG Accessibility::FocusedChild() const {
  if (GetFocus() != hwnd() || hwnd() == nullptr) return -1;
  Control* focused = keys_ != nullptr ? keys_->focused() : nullptr;
  for (size_t i = 0; focused != nullptr && i < items_.size(); ++i) {
    if (items_[i].control == focused) return static_cast<LONG>(i + 1);
  }
  return CHILDID_SELF;
}

LONG Accessibility::ChildAt(POINT screen) const {
  POINT at = screen;
  RECT client;
  if (!ScreenToClient(hwnd(), &at) || !GetClientRect(hwnd(), &client) || !PtInRect(&client, at)) {
    return -1;
  }
  // The tree's rectangles are layout units; the point is a device pixel of the window's display.
  const uint32_t dpi = root_->Dpi();
  at = {ToLayout(at.x, dpi), ToLayout(at.y, dpi)};
  // Where two meet (a wide text under a button), the child listed first wins.
  for (size_t i = 0; i < items_.size(); ++i) {
    const RECT rect = items_[i].control->GetRect();
    if (Shown(items_[i].control) && PtInRect(&rect, at)) return static_cast<LONG>(i + 1);
  }
  return CHILDID_SELF;
}

bool Accessibility::RequestDefaultAction(size_t index) {
  if (DefaultAction(index) == nullptr || !KeyboardFocus::Usable(items_[index].control)) {
    return false;
  }
  return PostMessageW(hwnd(), WM_ACCESSIBLE_ACTION, index, 0) != FALSE;
}

bool Accessibility::TakeFocus(size_t index) {
  Control* control = items_[index].control;
  if (keys_ == nullptr || !keys_->IsStop(control) || !KeyboardFocus::Usable(control)) return false;
  SetFocus(hwnd());
  keys_->Focus(control);
  return true;
}

bool Accessibility::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (msg == WM_ACCESSIBLE_ACTION) {
    // Checked again: the child may have been hidden or disabled since the request.
    if (wParam < items_.size() && keys_ != nullptr) keys_->Activate(items_[wParam].control);
    *result = 0;
    return true;
  }
  // The object id travels in the low 32 bits; a 32-bit client's negative id arrives without
  // its sign extended.
  if (msg != WM_GETOBJECT || static_cast<LONG>(lParam) != OBJID_CLIENT) return false;
  const AccessibilityLibrary& library = Oleacc();
  if (library.lresultFromObject == nullptr) return false;
  if (object_ == nullptr) object_ = new AccessibleWindowObject(this);
  const LRESULT reference = library.lresultFromObject(__uuidof(IAccessible), wParam, object_);
  if (reference < 0) return false;  // the system's own client object answers instead
  *result = reference;
  return true;
}

void Accessibility::Announce() {
  if (announcing_ || hwnd() == nullptr) return;
  announcing_ = true;
  const bool first = said_.size() != items_.size();
  said_.resize(items_.size());
  // Noted first and told afterwards: a listener in this process may ask at once.
  std::vector<std::pair<DWORD, LONG>> events;
  for (size_t i = 0; i < items_.size(); ++i) {
    const LONG child = static_cast<LONG>(i + 1);
    Said now = {Name(i), std::wstring(), State(i)};
    Value(i, &now.value);
    Said& was = said_[i];
    if (!first && now.name != was.name) events.emplace_back(EVENT_OBJECT_NAMECHANGE, child);
    if (!first && now.value != was.value) events.emplace_back(EVENT_OBJECT_VALUECHANGE, child);
    if (!first && now.state != was.state) events.emplace_back(EVENT_OBJECT_STATECHANGE, child);
    was = std::move(now);
  }
  const LONG focus = FocusedChild();
  if (focus != saidFocus_ && focus > 0) events.emplace_back(EVENT_OBJECT_FOCUS, focus);
  saidFocus_ = focus;
  for (const auto& event : events) NotifyWinEvent(event.first, hwnd(), OBJID_CLIENT, event.second);
  announcing_ = false;
}

}  // namespace dl
