// The folder choice behind the 修改 link: the shell's folder browser, the free-space test and
// the new install base and path line.
#include <objbase.h>
#include <shlobj.h>

#include "config/site_record.h"
#include "base/bounded_text.h"
#include "ui/installer/download_window.h"
#include "ui/installer/folder_choice_text.h"
#include "ui/installer/machine_checks.h"

namespace dl {

namespace {

constexpr wchar_t kBrowseTitle[] = L"从下面选择文件夹:";
constexpr wchar_t kNoRoomText[] = L"硬盘空间不足，请检查后再重试。";

#ifdef DL_TEST_FOLDER_SEAM
// Only in the end-to-end tests' build of the program, which cannot drive the shell's browser:
// when this variable is set, its value is taken as the folder the user picked, and an empty
// value as a cancel. The released program has no such input.
constexpr wchar_t kChooseFolderSeam[] = L"DL_TEST_CHOOSE_FOLDER";
#endif

// The folder picked into path[0..MAX_PATH); false when the user cancelled.
bool BrowseForFolder(wchar_t* path) {
#ifdef DL_TEST_FOLDER_SEAM
  SetLastError(ERROR_SUCCESS);
  const DWORD seam = GetEnvironmentVariableW(kChooseFolderSeam, path, MAX_PATH);
  if (seam > 0 && seam < MAX_PATH) return true;
  if (seam == 0 && GetLastError() != ERROR_ENVVAR_NOT_FOUND) return false;
#endif

  // The browser is a COM client; COM stays initialised on this thread afterwards.
  CoInitialize(nullptr);
  BROWSEINFOW info = {};
  path[0] = L'\0';
  info.pszDisplayName = path;
  info.lpszTitle = kBrowseTitle;
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
  if (item == nullptr) return false;
  if (!SHGetPathFromIDListW(item, path)) path[0] = L'\0';
  CoTaskMemFree(item);
  return true;
}

}  // namespace

uint32_t FreeMegabytes(const wchar_t* path) {
  ULARGE_INTEGER available = {};
  ULARGE_INTEGER total = {};
  ULARGE_INTEGER free = {};
  if (!GetDiskFreeSpaceExW(path, &available, &total, &free)) return 0;
  return static_cast<uint32_t>(available.QuadPart / (1024 * 1024));
}

void DownloadWindow::ChooseFolder() {
  wchar_t path[MAX_PATH] = {};
  if (!(parts_.pickFolder != nullptr ? parts_.pickFolder(path) : BrowseForFolder(path))) return;
  if (!HasRoomForInstall(FreeMegabytes(path))) {
    // Wide, so that it reads right whatever the system's ANSI code page.
    MessageBoxW(nullptr, kNoRoomText, nullptr, MB_OK);
    return;
  }
  if (path[0] == L'\0') return;
  wchar_t base[kInstallBaseCap];
  wchar_t label[kPathLabelCap];
  if (!ChosenFolderTexts(path, kSite.displayName, base, kInstallBaseCap, label, kPathLabelCap)) {
    return;
  }
  installBase_ = base;
  ui_.pathLabel->SetText(label);
}

}  // namespace dl
