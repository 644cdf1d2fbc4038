#include "install/entry_files.h"

#include <zlib.h>

#include <cwchar>

#include "install/zip_times.h"

namespace dl {

namespace {

bool IsAnsiLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }

FILETIME TicksToFileTime(uint64_t ticks) {
  FILETIME time;
  time.dwLowDateTime = static_cast<DWORD>(ticks);
  time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return time;
}

bool IsZero(const FILETIME& time) { return time.dwLowDateTime == 0 && time.dwHighDateTime == 0; }

// A printable copy of a rejected raw name, byte by byte, for the outcome's log line.
void CopyPrintable(const char* raw, size_t length, wchar_t* out, size_t cap) {
  size_t n = length < cap - 1 ? length : cap - 1;
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(raw[i]);
    out[i] = (c < 0x20 || c == 0x7F) ? L'?' : static_cast<wchar_t>(c);
  }
  out[n] = L'\0';
}

// General-purpose flag bit 11: the name and comment are UTF-8.
constexpr unsigned kUtf8NameFlag = 0x800;

// The entry's name as UTF-16: UTF-8 when the entry says so (its flag, or an Info-ZIP Unicode
// path field that still matches the raw name), otherwise the system's code page, as the tools
// of that code page write it. False when the bytes are not what they claim to be.
bool DecodeEntryName(const char* raw, size_t length, unsigned flags, const unsigned char* extra,
                     size_t extraLength, wchar_t* out, size_t cap) {
  if ((flags & kUtf8NameFlag) != 0) return DecodeUtf8(raw, length, out, cap);
  const uint32_t crc = static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(raw), static_cast<uInt>(length)));
  const char* unicode = nullptr;
  size_t unicodeLength = 0;
  if (FindUnicodePath(extra, extraLength, crc, &unicode, &unicodeLength)) {
    return DecodeUtf8(unicode, unicodeLength, out, cap);
  }
  if (!AnsiNameWellFormed(raw, length, IsAnsiLeadByte)) return false;
  if (length == 0) {
    out[0] = L'\0';
    return true;
  }
  const int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, raw, static_cast<int>(length),
                                    out, static_cast<int>(cap - 1));
  if (n <= 0) return false;
  out[n] = L'\0';
  return true;
}

}  // namespace

int CleanedEntryName(const char* raw, size_t length, unsigned flags, const unsigned char* extra,
                     size_t extraLength, bool folderAttribute, wchar_t* name, bool* isFolder) {
  *isFolder = false;
  NameProblem problem = NameProblem::kTooLong;
  wchar_t decoded[kPathCap];
  if (length < kPathCap) {
    problem = DecodeEntryName(raw, length, flags, extra, extraLength, decoded, kPathCap)
                  ? CleanEntryName(decoded, std::wcslen(decoded), name, kPathCap, isFolder)
                  : NameProblem::kBadCharacter;
  }
  *isFolder = *isFolder || folderAttribute;
  if (problem == NameProblem::kEmpty && *isFolder) problem = NameProblem::kNone;
  if (problem == NameProblem::kNone) return kExtractOk;
  CopyPrintable(raw, length, name, kPathCap);
  return problem == NameProblem::kTooLong ? kExtractCreateFailed : kExtractBadHeader;
}

FILETIME DosTimeToUtc(uint32_t dosDateTime) {
  FILETIME none = {};
  CivilTime civil;
  if (!DosDateTimeToCivil(dosDateTime, &civil)) return none;
  SYSTEMTIME local = {};
  local.wYear = static_cast<WORD>(civil.year);
  local.wMonth = static_cast<WORD>(civil.month);
  local.wDay = static_cast<WORD>(civil.day);
  local.wHour = static_cast<WORD>(civil.hour);
  local.wMinute = static_cast<WORD>(civil.minute);
  local.wSecond = static_cast<WORD>(civil.second);
  SYSTEMTIME utc;
  FILETIME time;
  if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) ||
      !SystemTimeToFileTime(&utc, &time)) {
    return none;
  }
  return time;
}

