// The result codes of unpacking a package (decimal as they appear in reports), the same for
// every way of unpacking it: the install worker decides on them and the report carries them.
#pragma once

namespace dl {

// Result codes (decimal as they appear in reports). Extraction stops at the first entry that
// fails; its code is the result.
constexpr int kExtractOk = 0;
constexpr int kExtractDestinationNotCreated = -2;  // missing, and creating it failed
constexpr int kExtractDestinationNotFolder = -3;   // exists but is not a folder
constexpr int kExtractCreateFailed = 0x200;        // 512: an entry's file or path (in use,
                                                   // read-only, folder missing, too long)
constexpr int kExtractWriteFailed = 0x400;         // 1024: writing an entry's file failed
constexpr int kExtractBadHeader = 0x700;           // 1792: invalid header, unsupported method,
                                                   // or a name that may not be written
constexpr int kExtractReadFailed = 0x800;          // 2048: reading the package file failed
constexpr int kExtractPassword = 0x1000;           // 4096: an entry is encrypted
constexpr int kExtractOpenFailed = 0x10000;        // 65536: not a zip archive (or missing),
                                                   // base folder too long, index out of range
constexpr int kExtractDataFailed = 0x5000000;      // 83886080: inflating failed, data ended
                                                   // early, or the CRC does not match

}  // namespace dl
