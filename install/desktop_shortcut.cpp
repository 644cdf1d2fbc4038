#include "install/desktop_shortcut.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <utility>

#include "app/site_record.h"
#include "base/bounded_text.h"

namespace dl {

namespace {

constexpr UINT kBroadcastTimeoutMs = 500;
constexpr size_t kAnsiPathCap = 1024;
constexpr size_t kLinkPathCap = 1024;

// Owns one reference to a COM interface.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() { Reset(); }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ComRef(ComRef&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  ComRef& operator=(ComRef&& other) noexcept {
    if (this != &other) {
      Reset();
      ptr_ = std::exchange(other.ptr_, nullptr);
    }
    return *this;
  }

  T* operator->() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }
  // For the creating call; drops what is held first.
  void** Receive() {
    Reset();
    return reinterpret_cast<void**>(&ptr_);
  }
  void Reset() {
    if (ptr_ != nullptr) std::exchange(ptr_, nullptr)->Release();
  }

 private:
  T* ptr_ = nullptr;
};

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

bool BuildLinkPath(wchar_t* linkPath, size_t cap) {
  wchar_t desktop[MAX_PATH] = {};
  return SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE) &&
         CopyBounded(linkPath, cap, desktop) && AppendBounded(linkPath, cap, L"\\") &&
         AppendBounded(linkPath, cap, kSite.displayName) && AppendBounded(linkPath, cap, L".lnk");
}

bool SaveLink(const wchar_t* installFolder) {
  // The apartment is declared first so that both interfaces are released before it ends.
  ComApartment com;
  if (!com.initialised()) return false;

  ComRef<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              link.Receive()))) {
    return false;
  }

  char folder[kAnsiPathCap];
  char target[kAnsiPathCap];
  if (WideCharToMultiByte(CP_ACP, 0, installFolder, -1, folder, sizeof folder, nullptr, nullptr) <=
          0 ||
      !FormatBounded(target, sizeof target, "%s\\lobby.exe", folder)) {
    return false;
  }
  // The setters' results are not checked: a link whose fields the shell refused is still the
  // best record there is, and Save reports whether anything reached the desktop.
  link->SetPath(target);
  link->SetWorkingDirectory(folder);
  link->SetIconLocation(target, 0);

  ComRef<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.Receive()))) return false;
  wchar_t linkPath[kLinkPathCap];
  if (!BuildLinkPath(linkPath, kLinkPathCap)) return false;
  return SUCCEEDED(file->Save(linkPath, FALSE));
}

}  // namespace

bool CreateDesktopShortcut(const wchar_t* installFolder, HWND timerWindow) {
  const bool saved = installFolder != nullptr && SaveLink(installFolder);
  // Both run even without a link: the icon lookup that the timer starts reports the missing one.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, 0, SMTO_NORMAL, kBroadcastTimeoutMs,
                      &ignored);
  // Without a window the caller starts the timer through its own channel; a timer without a
  // window would belong to this thread, which has no message loop to receive it.
  if (timerWindow != nullptr) SetTimer(timerWindow, TIMER_ICON_TIP, kIconTipDelayMs, nullptr);
  return saved;
}

}  // namespace dl
