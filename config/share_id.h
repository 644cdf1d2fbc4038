// The share id travels in the program's own file name (Setup_123456.exe -> 123456).
#pragma once

#include <string>

namespace dl {

// Takes the candidate from a full program path: last backslash-separated piece, then its
// last underscore-separated piece, then that piece's first dot-separated piece. Runs of
// separators count as one and never yield empty pieces. False when there is no candidate.
bool ShareIdFromPath(const char* path, std::string* shareId);

// 1 when every byte is a decimal digit (an empty text gives 1), else 0.
int IsAllDigits(const char* text);

}  // namespace dl
