// Owners for COM interface pointers, BSTRs and a thread's apartment, on the project's handle
// owner: each reference the host takes is given back exactly once, on every path.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include "base/unique_owner.h"

namespace dl {

template <typename Interface>
struct ComTraits {
  using Handle = Interface*;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle object) noexcept { object->Release(); }
};
template <typename Interface>
using ComOwner = UniqueOwner<ComTraits<Interface>>;

// Asks `object` for the interface `iid` and hands the answer to `out` (emptied first).
template <typename Interface>
HRESULT QueryInto(IUnknown* object, REFIID iid, ComOwner<Interface>* out) {
  out->Reset();
  Interface* raw = nullptr;
  const HRESULT hr = object->QueryInterface(iid, reinterpret_cast<void**>(&raw));
  if (FAILED(hr)) return hr;
  if (raw == nullptr) return E_NOINTERFACE;
  out->Reset(raw);
  return hr;
}

struct BstrTraits {
  using Handle = BSTR;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle text) noexcept { SysFreeString(text); }
};
using UniqueBstr = UniqueOwner<BstrTraits>;

// COM on this thread for one scope. A thread that already runs another apartment model refuses
// it (RPC_E_CHANGED_MODE); then nothing is uninitialised, so the thread keeps its own state.
class ComApartment {
 public:
  ComApartment() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}
  ~ComApartment() {
    if (initialised_) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  bool initialised() const { return initialised_; }

 private:
  bool initialised_;
};

}  // namespace dl
