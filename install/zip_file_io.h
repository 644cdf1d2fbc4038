// The file layer under the unzip library: the package read through two read-ahead windows.
// The library reads headers a few bytes at a time and seeks before every block; served from
// memory, that leaves about one read call per 64 KiB of the package plus one per entry (its
// local header lies away from the central directory), where plain file reads would cost
// one call per header field.
#pragma once

#include <ioapi.h>

#include <cstdint>

namespace dl {

// Bytes of one read-ahead window. Requests at least this large go straight to the file.
constexpr uint32_t kZipWindowBytes = 64 * 1024;

// Counts for one opened package, updated as the library reads.
struct ZipReadStats {
  uint64_t readCalls = 0;   // ReadFile calls made
  uint64_t bytesRead = 0;   // bytes those calls returned
  uint64_t fileSize = 0;    // size of the package when it was opened
  bool readFailed = false;  // a ReadFile call failed (not merely reached the end)
  uint32_t lastError = 0;   // the error of the failing open or read
};

// Fills def with the buffered layer. The file name handed to the library's open call is a
// UTF-16 path (const wchar_t*). stats (kept alive by the caller while the package is open) receives the counts.
void FillZipFileFunctions(zlib_filefunc64_def* def, ZipReadStats* stats);

}  // namespace dl
