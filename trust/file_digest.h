// Feeds a package file that is already on disk to a PackageVerifier: the part a resumed
// download kept, or a whole package.
#pragma once

#include <windows.h>

#include <cstdint>

#include "trust/package_verifier.h"

namespace dl {

// Feeds the first `bytes` bytes of `file` (opened for reading) to the running digest, reading
// from the file's start, and leaves the file position just after them, where a resumed download
// appends. False when the file is shorter, a read fails (last error says why) or the digest
// fails.
bool FeedFilePrefix(HANDLE file, uint64_t bytes, PackageVerifier* verifier);

// Restarts the digest and feeds it the whole file at `path`. False when the file cannot be
// opened or read (last error says why) or the digest fails.
bool FeedWholeFile(const wchar_t* path, PackageVerifier* verifier);

}  // namespace dl
