// Percent-encoding of the diagnostic text that travels in the query of an installation
// report. Pure: the caller hands over the UTF-8 bytes; converting the platform's text to
// them is the Win32 layer's job (net/report.h).
#pragma once

#include <cstddef>

namespace dl {

// Room for the encoding of the longest UTF-8 text the report carries (1023 bytes, each
// possibly tripled) plus the terminator.
constexpr size_t kEncodedTextCap = 3 * 1023 + 1;

// Encodes bytes[0..length) into out[0..cap) and terminates it. ASCII letters, digits and
// "-", "_", ".", "~" stay as they are, a space becomes "+", every other byte becomes "%"
// and two upper-case hexadecimal digits. Returns false, with out set to "" (when cap > 0),
// if the encoding and its terminator do not fit.
bool UrlEncodeUtf8(const unsigned char* bytes, size_t length, char* out, size_t cap);

}  // namespace dl
