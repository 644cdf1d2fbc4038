#include "install/entry_name.h"

#include <cstring>
#include <cwchar>

namespace dl {

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

size_t SkipSeparators(const wchar_t* text, size_t i, size_t end) {
  while (i < end && IsSeparator(text[i])) ++i;
  return i;
}

size_t SkipComponent(const wchar_t* text, size_t i, size_t end) {
  while (i < end && !IsSeparator(text[i])) ++i;
  return i;
}

bool IsDotDot(const wchar_t* text, size_t begin, size_t end) {
  return end - begin == 2 && text[begin] == L'.' && text[begin + 1] == L'.';
}

wchar_t UpperAscii(wchar_t c) {
  return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool EqualsNoCase(const wchar_t* text, size_t length, const char* upper) {
  if (std::strlen(upper) != length) return false;
  for (size_t i = 0; i < length; ++i) {
    if (UpperAscii(text[i]) != static_cast<wchar_t>(upper[i])) return false;
  }
  return true;
}

// The digits after COM and LPT that make a device: 1 to 9, and the superscripts ¹ ² ³ that
// the platform reads as the same ports.
bool IsPortDigit(wchar_t c) {
  return (c >= L'1' && c <= L'9') || c == 0x00B9 || c == 0x00B2 || c == 0x00B3;
}

// Device names stay devices with any extension and trailing spaces ("nul.txt", "CON ").
bool NamesDevice(const wchar_t* text, size_t begin, size_t end) {
  size_t stem = begin;
  while (stem < end && text[stem] != L'.') ++stem;
  while (stem > begin && text[stem - 1] == L' ') --stem;
  const wchar_t* name = text + begin;
  size_t length = stem - begin;
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : kDevices) {
    if (EqualsNoCase(name, length, device)) return true;
  }
  if (length == 4 && (EqualsNoCase(name, 3, "COM") || EqualsNoCase(name, 3, "LPT"))) {
    return IsPortDigit(name[3]);
  }
  return false;
}

NameProblem CheckComponent(const wchar_t* text, size_t begin, size_t end) {
  for (size_t i = begin; i < end; ++i) {
    const wchar_t c = text[i];
    if (c < 0x20 || c == 0x7F || (c < 0x80 && std::strchr("<>\"|?*", static_cast<char>(c)))) {
      return NameProblem::kBadCharacter;
    }
    if (c == L':') return NameProblem::kStream;
  }
  if (text[end - 1] == L'.' || text[end - 1] == L' ') return NameProblem::kTrailingDotOrSpace;
  if (NamesDevice(text, begin, end)) return NameProblem::kDevice;
  return NameProblem::kNone;
}

// Drops one prefix that could lead out of the base folder; false when none is left.
bool DropOnePrefix(const wchar_t* raw, size_t end, size_t* start) {
  size_t s = *start;
  if (s + 1 < end && IsSeparator(raw[s]) && IsSeparator(raw[s + 1])) {
    // "\\server\share\rest" and "\\?\C:\rest": server and share go with the separators, but
    // only when something follows the share; otherwise the separators alone are dropped.
    size_t server = SkipSeparators(raw, s, end);
    size_t serverEnd = SkipComponent(raw, server, end);
    size_t share = SkipSeparators(raw, serverEnd, end);
    size_t shareEnd = SkipComponent(raw, share, end);
    if (serverEnd > server && shareEnd > share && shareEnd < end) {
      *start = shareEnd;
    } else {
      *start = server;
    }
    return true;
  }
  if (s < end && IsSeparator(raw[s])) {
    *start = SkipSeparators(raw, s, end);
    return true;
  }
  if (s + 1 < end && raw[s + 1] == L':') {
    *start = s + 2;
    return true;
  }
  size_t afterLastDotDot = 0;
  for (size_t i = s; i < end;) {
    size_t componentEnd = SkipComponent(raw, i, end);
    if (IsDotDot(raw, i, componentEnd)) afterLastDotDot = componentEnd;
    i = SkipSeparators(raw, componentEnd, end);
  }
  if (afterLastDotDot != 0) {
    *start = afterLastDotDot;
    return true;
  }
  return false;
}

}  // namespace

