#include "ui/framework/accessible_object.h"

#include <string>

#include "ui/framework/accessibility.h"
#include "ui/framework/accessibility_library.h"

namespace dl {

namespace {

HRESULT GiveText(const wchar_t* text, UINT length, BSTR* out) {
  *out = SysAllocStringLen(text, length);
  return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT GiveText(const std::wstring& text, BSTR* out) {
  return GiveText(text.c_str(), static_cast<UINT>(text.size()), out);
}

void GiveChild(LONG id, VARIANT* out) {
  out->vt = VT_I4;
  out->lVal = id;
}

}  // namespace

AccessibleWindowObject::AccessibleWindowObject(Accessibility* owner) : owner_(owner) {}

void AccessibleWindowObject::Disconnect() {
  owner_ = nullptr;
  standard_.Reset();
}

HRESULT AccessibleWindowObject::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
    *out = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

ULONG AccessibleWindowObject::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG AccessibleWindowObject::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT AccessibleWindowObject::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT AccessibleWindowObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return E_NOTIMPL;
}

HRESULT AccessibleWindowObject::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}

HRESULT AccessibleWindowObject::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                       EXCEPINFO*, UINT*) {
  return E_NOTIMPL;
}

AccessibleWindowObject::Target AccessibleWindowObject::Resolve(const VARIANT& child,
                                                               size_t* index) const {
  if (child.vt != VT_I4) return Target::kInvalid;
  if (child.lVal == CHILDID_SELF) return Target::kSelf;
  if (child.lVal < 1 || static_cast<size_t>(child.lVal) > owner_->count()) return Target::kInvalid;
  *index = static_cast<size_t>(child.lVal) - 1;
  return Target::kChild;
}

IAccessible* AccessibleWindowObject::Standard() {
  if (standard_ || owner_ == nullptr) return standard_.Get();
  const AccessibilityLibrary& library = Oleacc();
  void* object = nullptr;
  if (library.createStdAccessibleObject != nullptr &&
      SUCCEEDED(library.createStdAccessibleObject(owner_->hwnd(), OBJID_CLIENT,
                                                  __uuidof(IAccessible), &object)) &&
      object != nullptr) {
    standard_.Reset(static_cast<IAccessible*>(object));
  }
  return standard_.Get();
}

HRESULT AccessibleWindowObject::StartText(BSTR* out) const {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  return owner_ == nullptr ? RPC_E_DISCONNECTED : S_OK;
}

HRESULT AccessibleWindowObject::NoText(const VARIANT& child, BSTR* out) const {
  const HRESULT started = StartText(out);
  if (started != S_OK) return started;
  size_t index = 0;
  return Resolve(child, &index) != Target::kInvalid ? S_FALSE : E_INVALIDARG;
}

HRESULT AccessibleWindowObject::get_accParent(IDispatch** parent) {
  if (parent == nullptr) return E_POINTER;
  *parent = nullptr;
  if (owner_ == nullptr) return RPC_E_DISCONNECTED;
  IAccessible* standard = Standard();
  return standard != nullptr ? standard->get_accParent(parent) : S_FALSE;
}

HRESULT AccessibleWindowObject::get_accChildCount(LONG* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  if (owner_ == nullptr) return RPC_E_DISCONNECTED;
  *count = static_cast<LONG>(owner_->count());
  return S_OK;
}

HRESULT AccessibleWindowObject::get_accChild(VARIANT child, IDispatch** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (owner_ == nullptr) return RPC_E_DISCONNECTED;
  size_t index = 0;
  // The children are simple elements, not objects of their own.
  return Resolve(child, &index) == Target::kChild ? S_FALSE : E_INVALIDARG;
}

HRESULT AccessibleWindowObject::get_accName(VARIANT child, BSTR* name) {
  const HRESULT started = StartText(name);
  if (started != S_OK) return started;
  size_t index = 0;
  switch (Resolve(child, &index)) {
    case Target::kSelf: {
      IAccessible* standard = Standard();
      return standard != nullptr ? standard->get_accName(child, name) : S_FALSE;
    }
    case Target::kChild:
      return GiveText(owner_->Name(index), name);
    default:
      return E_INVALIDARG;
  }
}

HRESULT AccessibleWindowObject::get_accValue(VARIANT child, BSTR* value) {
  const HRESULT started = StartText(value);
  if (started != S_OK) return started;
  size_t index = 0;
  switch (Resolve(child, &index)) {
    case Target::kSelf:
      return S_FALSE;
    case Target::kChild: {
      std::wstring text;
      return owner_->Value(index, &text) ? GiveText(text, value) : S_FALSE;
    }
    default:
      return E_INVALIDARG;
  }
}

HRESULT AccessibleWindowObject::get_accDescription(VARIANT child, BSTR* description) {
  return NoText(child, description);
}

HRESULT AccessibleWindowObject::get_accRole(VARIANT child, VARIANT* role) {
  if (role == nullptr) return E_POINTER;
  VariantInit(role);
  if (owner_ == nullptr) return RPC_E_DISCONNECTED;
  size_t index = 0;
  switch (Resolve(child, &index)) {
    case Target::kSelf:
      GiveChild(ROLE_SYSTEM_CLIENT, role);
      return S_OK;
    case Target::kChild:
      GiveChild(owner_->Role(index), role);
      return S_OK;
    default:
      return E_INVALIDARG;
  }
}

