// What a chosen install folder becomes: the free space it needs, the base folder the package
// is extracted into and the path line shown under the banner. Pure, so the forms can be
// checked without a folder browser.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dl {

// Free space, in MiB available to the user, below which a folder is refused.
constexpr uint32_t kMinFreeMegabytes = 550;

inline bool HasRoomForInstall(uint32_t freeMegabytes) { return freeMegabytes >= kMinFreeMegabytes; }

// path is the folder as the browser returns it (never with a trailing backslash, except a
// drive root such as E:\), in any language. A drive root is taken as it is, any other folder
// gets a backslash: base "E:\" or "E:\Games\",
// label "安装路径：E:\Tavoro\" or "安装路径：E:\Games\Tavoro\". False, with both outputs
// empty, when a text does not fit.
bool ChosenFolderTexts(const wchar_t* path, const wchar_t* displayName,
                       wchar_t* base, size_t baseCap, wchar_t* label, size_t labelCap);

}  // namespace dl
