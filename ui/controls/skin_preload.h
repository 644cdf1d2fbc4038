// Decodes a window's skins on a thread of their own while the window is being created, so
// that its controls find their images ready instead of each waiting for the decoder in turn.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "base/win_handles.h"
#include "ui/controls/skin_image.h"

namespace dl {

class SkinPreload {
 public:
  // Starts decoding the integer-named resources `ids` of `module` in the given order; `type`
  // is a type name (an integer type preloads nothing).
  SkinPreload(HMODULE module, const wchar_t* type, const int* ids, size_t count);
  // Waits for the decoder and frees what nobody took: before the drawing library shuts down.
  ~SkinPreload();
  SkinPreload(const SkinPreload&) = delete;
  SkinPreload& operator=(const SkinPreload&) = delete;

  // The image decoded for this resource, handed out once (waiting for it if it is still being
  // decoded). None when it is not one of the preloaded ones, was taken already, or no
  // preload runs: the caller then decodes it itself.
  static std::unique_ptr<SkinImage> Take(HMODULE module, const wchar_t* type, const wchar_t* name);

 private:
  enum class State { kPending, kDecoded, kTaken };
  struct Slot {
    int id;
    State state;
    std::unique_ptr<SkinImage> image;
  };

  static DWORD WINAPI DecodeAll(void* self);
  std::unique_ptr<SkinImage> TakeSlot(int id);

  HMODULE module_;
  std::wstring type_;
  std::vector<Slot> slots_;
  SRWLOCK lock_ = SRWLOCK_INIT;
  CONDITION_VARIABLE decoded_ = CONDITION_VARIABLE_INIT;
  UniqueHandle thread_;
};

}  // namespace dl
