// The arguments of one dispatched browser event. Dispatch passes them last-first; these
// accessors take the position in the event's own parameter list and give null or zero for an
// argument that is missing or of another type, so a short or odd call reaches the handler
// harmlessly instead of reading past the array.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace dl {

class EventArgs {
 public:
  explicit EventArgs(DISPPARAMS* params) : params_(params) {}

  IDispatch* Dispatch(UINT index) const;      // VT_DISPATCH
  IDispatch** DispatchRef(UINT index) const;  // VT_DISPATCH | VT_BYREF
  // VT_VARIANT | VT_BYREF gives the referenced variant; any other argument is itself the value.
  VARIANT* VariantRef(UINT index) const;
  VARIANT_BOOL Bool(UINT index) const;      // VT_BOOL, also by reference
  VARIANT_BOOL* BoolRef(UINT index) const;  // VT_BOOL | VT_BYREF
  long Long(UINT index) const;              // VT_I4, also by reference
  long* LongRef(UINT index) const;          // VT_I4 | VT_BYREF
  BSTR String(UINT index) const;            // VT_BSTR, also by reference

 private:
  VARIANT* At(UINT index) const;

  DISPPARAMS* params_;
};

}  // namespace dl
