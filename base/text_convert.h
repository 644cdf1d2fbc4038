// The one way text changes encoding: UTF-16 (what is shown and what paths are held in) to and
// from the system's ANSI code page (the platform's "A" calls, the zip layer, the registry and
// profile files) or UTF-8 (the report's query). A character the target cannot represent is a
// failure, never a silent '?', and so is a text that does not fit.
#pragma once

#include <cstddef>
#include <string>

namespace dl {

enum class CodePage : unsigned {
  kAnsi = 0,      // the system's ANSI code page
  kUtf8 = 65001,  // UTF-8
};

// Converts a terminated text into out[0..cap). False, with out "" (when cap > 0), when a
// character has no form in the target or the result does not fit.
bool ToNarrow(const wchar_t* text, CodePage page, char* out, size_t cap);
bool ToWide(const char* text, CodePage page, wchar_t* out, size_t cap);

// Unbounded forms; false (out emptied) when a character does not convert.
bool ToNarrow(const std::wstring& text, CodePage page, std::string* out);
bool ToWide(const std::string& text, CodePage page, std::wstring* out);

// Bytes the text takes in the code page, terminator excluded; 0 when it does not convert.
size_t NarrowLength(const wchar_t* text, CodePage page);

}  // namespace dl
