// The client object a screen reader holds for a skinned window: IAccessible (with the minimal
// IDispatch it derives from) over the window's Accessibility, whose children are simple
// elements. The window itself (its parent, name, place) is answered by the system's standard
// client object. The object may outlive the window: a client can keep its reference, and once
// the window is gone every call answers RPC_E_DISCONNECTED.
#pragma once

#include <windows.h>

#include <oleacc.h>

#include "base/com_owner.h"

namespace dl {

class Accessibility;

class AccessibleWindowObject final : public IAccessible {
 public:
  // Starts with one reference, the caller's.
  explicit AccessibleWindowObject(Accessibility* owner);
  AccessibleWindowObject(const AccessibleWindowObject&) = delete;
  AccessibleWindowObject& operator=(const AccessibleWindowObject&) = delete;

  // The window is going: no call reaches it any more.
  void Disconnect();

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch: no type information; clients use the vtable.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override;
  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(LONG left, LONG top, VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override;
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override;

 private:
  ~AccessibleWindowObject() = default;  // through Release only

  // What a call's child names: the object itself, one of its children, or neither.
  enum class Target { kSelf, kChild, kInvalid };
  Target Resolve(const VARIANT& child, size_t* index) const;
  // The system's client object of the window, made on first use; null when there is none.
  IAccessible* Standard();
  // The start every text answer shares: the out text cleared, E_POINTER without one and
  // RPC_E_DISCONNECTED once the window is gone; S_OK to go on.
  HRESULT StartText(BSTR* out) const;
  // A text none of the children has (description, help, shortcut).
  HRESULT NoText(const VARIANT& child, BSTR* out) const;

  volatile LONG references_ = 1;
  Accessibility* owner_;
  ComOwner<IAccessible> standard_;
};

}  // namespace dl
