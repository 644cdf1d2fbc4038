#include "ui/framework/wndproc_thunk.h"

namespace dl {

namespace {
constexpr int kLevels = 8;  // hooks of this kind on one window at once

// Per level: the thunk serving it, and the procedure it replaced. The second outlives a
// thunk that could not be taken out of the chain, so that its entry still passes messages on.
const wchar_t* const kThunkProps[kLevels] = {
    L"SkinWindow.Thunk0", L"SkinWindow.Thunk1", L"SkinWindow.Thunk2", L"SkinWindow.Thunk3",
    L"SkinWindow.Thunk4", L"SkinWindow.Thunk5", L"SkinWindow.Thunk6", L"SkinWindow.Thunk7"};
const wchar_t* const kPreviousProps[kLevels] = {
    L"SkinWindow.Prev0", L"SkinWindow.Prev1", L"SkinWindow.Prev2", L"SkinWindow.Prev3",
    L"SkinWindow.Prev4", L"SkinWindow.Prev5", L"SkinWindow.Prev6", L"SkinWindow.Prev7"};

void RemoveLevel(HWND hwnd, int level) {
  RemovePropW(hwnd, kThunkProps[level]);
  RemovePropW(hwnd, kPreviousProps[level]);
}
}  // namespace

template <int Level>
LRESULT CALLBACK WndProcThunk::Entry(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return Dispatch(Level, hwnd, msg, wParam, lParam);
}

WNDPROC WndProcThunk::EntryFor(int level) {
  // Distinct procedures, one per level: a hook's previous procedure names the level below.
  static const WNDPROC entries[kLevels] = {Entry<0>, Entry<1>, Entry<2>, Entry<3>,
                                           Entry<4>, Entry<5>, Entry<6>, Entry<7>};
  return entries[level];
}

LRESULT WndProcThunk::Dispatch(int level, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* thunk = static_cast<WndProcThunk*>(GetPropW(hwnd, kThunkProps[level]));
  LRESULT result;
  if (thunk != nullptr) {
    // The target may delete the thunk: it is not touched after the call.
    result = thunk->target_(thunk->context_, msg, wParam, lParam);
  } else {
    auto previous = reinterpret_cast<WNDPROC>(GetPropW(hwnd, kPreviousProps[level]));
    result = previous != nullptr ? CallWindowProcW(previous, hwnd, msg, wParam, lParam)
                                 : DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  if (msg == WM_NCDESTROY) {
    // A thunk still serving the level outlives the window: it forgets the dead handle.
    auto* alive = static_cast<WndProcThunk*>(GetPropW(hwnd, kThunkProps[level]));
    if (alive != nullptr) {
      alive->hookedWindow_ = nullptr;
      alive->entry_ = nullptr;
      alive->previousProc_ = nullptr;
      alive->level_ = -1;
    }
    RemoveLevel(hwnd, level);
  }
  return result;
}

int WndProcThunk::Install(HWND hwnd, Target target, void* context) {
  if (hwnd == nullptr || target == nullptr || context == nullptr) return 0;
  if (hookedWindow_ != nullptr && Uninstall() == 0) Detach();
  int level = 0;
  while (level < kLevels && (GetPropW(hwnd, kThunkProps[level]) != nullptr ||
                             GetPropW(hwnd, kPreviousProps[level]) != nullptr)) {
    ++level;
  }
  if (level == kLevels) return 0;
  auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
  if (previous == nullptr) return 0;  // not a window of this process
  // The properties come first: the entry may be called as soon as it is in the slot.
  if (!SetPropW(hwnd, kPreviousProps[level], reinterpret_cast<HANDLE>(previous)) ||
      !SetPropW(hwnd, kThunkProps[level], static_cast<HANDLE>(this))) {
    RemoveLevel(hwnd, level);
    return 0;
  }
  hookedWindow_ = hwnd;
  entry_ = EntryFor(level);
  previousProc_ = previous;
  target_ = target;
  context_ = context;
  level_ = level;
  if (SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entry_)) == 0) {
    RemoveLevel(hwnd, level);
    hookedWindow_ = nullptr;
    entry_ = nullptr;
    previousProc_ = nullptr;
    level_ = -1;
    return 0;
  }
  return 1;
}

int WndProcThunk::Uninstall() {
  if (hookedWindow_ == nullptr || entry_ == nullptr || previousProc_ == nullptr) return 0;
  // Putting the old procedure back under another hook would cut that hook off.
  if (GetWindowLongPtrW(hookedWindow_, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(entry_)) {
    return 0;
  }
  if (SetWindowLongPtrW(hookedWindow_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_)) ==
      0) {
    return 0;
  }
  RemoveLevel(hookedWindow_, level_);
  hookedWindow_ = nullptr;
  entry_ = nullptr;
  previousProc_ = nullptr;
  level_ = -1;
  return 1;
}

void WndProcThunk::Detach() {
  if (hookedWindow_ == nullptr) return;
  // The entry stays in the chain and passes every message to the procedure below it.
  RemovePropW(hookedWindow_, kThunkProps[level_]);
  hookedWindow_ = nullptr;
  entry_ = nullptr;
  previousProc_ = nullptr;
  level_ = -1;
}

WndProcThunk::~WndProcThunk() {
  if (Uninstall() == 0) Detach();
}

}  // namespace dl