NameProblem CleanEntryName(const wchar_t* raw, size_t length, wchar_t* out, size_t cap,
                           bool* isFolder) {
  if (cap > 0) out[0] = L'\0';
  const bool endsWithSeparator = length > 0 && IsSeparator(raw[length - 1]);
  *isFolder = endsWithSeparator;

  size_t start = 0;
  while (DropOnePrefix(raw, length, &start)) {
  }

  size_t used = 0;
  for (size_t i = SkipSeparators(raw, start, length); i < length;) {
    size_t end = SkipComponent(raw, i, length);
    bool dot = end - i == 1 && raw[i] == L'.';
    if (!dot) {
      NameProblem problem = CheckComponent(raw, i, end);
      if (problem != NameProblem::kNone) {
        if (cap > 0) out[0] = L'\0';
        return problem;
      }
      size_t need = (used > 0 ? 1 : 0) + (end - i);
      if (used + need + 1 > cap) {
        if (cap > 0) out[0] = L'\0';
        return NameProblem::kTooLong;
      }
      if (used > 0) out[used++] = L'\\';
      std::wmemcpy(out + used, raw + i, end - i);
      used += end - i;
      out[used] = L'\0';
    }
    i = SkipSeparators(raw, end, length);
  }
  if (used == 0 && !endsWithSeparator) return NameProblem::kEmpty;
  return NameProblem::kNone;
}

bool MakeExtractionBase(const wchar_t* destination, wchar_t* out, size_t cap) {
  size_t length = std::wcslen(destination);
  const bool endsWithSeparator = length > 0 && IsSeparator(destination[length - 1]);
  size_t need = length + (endsWithSeparator ? 0 : 1);
  if (need + 1 > cap) {
    if (cap > 0) out[0] = L'\0';
    return false;
  }
  std::wmemcpy(out, destination, length);
  if (!endsWithSeparator) out[length++] = L'\\';
  out[length] = L'\0';
  return true;
}

bool ComposeTargetPath(const wchar_t* base, const wchar_t* name, wchar_t* out, size_t cap) {
  size_t baseLength = std::wcslen(base);
  size_t nameLength = std::wcslen(name);
  if (baseLength + nameLength + 1 > cap) {
    if (cap > 0) out[0] = L'\0';
    return false;
  }
  std::wmemcpy(out, base, baseLength);
  std::wmemcpy(out + baseLength, name, nameLength + 1);
  return true;
}

namespace {

struct Component {
  size_t begin;
  size_t length;
};

// The components of a path with "." dropped and ".." resolved (never above the root), and
// how it starts: 0 relative, 1 rooted ("\x"), 2 UNC or device ("\\x").
struct ResolvedPath {
  int rootKind = 0;
  size_t count = 0;
  Component parts[kPathCap];
};

bool Resolve(const wchar_t* text, ResolvedPath* path) {
  size_t end = std::wcslen(text);
  size_t i = SkipSeparators(text, 0, end);
  path->rootKind = i >= 2 ? 2 : static_cast<int>(i);
  path->count = 0;
  while (i < end) {
    size_t componentEnd = SkipComponent(text, i, end);
    if (IsDotDot(text, i, componentEnd)) {
      if (path->count > 0) --path->count;
    } else if (!(componentEnd - i == 1 && text[i] == L'.')) {
      if (path->count == kPathCap) return false;
      path->parts[path->count++] = {i, componentEnd - i};
    }
    i = SkipSeparators(text, componentEnd, end);
  }
  return true;
}

bool SameComponent(const wchar_t* a, Component ca, const wchar_t* b, Component cb) {
  if (ca.length != cb.length) return false;
  for (size_t i = 0; i < ca.length; ++i) {
    if (UpperAscii(a[ca.begin + i]) != UpperAscii(b[cb.begin + i])) return false;
  }
  return true;
}

}  // namespace

bool PathStaysInside(const wchar_t* base, const wchar_t* path, bool allowSame) {
  ResolvedPath resolvedBase;
  ResolvedPath resolvedPath;
  if (!Resolve(base, &resolvedBase) || !Resolve(path, &resolvedPath)) return false;
  if (resolvedBase.rootKind != resolvedPath.rootKind) return false;
  if (resolvedPath.count < resolvedBase.count) return false;
  if (resolvedPath.count == resolvedBase.count && !allowSame) return false;
  for (size_t i = 0; i < resolvedBase.count; ++i) {
    if (!SameComponent(base, resolvedBase.parts[i], path, resolvedPath.parts[i])) return false;
  }
  return true;
}

size_t ComponentEnd(const wchar_t* text, size_t from) {
  size_t end = from + std::wcslen(text + from);
  return SkipComponent(text, from, end);
}

size_t FolderPartLength(const wchar_t* name) {
  size_t end = std::wcslen(name);
  size_t last = 0;
  for (size_t i = 0; i < end; ++i) {
    if (IsSeparator(name[i])) last = i;
  }
  return last;
}

