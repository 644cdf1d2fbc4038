#include "base/system_library.h"

#include <cwchar>

namespace dl {

UniqueModule LoadSystemLibrary(const wchar_t* fileName) {
  UniqueModule module(LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  if (module || GetLastError() != ERROR_INVALID_PARAMETER) return module;

  wchar_t path[MAX_PATH];
  const UINT folder = GetSystemDirectoryW(path, MAX_PATH);
  const size_t nameLength = wcslen(fileName);
  if (folder == 0 || folder + 1 + nameLength >= MAX_PATH) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return module;
  }
  path[folder] = L'\\';
  wmemcpy(path + folder + 1, fileName, nameLength + 1);
  // With a full path, this flag makes the library's own dependencies start at its folder.
  module.Reset(LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  return module;
}

SystemLibrary::SystemLibrary(const wchar_t* fileName) : module_(LoadSystemLibrary(fileName)) {
  if (!module_) loadError_ = GetLastError();
}

}  // namespace dl
