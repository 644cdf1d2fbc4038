#include "ui/controls/skin_preload.h"

#include <atomic>

namespace dl {

namespace {
std::atomic<SkinPreload*> g_active{nullptr};
}  // namespace

SkinPreload::SkinPreload(HMODULE module, const wchar_t* type, const int* ids, size_t count)
    : module_(module), type_(type != nullptr && !IS_INTRESOURCE(type) ? type : L"") {
  slots_.reserve(count);
  for (size_t i = 0; i < count; ++i) slots_.push_back(Slot{ids[i], State::kPending, nullptr});
  g_active = this;
  thread_.Reset(CreateThread(nullptr, 0, &SkinPreload::DecodeAll, this, 0, nullptr));
  if (!thread_) {
    // Without the thread every control decodes its own image, as if nothing was preloaded.
    for (Slot& slot : slots_) slot.state = State::kTaken;
  }
}

SkinPreload::~SkinPreload() {
  if (thread_) WaitForSingleObject(thread_.Get(), INFINITE);
  g_active = nullptr;
}

DWORD WINAPI SkinPreload::DecodeAll(void* self) {
  auto* preload = static_cast<SkinPreload*>(self);
  for (Slot& slot : preload->slots_) {
    std::unique_ptr<SkinImage> image =
        DecodeSkinResource(preload->module_, preload->type_.c_str(), MAKEINTRESOURCEW(slot.id));
    AcquireSRWLockExclusive(&preload->lock_);
    if (slot.state == State::kPending) {
      slot.image = std::move(image);
      slot.state = State::kDecoded;
    }
    ReleaseSRWLockExclusive(&preload->lock_);
    WakeAllConditionVariable(&preload->decoded_);
  }
  return 0;
}

std::unique_ptr<SkinImage> SkinPreload::TakeSlot(int id) {
  AcquireSRWLockExclusive(&lock_);
  std::unique_ptr<SkinImage> image;
  for (Slot& slot : slots_) {
    if (slot.id != id || slot.state == State::kTaken) continue;
    while (slot.state == State::kPending) SleepConditionVariableSRW(&decoded_, &lock_, INFINITE, 0);
    image = std::move(slot.image);
    slot.state = State::kTaken;
    break;
  }
  ReleaseSRWLockExclusive(&lock_);
  return image;
}

std::unique_ptr<SkinImage> SkinPreload::Take(HMODULE module, const wchar_t* type,
                                             const wchar_t* name) {
  // The windows are built on the thread that owns the preload, so the active one cannot go
  // away during the call.
  SkinPreload* preload = g_active.load();
  if (preload == nullptr || !IS_INTRESOURCE(name) || module != preload->module_ ||
      type == nullptr || IS_INTRESOURCE(type) || preload->type_ != type) {
    return nullptr;
  }
  return preload->TakeSlot(static_cast<int>(reinterpret_cast<ULONG_PTR>(name)));
}

}  // namespace dl
