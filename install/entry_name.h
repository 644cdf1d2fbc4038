// Entry names of a package as the extraction may use them: cleaned of everything that could
// place a file outside the destination folder, and checked for what the file system would
// read as something other than a plain file name. Works on ANSI bytes; a lead-byte test of
// the code page keeps the second byte of a double-byte character (which may be 0x5C, the
// backslash) from being taken for a separator.
#pragma once

#include <cstddef>

namespace dl {

// Composed target paths, terminator included.
constexpr size_t kPathCap = 260;

// True when the byte starts a double-byte character. Null means a single-byte code page.
using LeadBytePredicate = bool (*)(unsigned char);

enum class NameProblem {
  kNone,
  kEmpty,               // a file entry with nothing left after cleaning
  kStream,              // ":" after cleaning: an alternate data stream or a drive in mid-name
  kDevice,              // a component names a device (CON, NUL, COM1, LPT1, ...)
  kBadCharacter,        // a control character or one of < > " | ? *
  kTrailingDotOrSpace,  // a component the file system would silently rename
  kTooLong,             // the cleaned name does not fit out
};

// Cleans the raw entry name (length bytes, need not be terminated) into out: drive prefixes,
// UNC and device prefixes ("\\server\share\"), leading separators and everything up to and
// including the last ".." component are dropped, repeatedly, until none is left; "." and
// empty components go too. The rest is joined with "\" and then checked component by
// component. *isFolder tells whether the raw name ended with a separator (a folder entry
// whatever its attributes say); a folder entry may clean to "" (the base folder itself).
NameProblem CleanEntryName(const char* raw, size_t length, LeadBytePredicate isLead, char* out,
                           size_t cap, bool* isFolder);

// The destination with "\" appended unless it already ends in "\" or "/". False when it
// does not fit (out set to "").
bool MakeExtractionBase(const char* destination, LeadBytePredicate isLead, char* out, size_t cap);

// base + name into out; false (out set to "") when the result does not fit.
bool ComposeTargetPath(const char* base, const char* name, char* out, size_t cap);

// Checks, component by component after resolving "." and "..", that path lies inside base
// (or is base itself when allowSame). Letters compare without regard to ASCII case.
bool PathStaysInside(const char* base, const char* path, bool allowSame, LeadBytePredicate isLead);

// Index of the first separator ("\" or "/") at or after from, or of the terminator.
size_t ComponentEnd(const char* text, size_t from, LeadBytePredicate isLead);

// Length of the folder part of a cleaned name: up to its last separator (exclusive), 0 when
// it has none.
size_t FolderPartLength(const char* name, LeadBytePredicate isLead);

}  // namespace dl
