// Wide texts in the system's ANSI code page, for the calls that take nothing else.
#pragma once

#include <windows.h>

#include <cstddef>

namespace dl {

// Converts text into out[0..cap); false (out empty) when it does not fit or cannot convert.
bool ToAnsi(const wchar_t* text, char* out, size_t cap);

// Bytes the text takes in the ANSI code page, terminator excluded (0 when it cannot convert).
size_t AnsiLength(const wchar_t* text);

}  // namespace dl
