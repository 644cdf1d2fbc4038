// What the installer asks the machine before acting: room on a volume, and whether the user
// may start the lobby elevated.
#pragma once

#include <cstdint>

namespace dl {

// MiB available to the user on the volume of path, truncated; 0 when it cannot be read.
uint32_t FreeMegabytes(const wchar_t* path);

// 1 when the calling thread's token is a member of the local Administrators group; 0 when it
// is not or the question has no answer.
int IsUserAdmin();

}  // namespace dl