HRESULT AccessibleWindowObject::get_accState(VARIANT child, VARIANT* state) {
  if (state == nullptr) return E_POINTER;
  VariantInit(state);
  if (owner_ == nullptr) return RPC_E_DISCONNECTED;
  size_t index = 0;
  switch (Resolve(child, &index)) {
    case Target::kSelf: {
      IAccessible* standard = Standard();
      if (standard != nullptr) return standard->get_accState(child, state);
      GiveChild(owner_->FocusedChild() >= 0 ? STATE_SYSTEM_FOCUSED : 0, state);
      return S_OK;
    }
    case Target::kChild:
      GiveChild(owner_->State(index), state);
      return S_OK;
    default:
      return E_INVALIDARG;
  }
}

HRESULT AccessibleWindowObject::get_accHelp(VARIANT child, BSTR* help) {
  return NoText(child, help);
}

HRESULT AccessibleWindowObject::get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) {
  if (file != nullptr) *file = nullptr;
  if (topic != nullptr) *topic = -1;
  if (owner_ == nullptr) return RPC_E_DISCONNECTED;
  return S_FALSE;
}

HRESULT AccessibleWindowObject::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
  return NoText(child, shortcut);
}

HRESULT AccessibleWindowObject::get_accFocus(VARIANT* focus) {
  if (focus == nullptr) return E_POINTER;
  VariantInit(focus);
  if (owner_ == nullptr) return RPC_E_DISCONNECTED;
  const LONG focused = owner_->FocusedChild();
  if (focused < 0) return S_FALSE;
  GiveChild(focused, focus);
  return S_OK;
}

HRESULT AccessibleWindowObject::get_accSelection(VARIANT* selection) {
  if (selection == nullptr) return E_POINTER;
  VariantInit(selection);
  if (owner_ == nullptr) return RPC_E_DISCONNECTED;
  return S_FALSE;  // nothing here can be selected
}

HRESULT AccessibleWindowObject::get_accDefaultAction(VARIANT child, BSTR* action) {
  const HRESULT started = StartText(action);
  if (started != S_OK) return started;
  size_t index = 0;
  switch (Resolve(child, &index)) {
    case Target::kSelf:
      return S_FALSE;
    case Target::kChild: {
      const wchar_t* text = owner_->DefaultAction(index);
      return text != nullptr ? GiveText(text, static_cast<UINT>(wcslen(text)), action) : S_FALSE;
    }
    default:
      return E_INVALIDARG;
  }
}

HRESULT AccessibleWindowObject::accSelect(LONG flags, VARIANT child) {
  if (owner_ == nullptr) return RPC_E_DISCONNECTED;
  size_t index = 0;
  switch (Resolve(child, &index)) {
    case Target::kSelf: {
      IAccessible* standard = Standard();
      return standard != nullptr ? standard->accSelect(flags, child) : S_FALSE;
    }
    case Target::kChild:
      if (flags != SELFLAG_TAKEFOCUS) return DISP_E_MEMBERNOTFOUND;
      return owner_->TakeFocus(index) ? S_OK : S_FALSE;
    default:
      return E_INVALIDARG;
  }
}

HRESULT AccessibleWindowObject::accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                            VARIANT child) {
  if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) return E_POINTER;
  *left = *top = *width = *height = 0;
  if (owner_ == nullptr) return RPC_E_DISCONNECTED;
  size_t index = 0;
  switch (Resolve(child, &index)) {
    case Target::kSelf: {
      IAccessible* standard = Standard();
      return standard != nullptr ? standard->accLocation(left, top, width, height, child) : S_FALSE;
    }
    case Target::kChild: {
      const RECT rect = owner_->ScreenRect(index);
      *left = rect.left;
      *top = rect.top;
      *width = rect.right - rect.left;
      *height = rect.bottom - rect.top;
      return S_OK;
    }
    default:
      return E_INVALIDARG;
  }
}

HRESULT AccessibleWindowObject::accNavigate(LONG direction, VARIANT start, VARIANT* end) {
  if (end == nullptr) return E_POINTER;
  VariantInit(end);
  if (owner_ == nullptr) return RPC_E_DISCONNECTED;
  size_t index = 0;
  const LONG count = static_cast<LONG>(owner_->count());
  LONG to = 0;
  switch (Resolve(start, &index)) {
    case Target::kSelf:
      if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
        to = direction == NAVDIR_FIRSTCHILD ? 1 : count;
        break;
      }
      // Among the windows beside this one, the system's object knows the way.
      if (IAccessible* standard = Standard()) return standard->accNavigate(direction, start, end);
      return S_FALSE;
    case Target::kChild:
      if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) return E_INVALIDARG;
      if (direction == NAVDIR_NEXT) to = static_cast<LONG>(index) + 2;
      if (direction == NAVDIR_PREVIOUS) to = static_cast<LONG>(index);
      break;  // other directions (by position) lead nowhere
    default:
      return E_INVALIDARG;
  }
  if (to < 1 || to > count) return S_FALSE;
  GiveChild(to, end);
  return S_OK;
}

HRESULT AccessibleWindowObject::accHitTest(LONG left, LONG top, VARIANT* child) {
  if (child == nullptr) return E_POINTER;
  VariantInit(child);
  if (owner_ == nullptr) return RPC_E_DISCONNECTED;
  const LONG hit = owner_->ChildAt(POINT{left, top});
  if (hit < 0) return S_FALSE;
  GiveChild(hit, child);
  return S_OK;
}

HRESULT AccessibleWindowObject::accDoDefaultAction(VARIANT child) {
  if (owner_ == nullptr) return RPC_E_DISCONNECTED;
  size_t index = 0;
  switch (Resolve(child, &index)) {
    case Target::kChild:
      return owner_->RequestDefaultAction(index) ? S_OK : DISP_E_MEMBERNOTFOUND;
    case Target::kSelf:
      return DISP_E_MEMBERNOTFOUND;
    default:
      return E_INVALIDARG;
  }
}

HRESULT AccessibleWindowObject::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }

HRESULT AccessibleWindowObject::put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }

}  // namespace dl
