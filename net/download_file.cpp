// HttpClient::DownloadToFile: the resumable package download. A partial file is continued
// when the record written beside it before its first byte names the object the server
// describes, or, without a readable record, when its last-write time equals the server's
// Last-Modified; so every file written here carries that time when the call ends.
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <memory>
#include <new>

#include "base/bounded_text.h"
#include "base/text_convert.h"
#include "base/win_handles.h"
#include "net/http_client.h"
#include "net/part_record.h"
#include "net/resume_decision.h"

namespace dl {

namespace {

constexpr size_t kPathCap = 4096;
// One read of the body: large enough that the per-call cost of the platform's library (a
// round trip to the wine server under wine) vanishes against the bytes, small enough that the
// progress hook still fires many times a second on a slow line.
constexpr DWORD kBlockBytes = 64 * 1024;
// How often the file's stamp is set again while bytes arrive. The record beside the file is
// what proves a kept part; the stamp only has to stay close for a file whose record is lost.
constexpr DWORD kStampEveryMs = 1000;

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

// The kept file's last-write time as the Last-Modified text a server would have sent for it.
bool StampIdentity(const FILETIME& written, ObjectIdentity* out) {
  SYSTEMTIME t;
  char date[kValidatorCap];
  if (!FileTimeToSystemTime(&written, &t)) return false;
  HttpTime h;
  h.year = t.wYear;
  h.month = t.wMonth;
  h.day = t.wDay;
  h.hour = t.wHour;
  h.minute = t.wMinute;
  h.second = t.wSecond;
  return FormatHttpDate(h, date, sizeof date) && MakeIdentity(0, date, "", out);
}

bool ReadRecord(const char* name, ObjectIdentity* out) {
  UniqueFile file(CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  char text[kPartRecordCap];
  DWORD got = 0;
  return ReadFile(file.Get(), text, sizeof text, &got, nullptr) && got < sizeof text &&
         ParsePartRecord(text, got, out);
}

// Written through to the disk: the record must be there before any byte it vouches for.
bool WriteRecord(const char* name, const ObjectIdentity& id) {
  char text[kPartRecordCap];
  size_t size = 0;
  if (!FormatPartRecord(id, text, sizeof text, &size)) return false;
  SetFileAttributesA(name, FILE_ATTRIBUTE_NORMAL);
  UniqueFile file(
      CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file && WriteFile(file.Get(), text, static_cast<DWORD>(size), &written, nullptr) &&
         written == size && FlushFileBuffers(file.Get());
}

bool SeekTo(HANDLE file, uint64_t offset) {
  LARGE_INTEGER to;
  to.QuadPart = static_cast<LONGLONG>(offset);
  return SetFilePointerEx(file, to, nullptr, FILE_BEGIN) != FALSE;
}

}  // namespace

bool HttpClient::ReadServedObject(ServedObject* served) {
  char lastModified[kValidatorCap];
  char etag[kValidatorCap];
  if (QueryLastModified(&served->time) != 1 ||
      !QueryText(HTTP_QUERY_LAST_MODIFIED, lastModified, sizeof lastModified)) {
    return false;
  }
  // An ETag that cannot be kept is left out of every answer alike, so answers still compare.
  if (!QueryText(HTTP_QUERY_ETAG, etag, sizeof etag) ||
      !MakeIdentity(served->total, lastModified, etag, &served->id)) {
    etag[0] = '\0';
  }
  return MakeIdentity(served->total, lastModified, etag, &served->id);
}

bool HttpClient::AskWhole(const char* objectPath, ServedObject* served) {
  return SendGet(objectPath, nullptr) == 1 && QueryContentLength(&served->total) == 1 &&
         ReadServedObject(served);
}

int HttpClient::DownloadToFile(const char* objectPath, const char* fileName, int resume) {
  char recordName[kPathCap];
  if (!CopyBounded(recordName, sizeof recordName, fileName) ||
      !AppendBounded(recordName, sizeof recordName, kPartRecordSuffix)) {
    return -3;
  }
  // A kept file is asked for its rest straight away: the answer's headers say as much as the
  // whole object's would, and the platform's library reads the body of an answer that is
  // closed unread, which made every resume after a drop cost a second transfer. The range is
  // conditional on the object the kept bytes came from, so a changed object arrives whole.
  // The size is read by name: nothing is made before an answer came.
  WIN32_FILE_ATTRIBUTE_DATA local = {};
  const bool askRest = resume == 1 &&
                       GetFileAttributesExA(fileName, GetFileExInfoStandard, &local) &&
                       (local.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
                       (local.nFileSizeHigh != 0 || local.nFileSizeLow != 0);
  const uint64_t askedFrom = (uint64_t{local.nFileSizeHigh} << 32) | local.nFileSizeLow;
  ObjectIdentity recorded;
  const bool haveRecord = ReadRecord(recordName, &recorded);
  ServedObject served;
  bool restInHand = false;
  RestAnswer answer;
  if (askRest) {
    ObjectIdentity kept = recorded;
    if (!haveRecord && !StampIdentity(local.ftLastWriteTime, &kept)) kept = ObjectIdentity{};
    char headers[2 * kValidatorCap];
    if (!FormatResumeHeaders(askedFrom, kept, headers, sizeof headers)) return -1;
    answer.succeeded = SendGet(objectPath, headers) == 1;
    answer.status = LastStatus();
    // Only a refused range (416: the file is as long as the object, or longer) is worth the
    // unranged question; no answer, a busy server or a missing object would answer it alike.
    if (!answer.succeeded && answer.status != 416) return -1;
    if (answer.succeeded && answer.status == 206) {
      answer.rangeRead = QueryContentRange(&answer.range);
      served.total = answer.range.total;
      restInHand = answer.rangeRead && answer.range.totalKnown && ReadServedObject(&served);
    }
    if (!restInHand && !(answer.succeeded && answer.status == 200 &&
                         QueryContentLength(&served.total) == 1 && ReadServedObject(&served))) {
      // Refused (a 416 for a file as long as the object or longer) or unreadable.
      if (!AskWhole(objectPath, &served)) return -1;
      answer = RestAnswer{};
      answer.succeeded = true;
      answer.status = 200;
    }
  } else if (!AskWhole(objectPath, &served)) {
    return -1;
  }
  const uint64_t total = served.total;
  // A date the platform cannot turn into a file time could never be stamped, so the file
  // would never be recognised again: that header is as unreadable as a missing one.
  FILETIME stamp;
  if (!SystemTimeToFileTime(&served.time, &stamp)) return -1;

  if (!MakeFileFolder(fileName)) return -3;
  SetFileAttributesA(fileName, FILE_ATTRIBUTE_NORMAL);
  // Readers may follow the bytes as they arrive (the unpacking does); no other writer may.
  UniqueFile file(CreateFileA(fileName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, 0, nullptr));
  if (!file) return -3;
  const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  const HANDLE h = file.Get();

  KeptFile kept;
  kept.exists = existed;
  kept.stampMatches = existed && FileTimeMatches(h, served.time);
  if (existed && haveRecord) {
    kept.record =
        SameObject(recorded, served.id) ? PartRecordState::kSame : PartRecordState::kOther;
  }
  if (existed) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h, &size)) return -3;
    kept.size = static_cast<uint64_t>(size.QuadPart);
  }
  uint64_t offset = 0;
  bool wholeNeeded = restInHand;  // a rest in hand is no use for writing from byte 0
  switch (DecideKeptFile(kept, total, resume == 1)) {
    case KeptFileAction::kComplete:
      // A kill may have come between the last write and the closing stamp.
      if (!SetFileTime(h, nullptr, nullptr, &stamp)) return -3;
      if (haveRecord) DeleteFileA(recordName);
      OnWriteFrom(h, kept.size);
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
    ServedObject again;
    if (!AskWhole(objectPath, &again) || !SameTime(again.time, served.time) ||
        !SameObject(again.id, served.id)) {
      return -1;  // the file is untouched; the next attempt decides again
    }
    offset = 0;
  }

  OnWriteFrom(h, offset);
  if (!SeekTo(h, offset) || !SetEndOfFile(h) || !SetFileTime(h, nullptr, nullptr, &stamp)) {
    return -3;
  }
  // The record goes down before the first new byte: from then on a kill at any instant leaves
  // bytes that the next run can prove to be this object's.
  if ((offset == 0 || kept.record != PartRecordState::kSame) &&
      !WriteRecord(recordName, served.id)) {
    return -3;
  }
  const std::unique_ptr<char[]> block(new (std::nothrow) char[kBlockBytes]);
  if (!block) return -3;
  char* const buffer = block.get();
  int result = -2;
  DWORD mark = GetTickCount();
  DWORD stamped = mark;
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
    OnBlock(buffer, got);
    // A killed process never reaches the closing stamp, and some file systems (wine's among
    // them) move the last-write time with every write: a stamp now and then keeps it close.
    if (GetTickCount() - stamped >= kStampEveryMs) {
      SetFileTime(h, nullptr, nullptr, &stamp);
      stamped = GetTickCount();
    }
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
  // A complete file needs no record; one left behind would only be read again for nothing.
  if (result == 0) DeleteFileA(recordName);
  return result;
}

}  // namespace dl
