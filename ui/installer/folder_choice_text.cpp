#include "ui/installer/folder_choice_text.h"

#include "config/install_base.h"
#include "base/bounded_text.h"

namespace dl {

namespace {
// "E:\", as the browser returns a drive's root.
bool IsDriveRoot(const wchar_t* path) {
  return path[0] != L'\0' && path[1] == L':' && path[2] == L'\\' && path[3] == L'\0';
}
}  // namespace

bool ChosenFolderTexts(const wchar_t* path, const wchar_t* displayName, wchar_t* base,
                       size_t baseCap, wchar_t* label, size_t labelCap) {
  bool ok = CopyBounded(base, baseCap, path);
  if (ok && !IsDriveRoot(path)) ok = AppendBounded(base, baseCap, L"\\");
  // The label names the lobby's own folder under the base, as the default one does.
  ok = ok && FormatPathLabel(base, displayName, label, labelCap);
  if (!ok) {
    if (baseCap > 0) base[0] = L'\0';
    if (labelCap > 0) label[0] = L'\0';
  }
  return ok;
}

}  // namespace dl
