// HttpClient::DownloadToFile: the resumable package download. A partial file is continued
// only when its last-write time equals the server's Last-Modified, so every file written
// here carries that time when the call ends, whatever happened in between.
#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "base/bounded_text.h"
#include "base/text_convert.h"
#include "base/win_handles.h"
#include "net/http_client.h"

namespace dl {

namespace {

constexpr size_t kPathCap = 4096;
constexpr DWORD kBlockBytes = 4096;

bool SameTime(const SYSTEMTIME& a, const SYSTEMTIME& b) {
  return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDayOfWeek == b.wDayOfWeek &&
         a.wDay == b.wDay && a.wHour == b.wHour && a.wMinute == b.wMinute &&
         a.wSecond == b.wSecond && a.wMilliseconds == b.wMilliseconds;
}

// Creates the folder that will hold fileName (relative to the current folder), with all
// missing parents. False only when the path does not fit; the creation itself may fail
// (the open that follows reports that).
bool MakeFileFolder(const char* fileName) {
  // Wide: the current folder may be named in any language, which its ANSI form would garble.
  wchar_t folder[kPathCap];
  wchar_t name[kPathCap];
  const DWORD got = GetCurrentDirectoryW(kPathCap, folder);
  if (got == 0 || got >= kPathCap || !ToWide(fileName, CodePage::kAnsi, name, kPathCap) ||
      !AppendBounded(folder, kPathCap, L"\\") || !AppendBounded(folder, kPathCap, name)) {
    return false;
  }
  wchar_t* cut = nullptr;
  for (wchar_t* p = folder; *p; ++p) {
    if (*p == L'/' || *p == L'\\') cut = p;
  }
  if (cut != nullptr) *cut = L'\0';
  // The shell walks the path by backslashes only.
  for (wchar_t* p = folder; *p; ++p) {
    if (*p == L'/') *p = L'\\';
  }
  SHCreateDirectoryExW(nullptr, folder, nullptr);
  return true;
}

bool FileTimeMatches(HANDLE file, const SYSTEMTIME& serverTime) {
  FILETIME written;
  SYSTEMTIME local;
  if (!GetFileTime(file, nullptr, nullptr, &written) || !FileTimeToSystemTime(&written, &local)) {
    return false;
  }
  local.wDayOfWeek = 0;
  local.wMilliseconds = 0;
  return SameTime(local, serverTime);
}

bool SeekTo(HANDLE file, uint64_t offset) {
  LARGE_INTEGER to;
  to.QuadPart = static_cast<LONGLONG>(offset);
  return SetFilePointerEx(file, to, nullptr, FILE_BEGIN) != FALSE;
}

}  // namespace

int HttpClient::DownloadToFile(const char* objectPath, const char* fileName, int resume) {
  SYSTEMTIME serverTime;
  uint64_t total = 0;
  if (SendGet(objectPath, nullptr) != 1 || QueryLastModified(&serverTime) != 1 ||
      QueryContentLength(&total) != 1) {
    return -1;
  }
  // A date the platform cannot turn into a file time could never be stamped, so the file
  // would never be recognised again: that header is as unreadable as a missing one.
  FILETIME stamp;
  if (!SystemTimeToFileTime(&serverTime, &stamp)) return -1;

  if (!MakeFileFolder(fileName)) return -3;
  SetFileAttributesA(fileName, FILE_ATTRIBUTE_NORMAL);
  UniqueFile file(
      CreateFileA(fileName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr));
  if (!file) return -3;
  const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  const HANDLE h = file.Get();

  uint64_t offset = 0;
  if (existed && FileTimeMatches(h, serverTime)) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h, &size)) return -3;
    const uint64_t have = static_cast<uint64_t>(size.QuadPart);
    if (have == total) {
      OnProgress(h, 0, elapsedMs, bytesReceived, total, have, tag);
      return 1;
    }
    if (resume == 1) {
      char range[48];
      FormatRangeHeader(have, range, sizeof range);
      ContentRange answered;
      if (SendGet(objectPath, range) == 1) {
        // Only a 206 that starts where the file ends continues it. A 200 (range ignored)
        // carries the whole object, and a 206 from elsewhere cannot be appended: appending
        // either would corrupt the package and later pass it as complete.
        if (LastStatus() == 206 && QueryContentRange(&answered) && answered.hasRange &&
            answered.first == have) {
          offset = have;
        } else if (LastStatus() == 200 ||
                   (QueryContentRange(&answered) && answered.hasRange && answered.first == 0)) {
          offset = 0;
        } else if (SendGet(objectPath, nullptr) != 1) {
          offset = 0;
          SetEndOfFile(h);
          SetFileTime(h, nullptr, nullptr, &stamp);
          return -1;
        }
      } else if (LastStatus() == 416 && QueryContentRange(&answered) && answered.totalKnown &&
                 answered.total == have) {
        // The server itself says the object is as long as the file: nothing is missing.
        OnProgress(h, 0, elapsedMs, bytesReceived, total, have, tag);
        return 1;
      } else {
        // A refused rest leaves no trustworthy partial file: start it over, so that a result
        // of 1 never hands a partial package on to extraction.
        if (SendGet(objectPath, nullptr) != 1) {
          SetEndOfFile(h);
          SetFileTime(h, nullptr, nullptr, &stamp);
          return -1;
        }
      }
    }
  }

  if (!SeekTo(h, offset) || !SetEndOfFile(h) || !SetFileTime(h, nullptr, nullptr, &stamp)) {
    return -3;
  }

  char buffer[kBlockBytes];
  int result = -2;
  DWORD mark = GetTickCount();
  while (stopRequested == 0) {
    // Never read past the announced end: a server sending more would push the file past
    // the size that marks it complete.
    const uint64_t left = total - offset;
    const DWORD want = left < kBlockBytes ? static_cast<DWORD>(left) : kBlockBytes;
    DWORD got = 0;
    if (want == 0 || !InternetReadFile(request_.Get(), buffer, want, &got) || got == 0) {
      result = -2;
      break;
    }
    elapsedMs += GetTickCount() - mark;
    bytesReceived += got;
    offset += got;
    DWORD written = 0;
    if (!WriteFile(h, buffer, got, &written, nullptr) || written != got) {
      result = -3;
      break;
    }
    // A killed process never reaches the closing stamp, and some file systems (wine's among
    // them) move the last-write time with every write: stamping each block keeps a partial
    // file resumable whenever the process ends.
    SetFileTime(h, nullptr, nullptr, &stamp);
    OnProgress(h, 1, elapsedMs, bytesReceived, total, offset, tag);
    if (offset == total) {
      result = 0;
      break;
    }
    mark = GetTickCount();
  }
  if (stopRequested == 1) result = -4;
  // Writes may move the last-write time on some file systems; the stamp must survive them.
  SetFileTime(h, nullptr, nullptr, &stamp);
  return result;
}

}  // namespace dl
