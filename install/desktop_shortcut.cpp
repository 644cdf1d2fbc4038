#include "install/desktop_shortcut.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "app/site_record.h"
#include "base/bounded_text.h"

namespace dl {

namespace {

constexpr UINT kBroadcastTimeoutMs = 500;
constexpr size_t kPathCap = MAX_PATH;

// One COM interface pointer, released when the owner goes.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (ptr_ != nullptr) ptr_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T* operator->() const { return ptr_; }
  T* Get() const { return ptr_; }
  void** Out() { return reinterpret_cast<void**>(&ptr_); }

 private:
  T* ptr_ = nullptr;
};

// COM for this thread for one scope; uninitialised only if the initialisation succeeded.
class ComScope {
 public:
  ComScope() : ok_(SUCCEEDED(CoInitialize(nullptr))) {}
  ~ComScope() {
    if (ok_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_;
};

bool SaveLink(const wchar_t* installFolder) {
  char folder[kPathCap];
  char target[kPathCap];
  if (WideCharToMultiByte(CP_ACP, 0, installFolder, -1, folder, sizeof folder, nullptr, nullptr) <=
          0 ||
      !FormatBounded(target, sizeof target, "%s\\lobby.exe", folder)) {
    return false;
  }
  // Declared after the scope: the interfaces are released before COM is uninitialised.
  ComScope com;
  if (!com.ok()) return false;
  ComPtr<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              link.Out()))) {
    return false;
  }
  link->SetPath(target);
  link->SetWorkingDirectory(folder);
  link->SetIconLocation(target, 0);
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.Out()))) return false;

  wchar_t desktop[kPathCap] = {};
  wchar_t linkPath[kPathCap];
  if (!SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE) ||
      !CopyBounded(linkPath, kPathCap, desktop) || !AppendBounded(linkPath, kPathCap, L"\\") ||
      !AppendBounded(linkPath, kPathCap, kSite.displayName) ||
      !AppendBounded(linkPath, kPathCap, L".lnk")) {
    return false;
  }
  return SUCCEEDED(file->Save(linkPath, FALSE));
}

}  // namespace

bool CreateDesktopShortcut(const wchar_t* installFolder, HWND timerWindow) {
  const bool saved = installFolder != nullptr && SaveLink(installFolder);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, 0, SMTO_NORMAL, kBroadcastTimeoutMs,
                      &ignored);
  SetTimer(timerWindow, TIMER_ICON_TIP, kIconTipDelayMs, nullptr);
  return saved;
}

}  // namespace dl