EntryTimes TimesOf(uint32_t dosDateTime, const unsigned char* localExtra, size_t length) {
  EntryTimes times;
  times.access = times.creation = times.modification = DosTimeToUtc(dosDateTime);
  return WithUnixTimes(times, localExtra, length);
}

EntryTimes WithUnixTimes(EntryTimes times, const unsigned char* extra, size_t length) {
  UnixTimes unix;
  if (length == 0 || !FindUnixTimes(extra, length, &unix)) return times;
  if (unix.present & kUnixTimeModification) {
    times.modification = TicksToFileTime(UnixSecondsToFileTimeTicks(unix.modification));
  }
  if (unix.present & kUnixTimeAccess) {
    times.access = TicksToFileTime(UnixSecondsToFileTimeTicks(unix.access));
  }
  if (unix.present & kUnixTimeCreation) {
    times.creation = TicksToFileTime(UnixSecondsToFileTimeTicks(unix.creation));
  }
  return times;
}

void ApplyTimes(HANDLE file, const EntryTimes& times) {
  SetFileTime(file, IsZero(times.creation) ? nullptr : &times.creation,
              IsZero(times.access) ? nullptr : &times.access,
              IsZero(times.modification) ? nullptr : &times.modification);
}

DWORD CreationAttributes(uint32_t entryAttributes) {
  const DWORD kept = entryAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                        FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
  return kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL;
}

int TargetPath(const wchar_t* base, const wchar_t* name, bool isFolder, wchar_t* path) {
  if (!ComposeTargetPath(base, name, path, kPathCap)) return kExtractCreateFailed;
  if (!PathStaysInside(base, path, isFolder)) return kExtractBadHeader;
  return kExtractOk;
}

HANDLE CreateEntryFile(const wchar_t* path, DWORD disposition, DWORD attributes) {
  wchar_t system[kSystemPathCap];
  const wchar_t* name = ForSystem(path, system);
  if (name == nullptr) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return INVALID_HANDLE_VALUE;
  }
  return CreateFileW(name, GENERIC_WRITE, 0, nullptr, disposition, attributes, nullptr);
}

DWORD EntryPathAttributes(const wchar_t* path) {
  wchar_t system[kSystemPathCap];
  const wchar_t* name = ForSystem(path, system);
  return name != nullptr ? GetFileAttributesW(name) : INVALID_FILE_ATTRIBUTES;
}

void FolderMaker::Make(const wchar_t* folder, size_t baseLength, NewLevels* created) {
  size_t length = std::wcslen(folder);
  bool allMade = true;
  wchar_t level[kPathCap];
  wchar_t system[kSystemPathCap];
  size_t end = baseLength - 1;  // the base folder, without its separator
  for (;;) {
    if (!Known(folder, end)) {
      std::wmemcpy(level, folder, end);
      level[end] = L'\0';
      const wchar_t* name = ForSystem(level, system);
      if (name != nullptr && CreateDirectoryW(name, nullptr)) {
        if (created != nullptr && created->count < 16) {
          created->ends[created->count++] = static_cast<uint16_t>(end);
        }
      } else if (GetLastError() != ERROR_ALREADY_EXISTS && end >= baseLength) {
        allMade = false;
      }
    }
    if (end + 1 >= length) break;
    end = ComponentEnd(folder, end + 1);
  }
  if (allMade) {
    std::wmemcpy(last_, folder, length + 1);
  } else {
    last_[0] = L'\0';
  }
}

void FolderMaker::MakeFor(const wchar_t* path, const wchar_t* name, bool isFolder,
                          size_t baseLength) {
  wchar_t folder[kPathCap];
  const size_t folderLength = isFolder ? std::wcslen(path) : baseLength + FolderPartLength(name);
  std::wmemcpy(folder, path, folderLength);
  folder[folderLength] = L'\0';
  Make(folder, baseLength, nullptr);
}

bool FolderMaker::Known(const wchar_t* folder, size_t end) const {
  size_t known = std::wcslen(last_);
  if (end > known || std::wmemcmp(folder, last_, end) != 0) return false;
  return last_[end] == L'\0' || last_[end] == L'\\';
}

}  // namespace dl