const wchar_t* ForSystem(const wchar_t* path, wchar_t* out) {
  // Folders are limited to 248 characters (room for an 8.3 name), files to 260.
  constexpr size_t kClassicFolderLimit = 248;
  const size_t length = std::wcslen(path);
  if (length < kClassicFolderLimit) return path;
  const bool unc = length > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?';
  const bool drive = length > 2 && path[1] == L':' && IsSeparator(path[2]);
  if (!unc && !drive) return path;  // already long-form, or relative: left to the platform
  const wchar_t* prefix = unc ? L"\\\\?\\UNC" : L"\\\\?\\";
  const size_t prefixLength = std::wcslen(prefix);
  const size_t skip = unc ? 1 : 0;  // "\\server" becomes "\\?\UNC\server"
  if (prefixLength + length - skip + 1 > kSystemPathCap) return nullptr;
  std::wmemcpy(out, prefix, prefixLength);
  std::wmemcpy(out + prefixLength, path + skip, length - skip + 1);
  // The long form takes no forward slashes.
  for (wchar_t* c = out + prefixLength; *c != L'\0'; ++c) {
    if (*c == L'/') *c = L'\\';
  }
  return out;
}

bool DecodeUtf8(const char* raw, size_t length, wchar_t* out, size_t cap) {
  if (cap == 0) return false;
  size_t used = 0;
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(raw);
  for (size_t i = 0; i < length;) {
    const unsigned char lead = bytes[i];
    uint32_t code = 0;
    size_t more = 0;
    uint32_t least = 0;  // the smallest value the form may carry (longer forms are overlong)
    if (lead < 0x80) {
      code = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      code = lead & 0x1F, more = 1, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      code = lead & 0x0F, more = 2, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      code = lead & 0x07, more = 3, least = 0x10000;
    } else {
      out[0] = L'\0';
      return false;
    }
    if (more > length - i - 1) {
      out[0] = L'\0';
      return false;
    }
    for (size_t k = 1; k <= more; ++k) {
      const unsigned char next = bytes[i + k];
      if ((next & 0xC0) != 0x80) {
        out[0] = L'\0';
        return false;
      }
      code = (code << 6) | (next & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      out[0] = L'\0';
      return false;
    }
    const size_t units = code >= 0x10000 ? 2 : 1;
    if (used + units + 1 > cap) {
      out[0] = L'\0';
      return false;
    }
    if (units == 2) {
      code -= 0x10000;
      out[used++] = static_cast<wchar_t>(0xD800 + (code >> 10));
      out[used++] = static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
    } else {
      out[used++] = static_cast<wchar_t>(code);
    }
    i += 1 + more;
  }
  out[used] = L'\0';
  return true;
}

bool AnsiNameWellFormed(const char* raw, size_t length, LeadBytePredicate isLead) {
  if (isLead == nullptr) return true;
  for (size_t i = 0; i < length; ++i) {
    if (!isLead(static_cast<unsigned char>(raw[i]))) continue;
    if (i + 1 >= length) return false;
    const unsigned char trail = static_cast<unsigned char>(raw[++i]);
    if (trail < 0x40 || trail == 0x7F || trail == 0xFF) return false;
  }
  return true;
}

bool FindUnicodePath(const unsigned char* extra, size_t length, uint32_t rawNameCrc,
                     const char** name, size_t* nameLength) {
  constexpr uint16_t kUnicodePathTag = 0x7075;
  constexpr size_t kFieldHead = 4;  // tag and size
  constexpr size_t kPathHead = 5;   // version 1 and the raw name's CRC-32
  for (size_t at = 0; length - at >= kFieldHead;) {
    const uint16_t tag = static_cast<uint16_t>(extra[at] | extra[at + 1] << 8);
    const size_t size = static_cast<size_t>(extra[at + 2] | extra[at + 3] << 8);
    if (size > length - at - kFieldHead) return false;
    const unsigned char* data = extra + at + kFieldHead;
    if (tag == kUnicodePathTag && size > kPathHead && data[0] == 1) {
      const uint32_t crc = static_cast<uint32_t>(data[1]) | static_cast<uint32_t>(data[2]) << 8 |
                           static_cast<uint32_t>(data[3]) << 16 |
                           static_cast<uint32_t>(data[4]) << 24;
      if (crc != rawNameCrc) return false;
      *name = reinterpret_cast<const char*>(data + kPathHead);
      *nameLength = size - kPathHead;
      return true;
    }
    at += kFieldHead + size;
  }
  return false;
}

}  // namespace dl
