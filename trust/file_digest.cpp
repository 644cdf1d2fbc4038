#include "trust/file_digest.h"

#include <vector>

#include "base/win_handles.h"

namespace dl {

namespace {
// The download's own block size: one allocation per file, few calls into the library.
constexpr DWORD kBlock = 64 * 1024;
}  // namespace

bool FeedFilePrefix(HANDLE file, uint64_t bytes, PackageVerifier* verifier) {
  LARGE_INTEGER start = {};
  if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return false;
  std::vector<uint8_t> block(kBlock);
  while (bytes > 0) {
    const DWORD want = bytes < kBlock ? static_cast<DWORD>(bytes) : kBlock;
    DWORD got = 0;
    if (!ReadFile(file, block.data(), want, &got, nullptr)) return false;
    if (got == 0) {
      SetLastError(ERROR_HANDLE_EOF);
      return false;
    }
    if (!verifier->Feed(block.data(), got)) return false;
    bytes -= got;
  }
  return true;
}

bool FeedWholeFile(const wchar_t* path, PackageVerifier* verifier) {
  UniqueFile file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER size = {};
  return file && GetFileSizeEx(file.Get(), &size) && verifier->Restart() &&
         FeedFilePrefix(file.Get(), static_cast<uint64_t>(size.QuadPart), verifier);
}

}  // namespace dl
