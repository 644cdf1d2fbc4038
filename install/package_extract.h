// Unpacking the downloaded full package (a zip archive) into a destination folder, entry by
// entry, overwriting what is there. The result code is what the install worker decides on and
// what the installation report carries.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/unique_owner.h"
#include "install/extract_codes.h"
#include "install/entry_name.h"
#include "install/zip_file_io.h"

namespace dl {

// The unzip library's archive handle, closed by the library (its header stays out of this one).
struct ZipHandleTraits {
  using Handle = void*;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle zip) noexcept;
};
using UniqueZip = UniqueOwner<ZipHandleTraits>;

// Block size of the inflated data: one buffer of this size per open package.
constexpr uint32_t kExtractBlockBytes = 16384;

// One entry of the package, as the extraction works from it.
struct PackageEntry {
  int index = -1;               // position in the central directory, from 0
  wchar_t name[kPathCap] = {};  // cleaned: separators "\", nothing that leaves the base folder
  bool isFolder = false;        // folder attribute set, or the raw name ends with a separator
  bool encrypted = false;
  uint32_t attributes = 0;   // platform file attributes
  FILETIME accessTime = {};  // UTC; zero when the entry carries no usable time
  FILETIME creationTime = {};
  FILETIME modificationTime = {};
  int64_t compressedSize = 0;
  int64_t uncompressedSize = 0;
};

// Reads one package through the project's buffered file layer; one per extraction.
class PackageReader {
 public:
  PackageReader() = default;
  ~PackageReader();
  PackageReader(const PackageReader&) = delete;
  PackageReader& operator=(const PackageReader&) = delete;

  // kExtractOk or kExtractOpenFailed (also for a second call). The password is accepted for the
  // interface's sake, but the unzip layer as built here cannot decrypt: encrypted entries fail with
  // kExtractPassword.
  int Open(const wchar_t* path, const char* password);
  int EntryCount() const { return entryCount_; }

  // Reads the record of entry index (times from its DOS date and time; the local header's
  // Unix times are applied by OpenEntryData). Codes: kExtractOpenFailed for an index out of
  // range, kExtractBadHeader / kExtractReadFailed for a broken directory, kExtractBadHeader
  // for a name that may not be written, kExtractCreateFailed for one too long to compose.
  int ReadEntry(int index, PackageEntry* entry);

  // Opens the data of the entry last read and applies the local header's Unix times to it.
  int OpenEntryData(PackageEntry* entry);
  // Up to cap inflated bytes into buffer, *got of them (0 at the true end of the data).
  // kExtractDataFailed when the data ends early or inflating fails, kExtractReadFailed when
  // reading the package fails.
  int ReadEntryData(void* buffer, uint32_t cap, uint32_t* got);
  // Closes the entry's data: kExtractOk, or kExtractDataFailed when all of it was read and
  // the CRC does not match.
  int CloseEntryData();

  const ZipReadStats& stats() const { return stats_; }

 private:
  int ClassifyReadError() const;

  UniqueZip zip_;
  bool dataOpen_ = false;
  int entryCount_ = 0;
  int current_ = 0;  // entry the library is positioned on
  ZipReadStats stats_;
};

// What one extraction call learned, for the worker's log and report.
struct ExtractOutcome {
  int result = kExtractOk;
  int failedIndex = -1;               // entry that failed, -1 when none did (or before any)
  wchar_t failedName[kPathCap] = {};  // its cleaned name, "" when unknown
  uint32_t lastError = 0;             // error of the failing platform call, 0 when none was made
  uint32_t packageSize = 0;           // low 32 bits of the package size, 0 if it did not open
  // Whether the package itself was opened and read: a failure before that (the destination)
  // says nothing about its bytes.
  bool packageExamined = false;
  int entriesDone = 0;
  uint64_t bytesWritten = 0;
  uint64_t readCalls = 0;  // ReadFile calls on the package, both readers together
};

// Extracts every entry of packagePath into destination (created with its parents when
// missing). Paths are UTF-16 at any length; password may be null. On failure the thread's last
// error is that of the failing platform call (outcome->lastError), as the worker's diagnostics read
// it. New files are created a few dozen entries ahead on a second thread, which ends before the
// call returns; after a failure what it did beyond the failing entry is undone, so the disk
// holds what an entry-by-entry extraction would have left.
int ExtractPackage(const wchar_t* packagePath, const char* password, const wchar_t* destination,
                   ExtractOutcome* outcome = nullptr);

}  // namespace dl
