// Paths next to the program file, whatever the current directory is.
#pragma once

#include <cstddef>

namespace dl {

// Cuts modulePath at its last backslash and appends "\" + name into out.
// A path without a backslash gives name alone. False (out empty) when it does not fit.
bool SiblingPath(const char* modulePath, const char* name, char* out, size_t cap);

}  // namespace dl
