// Entry names of a package as the extraction may use them: decoded to UTF-16 from what the
// archive says they are (UTF-8 when flagged or carried in a Unicode path field, the system's
// code page otherwise), cleaned of everything that could place a file outside the destination
// folder, and checked for what the file system would read as something other than a plain
// file name. Text here is UTF-16 code units in wchar_t (also where wchar_t is wider).
#pragma once

#include <cstddef>
#include <cstdint>

namespace dl {

// Composed target paths, terminator included. Above the platform's 260 the extraction writes
// through the long-path form.
constexpr size_t kPathCap = 1024;

// True when the byte starts a double-byte character of the system's code page.
using LeadBytePredicate = bool (*)(unsigned char);

enum class NameProblem {
  kNone,
  kEmpty,               // a file entry with nothing left after cleaning
  kStream,              // ":" after cleaning: an alternate data stream or a drive in mid-name
  kDevice,              // a component names a device (CON, NUL, COM1, LPT¹, ...)
  kBadCharacter,        // a control character or one of < > " | ? *, or bytes that decode to none
  kTrailingDotOrSpace,  // a component the file system would silently rename
  kTooLong,             // the cleaned name does not fit out
};

// Strict UTF-8 (no overlong forms, surrogates or values above U+10FFFF) into UTF-16 code units
// in out[0..cap), terminated. False (out "") when the bytes are not UTF-8 or do not fit.
bool DecodeUtf8(const char* raw, size_t length, wchar_t* out, size_t cap);

// An unflagged name in a double-byte code page: every lead byte has a trail byte that can be
// one (0x40 and up, not 0x7F or 0xFF). A separator or control byte after a lead byte would be
// swallowed into one character by the decoder and hide a path component: such names are
// refused, not guessed.
bool AnsiNameWellFormed(const char* raw, size_t length, LeadBytePredicate isLead);

// The UTF-8 name of an Info-ZIP Unicode Path extra field (0x7075) in the extra block, when
// the field's CRC-32 of the raw name equals rawNameCrc (a stale field is ignored, as the
// field's own rules say). *name points into extra.
bool FindUnicodePath(const unsigned char* extra, size_t length, uint32_t rawNameCrc,
                     const char** name, size_t* nameLength);

// Cleans the decoded entry name (length code units, need not be terminated) into out: drive
// prefixes, UNC and device prefixes ("\\server\share\"), leading separators and everything
// up to and including the last ".." component are dropped, repeatedly, until none is left;
// "." and empty components go too. The rest is joined with "\" and then checked component by
// component. *isFolder tells whether the name ended with a separator (a folder entry whatever
// its attributes say); a folder entry may clean to "" (the base folder itself).
NameProblem CleanEntryName(const wchar_t* name, size_t length, wchar_t* out, size_t cap,
                           bool* isFolder);

// The destination with "\" appended unless it already ends in "\" or "/". False when it
// does not fit (out set to "").
bool MakeExtractionBase(const wchar_t* destination, wchar_t* out, size_t cap);

// base + name into out; false (out set to "") when the result does not fit.
bool ComposeTargetPath(const wchar_t* base, const wchar_t* name, wchar_t* out, size_t cap);

// Checks, component by component after resolving "." and "..", that path lies inside base
// (or is base itself when allowSame). Letters compare without regard to ASCII case.
bool PathStaysInside(const wchar_t* base, const wchar_t* path, bool allowSame);

// Index of the first separator ("\" or "/") at or after from, or of the terminator.
size_t ComponentEnd(const wchar_t* text, size_t from);

// The path as the file system's calls should be given it: unchanged below the platform's
// classic limit, otherwise in the long-path form ("\\?\C:\..." or "\\?\UNC\server\...") that
// lifts it. Returns path itself or out (at least kPathCap + 8); null when it does not fit.
constexpr size_t kSystemPathCap = kPathCap + 8;
const wchar_t* ForSystem(const wchar_t* path, wchar_t* out);

// Length of the folder part of a cleaned name: up to its last separator (exclusive), 0 when
// it has none.
size_t FolderPartLength(const wchar_t* name);

}  // namespace dl
