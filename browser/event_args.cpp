#include "browser/event_args.h"

namespace dl {

VARIANT* EventArgs::At(UINT index) const {
  if (params_ == nullptr || params_->rgvarg == nullptr || index >= params_->cArgs) return nullptr;
  return &params_->rgvarg[params_->cArgs - 1 - index];
}

IDispatch* EventArgs::Dispatch(UINT index) const {
  const VARIANT* arg = At(index);
  return arg != nullptr && V_VT(arg) == VT_DISPATCH ? V_DISPATCH(arg) : nullptr;
}

IDispatch** EventArgs::DispatchRef(UINT index) const {
  const VARIANT* arg = At(index);
  return arg != nullptr && V_VT(arg) == (VT_DISPATCH | VT_BYREF) ? V_DISPATCHREF(arg) : nullptr;
}

VARIANT* EventArgs::VariantRef(UINT index) const {
  VARIANT* arg = At(index);
  if (arg != nullptr && V_VT(arg) == (VT_VARIANT | VT_BYREF)) return V_VARIANTREF(arg);
  return arg;
}

VARIANT_BOOL EventArgs::Bool(UINT index) const {
  const VARIANT* arg = At(index);
  if (arg == nullptr) return VARIANT_FALSE;
  if (V_VT(arg) == VT_BOOL) return V_BOOL(arg);
  if (V_VT(arg) == (VT_BOOL | VT_BYREF) && V_BOOLREF(arg) != nullptr) return *V_BOOLREF(arg);
  return VARIANT_FALSE;
}

VARIANT_BOOL* EventArgs::BoolRef(UINT index) const {
  const VARIANT* arg = At(index);
  return arg != nullptr && V_VT(arg) == (VT_BOOL | VT_BYREF) ? V_BOOLREF(arg) : nullptr;
}

long EventArgs::Long(UINT index) const {
  const VARIANT* arg = At(index);
  if (arg == nullptr) return 0;
  if (V_VT(arg) == VT_I4) return V_I4(arg);
  if (V_VT(arg) == (VT_I4 | VT_BYREF) && V_I4REF(arg) != nullptr) return *V_I4REF(arg);
  return 0;
}

long* EventArgs::LongRef(UINT index) const {
  const VARIANT* arg = At(index);
  return arg != nullptr && V_VT(arg) == (VT_I4 | VT_BYREF) ? V_I4REF(arg) : nullptr;
}

BSTR EventArgs::String(UINT index) const {
  const VARIANT* arg = At(index);
  if (arg == nullptr) return nullptr;
  if (V_VT(arg) == VT_BSTR) return V_BSTR(arg);
  if (V_VT(arg) == (VT_BSTR | VT_BYREF) && V_BSTRREF(arg) != nullptr) return *V_BSTRREF(arg);
  return nullptr;
}

}  // namespace dl
