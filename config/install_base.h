// The default folder under which the lobby is installed, and the path line shown for it.
#pragma once

#include <cstddef>

namespace dl {

constexpr unsigned kDriveNoRootDir = 1;  // the platform's answer for "no such drive"

// "C:\Program Files\" when there is no drive D:, otherwise (any kind of D:, a card
// reader without a card included) "D:\Program Files\".
const wchar_t* InstallBaseForDriveType(unsigned driveTypeOfD);

// Builds "安装路径：" + base + displayName + "\" into out. False when it does not fit.
bool FormatPathLabel(const wchar_t* base, const wchar_t* displayName, wchar_t* out, size_t cap);

}  // namespace dl
