#include "config/install_base.h"

#include "base/bounded_text.h"

namespace dl {

namespace {
const wchar_t kPathLabelPrefix[] = L"安装路径：";
}

const wchar_t* InstallBaseForDriveType(unsigned driveTypeOfD) {
  return driveTypeOfD == kDriveNoRootDir ? L"C:\\Program Files\\" : L"D:\\Program Files\\";
}

bool FormatPathLabel(const wchar_t* base, const wchar_t* displayName, wchar_t* out, size_t cap) {
  bool ok = CopyBounded(out, cap, kPathLabelPrefix) && AppendBounded(out, cap, base) &&
            AppendBounded(out, cap, displayName) && AppendBounded(out, cap, L"\\");
  if (!ok && cap > 0) out[0] = L'\0';
  return ok;
}

}  // namespace dl
