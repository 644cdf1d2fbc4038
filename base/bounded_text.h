// Bounded text building for the fixed buffers the program uses (paths, log lines,
// request paths). Every builder reports truncation instead of overflowing, so the
// caller decides what an overlong text means.
#pragma once

#include <cstdarg>
#include <cstddef>

namespace dl {

// Formats into buf[0..cap). Returns true when the whole text fit (terminator included).
// On false the buffer holds a terminated prefix (or is empty when cap is 0).
bool FormatBounded(char* buf, size_t cap, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;
bool FormatBoundedV(char* buf, size_t cap, const char* format, va_list args);

// Appends src to the terminated text in buf[0..cap). Returns false (buf unchanged)
// when the result would not fit.
bool AppendBounded(char* buf, size_t cap, const char* src);
bool AppendBounded(wchar_t* buf, size_t cap, const wchar_t* src);

// Appends ASCII text to the wide text in buf[0..cap), byte by byte (numbers, labels, hosts:
// no code page involved). False (buf unchanged) when it would not fit.
bool AppendAscii(wchar_t* buf, size_t cap, const char* ascii);

// Copies src into buf[0..cap). Returns false (buf set to "") when it would not fit.
bool CopyBounded(char* buf, size_t cap, const char* src);
bool CopyBounded(wchar_t* buf, size_t cap, const wchar_t* src);

}  // namespace dl
