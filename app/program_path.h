// Paths next to the program file, whatever the current directory is.
#pragma once

#include <cstddef>

namespace dl {

// Cuts modulePath at its last backslash and appends "\" + name into out. Wide, so that no byte
// of a double-byte character is taken for the backslash. A path without a backslash gives name
// alone. False (out empty) when it does not fit.
bool SiblingPath(const wchar_t* modulePath, const wchar_t* name, wchar_t* out, size_t cap);

}  // namespace dl
