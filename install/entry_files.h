// What both ways of unpacking a package share once an entry's headers are read: its name made
// safe to write, its folders, its file and its times. The whole-file extraction reads entries
// through the unzip library, the streaming one from the bytes as they arrive; both must leave
// the same files behind.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "install/entry_name.h"
#include "install/extract_codes.h"

namespace dl {

// Decodes the raw name (UTF-8 when flags say so or a current Unicode path field in extra
// carries it, else the system's code page) and cleans it into name (kPathCap). *isFolder: the
// name ended with a separator or folderAttribute (the entry's attributes name a folder) is set.
// kExtractOk, kExtractBadHeader (bytes that are no name, or a name
// that may not be written; name then holds a printable copy of the raw bytes) or
// kExtractCreateFailed (too long).
int CleanedEntryName(const char* raw, size_t length, unsigned flags, const unsigned char* extra,
                     size_t extraLength, bool folderAttribute, wchar_t* name, bool* isFolder);

// The DOS date and time as this machine's local time on that date, in UTC. Zero when they
// name no real moment.
FILETIME DosTimeToUtc(uint32_t dosDateTime);

// The entry's three times: all the DOS time, then replaced by those a Unix time block of the
// local extra field carries.
struct EntryTimes {
  FILETIME access = {};  // zero: not set
  FILETIME creation = {};
  FILETIME modification = {};
};
EntryTimes TimesOf(uint32_t dosDateTime, const unsigned char* localExtra, size_t length);
// times with those replaced that a Unix time block of the extra field carries.
EntryTimes WithUnixTimes(EntryTimes times, const unsigned char* extra, size_t length);
// Sets those of times that are not zero on the open file.
void ApplyTimes(HANDLE file, const EntryTimes& times);

// The attributes an entry's new file is created with (read-only, hidden, system, archive of
// the entry's platform attributes; normal when none).
DWORD CreationAttributes(uint32_t entryAttributes);

// The target path of an entry under base (which ends with a separator), or the code that
// refuses it: kExtractCreateFailed when it does not fit, kExtractBadHeader when it would leave
// base.
int TargetPath(const wchar_t* base, const wchar_t* name, bool isFolder, wchar_t* path);

// CreateFileW for writing on the path in the form the file system takes at any length.
HANDLE CreateEntryFile(const wchar_t* path, DWORD disposition, DWORD attributes);

// The attributes of the file at path (any length); INVALID_FILE_ATTRIBUTES when none is there.
DWORD EntryPathAttributes(const wchar_t* path);

// Folder levels one call made, by where they end in the path (for undoing them).
struct NewLevels {
  int count = 0;
  uint16_t ends[16];
};

// Makes a folder level by level from the base folder itself down, ignoring failures (they
// surface as kExtractCreateFailed for the files inside). Levels the previous call made are not
// asked for again: entries of one folder usually follow each other.
class FolderMaker {
 public:
  void Make(const wchar_t* folder, size_t baseLength, NewLevels* created);
  // Makes the folder that holds the entry at path (or the folder entry itself).
  void MakeFor(const wchar_t* path, const wchar_t* name, bool isFolder, size_t baseLength);
  // Forgets what it made: the folders may have gone since.
  void Forget() { last_[0] = L'\0'; }

 private:
  bool Known(const wchar_t* folder, size_t end) const;

  wchar_t last_[kPathCap] = {};
};

}  // namespace dl
