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
#include "net/resume_decision.h"

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

bool HttpClient::AskWhole(const char* objectPath, SYSTEMTIME* serverTime, uint64_t* total) {
  return SendGet(objectPath, nullptr) == 1 && QueryLastModified(serverTime) == 1 &&
         QueryContentLength(total) == 1;
}

int HttpClient::DownloadToFile(const char* objectPath, const char* fileName, int resume) {
  // A kept file is asked for its rest straight away: the answer's headers say as much as the
  // whole object's would, and the platform's library reads the body of an answer that is
  // closed unread, which made every resume after a drop cost a second transfer.
  // The size is read by name: nothing is made before an answer came.
  WIN32_FILE_ATTRIBUTE_DATA local = {};
  const bool askRest = resume == 1 &&
                       GetFileAttributesExA(fileName, GetFileExInfoStandard, &local) &&
                       (local.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
                       (local.nFileSizeHigh != 0 || local.nFileSizeLow != 0);
  const uint64_t askedFrom = (uint64_t{local.nFileSizeHigh} << 32) | local.nFileSizeLow;
  SYSTEMTIME serverTime;
  uint64_t total = 0;
  bool restInHand = false;
  RestAnswer answer;
  if (askRest) {
    char range[48];
    FormatRangeHeader(askedFrom, range, sizeof range);
    answer.succeeded = SendGet(objectPath, range) == 1;
    answer.status = LastStatus();
    // Only a refused range (416: the file is as long as the object, or longer) is worth the
    // unranged question; no answer, a busy server or a missing object would answer it alike.
    if (!answer.succeeded && answer.status != 416) return -1;
    if (answer.succeeded && answer.status == 206) {
      answer.rangeRead = QueryContentRange(&answer.range);
      restInHand =
          answer.rangeRead && answer.range.totalKnown && QueryLastModified(&serverTime) == 1;
      total = answer.range.total;
    }
    if (!restInHand && !(answer.succeeded && answer.status == 200 &&
                         QueryLastModified(&serverTime) == 1 && QueryContentLength(&total) == 1)) {
      // Refused (a 416 for a file as long as the object or longer) or unreadable.
      if (!AskWhole(objectPath, &serverTime, &total)) return -1;
      answer = RestAnswer{};
      answer.succeeded = true;
      answer.status = 200;
    }
  } else if (!AskWhole(objectPath, &serverTime, &total)) {
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

  KeptFile kept;
  kept.exists = existed;
  kept.stampMatches = existed && FileTimeMatches(h, serverTime);
  if (kept.stampMatches) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h, &size)) return -3;
    kept.size = static_cast<uint64_t>(size.QuadPart);
  }
  uint64_t offset = 0;
  bool wholeNeeded = restInHand;  // a rest in hand is no use for writing from byte 0
  switch (DecideKeptFile(kept, total, resume == 1)) {
    case KeptFileAction::kComplete:
      OnProgress(h, 0, elapsedMs, bytesReceived, total, kept.size, tag);
      return 1;
    case KeptFileAction::kStartOver:
      break;
    case KeptFileAction::kAskRest:
      // The rest in hand was asked for from the size the file had before it was opened.
      if (askRest && askedFrom == kept.size) {
        switch (DecideRestAnswer(answer, kept.size, total)) {
          case RestAction::kAppend:
            offset = kept.size;
            wholeNeeded = false;
            break;
          case RestAction::kWriteWhole:
            wholeNeeded = false;
            break;
          case RestAction::kAskAgain:
            wholeNeeded = true;
            break;
        }
      } else {
        wholeNeeded = true;
      }
      break;
  }
  // No trustworthy rest: the object again from its start, so that the kept bytes are never
  // completed with bytes of something else.
  if (wholeNeeded) {
    SYSTEMTIME again;
    uint64_t againTotal = 0;
    if (!AskWhole(objectPath, &again, &againTotal) || !SameTime(again, serverTime) ||
        againTotal != total) {
      return -1;  // the file is untouched; the next attempt decides again
    }
    offset = 0;
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
    const uint64_t left = BytesLeft(offset, total);
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
