#include "install/desktop_shortcut.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "config/site_record.h"
#include "base/bounded_text.h"
#include "base/com_owner.h"

namespace dl {

namespace {

constexpr UINT kBroadcastTimeoutMs = 500;
constexpr size_t kLinkPathCap = 1024;

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

  void* object = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              &object)) ||
      object == nullptr) {
    return false;
  }
  ComOwner<IShellLinkW> link(static_cast<IShellLinkW*>(object));

  wchar_t target[kLinkPathCap];
  if (!CopyBounded(target, kLinkPathCap, installFolder) ||
      !AppendBounded(target, kLinkPathCap, L"\\lobby.exe")) {
    return false;
  }
  // The setters' results are not checked: a link whose fields the shell refused is still the
  // best record there is, and Save reports whether anything reached the desktop.
  link.Get()->SetPath(target);
  link.Get()->SetWorkingDirectory(installFolder);
  link.Get()->SetIconLocation(target, 0);

  ComOwner<IPersistFile> file;
  if (FAILED(QueryInto(link.Get(), IID_IPersistFile, &file))) return false;
  wchar_t linkPath[kLinkPathCap];
  if (!BuildLinkPath(linkPath, kLinkPathCap)) return false;
  return SUCCEEDED(file.Get()->Save(linkPath, FALSE));
}

}  // namespace

bool CreateDesktopShortcut(const wchar_t* installFolder) {
  const bool saved = installFolder != nullptr && SaveLink(installFolder);
  // Even without a link: the icon lookup that follows reports the missing one.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, 0, SMTO_NORMAL, kBroadcastTimeoutMs,
                      &ignored);
  return saved;
}

}  // namespace dl
