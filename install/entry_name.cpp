#include "install/entry_name.h"

#include <cstring>

namespace dl {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Bytes taken by the character at text[i] (two for a lead byte followed by its partner).
size_t CharBytes(const char* text, size_t i, size_t end, LeadBytePredicate isLead) {
  if (isLead != nullptr && i + 1 < end && isLead(static_cast<unsigned char>(text[i]))) return 2;
  return 1;
}

size_t SkipSeparators(const char* text, size_t i, size_t end) {
  while (i < end && IsSeparator(text[i])) ++i;
  return i;
}

size_t SkipComponent(const char* text, size_t i, size_t end, LeadBytePredicate isLead) {
  while (i < end && !IsSeparator(text[i])) i += CharBytes(text, i, end, isLead);
  return i;
}

bool IsDotDot(const char* text, size_t begin, size_t end) {
  return end - begin == 2 && text[begin] == '.' && text[begin + 1] == '.';
}

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualsNoCase(const char* text, size_t length, const char* upper) {
  if (std::strlen(upper) != length) return false;
  for (size_t i = 0; i < length; ++i) {
    if (UpperAscii(text[i]) != upper[i]) return false;
  }
  return true;
}

// Device names stay devices with any extension and trailing spaces ("nul.txt", "CON ").
bool NamesDevice(const char* text, size_t begin, size_t end) {
  size_t stem = begin;
  while (stem < end && text[stem] != '.') ++stem;
  while (stem > begin && text[stem - 1] == ' ') --stem;
  const char* name = text + begin;
  size_t length = stem - begin;
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : kDevices) {
    if (EqualsNoCase(name, length, device)) return true;
  }
  if (length == 4 && (EqualsNoCase(name, 3, "COM") || EqualsNoCase(name, 3, "LPT"))) {
    return name[3] >= '1' && name[3] <= '9';
  }
  return false;
}

NameProblem CheckComponent(const char* text, size_t begin, size_t end, LeadBytePredicate isLead) {
  bool lastIsSingle = false;
  for (size_t i = begin; i < end;) {
    size_t n = CharBytes(text, i, end, isLead);
    if (n == 1) {
      unsigned char c = static_cast<unsigned char>(text[i]);
      if (c < 0x20 || c == 0x7F || std::strchr("<>\"|?*", c) != nullptr) {
        return NameProblem::kBadCharacter;
      }
      if (c == ':') return NameProblem::kStream;
    }
    lastIsSingle = n == 1;
    i += n;
  }
  if (lastIsSingle && (text[end - 1] == '.' || text[end - 1] == ' ')) {
    return NameProblem::kTrailingDotOrSpace;
  }
  if (NamesDevice(text, begin, end)) return NameProblem::kDevice;
  return NameProblem::kNone;
}

// Drops one prefix that could lead out of the base folder; false when none is left.
bool DropOnePrefix(const char* raw, size_t end, LeadBytePredicate isLead, size_t* start) {
  size_t s = *start;
  if (s + 1 < end && IsSeparator(raw[s]) && IsSeparator(raw[s + 1])) {
    // "\\server\share\rest" and "\\?\C:\rest": server and share go with the separators, but
    // only when something follows the share; otherwise the separators alone are dropped.
    size_t server = SkipSeparators(raw, s, end);
    size_t serverEnd = SkipComponent(raw, server, end, isLead);
    size_t share = SkipSeparators(raw, serverEnd, end);
    size_t shareEnd = SkipComponent(raw, share, end, isLead);
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
  if (s + 1 < end && raw[s + 1] == ':' && CharBytes(raw, s, end, isLead) == 1) {
    *start = s + 2;
    return true;
  }
  size_t afterLastDotDot = 0;
  for (size_t i = s; i < end;) {
    size_t componentEnd = SkipComponent(raw, i, end, isLead);
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

NameProblem CleanEntryName(const char* raw, size_t length, LeadBytePredicate isLead, char* out,
                           size_t cap, bool* isFolder) {
  if (cap > 0) out[0] = '\0';
  bool endsWithSeparator = false;
  for (size_t i = 0; i < length;) {
    size_t n = CharBytes(raw, i, length, isLead);
    endsWithSeparator = n == 1 && IsSeparator(raw[i]);
    i += n;
  }
  *isFolder = endsWithSeparator;

  size_t start = 0;
  while (DropOnePrefix(raw, length, isLead, &start)) {
  }

  size_t used = 0;
  for (size_t i = SkipSeparators(raw, start, length); i < length;) {
    size_t end = SkipComponent(raw, i, length, isLead);
    bool dot = end - i == 1 && raw[i] == '.';
    if (!dot) {
      NameProblem problem = CheckComponent(raw, i, end, isLead);
      if (problem != NameProblem::kNone) {
        if (cap > 0) out[0] = '\0';
        return problem;
      }
      size_t need = (used > 0 ? 1 : 0) + (end - i);
      if (used + need + 1 > cap) {
        if (cap > 0) out[0] = '\0';
        return NameProblem::kTooLong;
      }
      if (used > 0) out[used++] = '\\';
      std::memcpy(out + used, raw + i, end - i);
      used += end - i;
      out[used] = '\0';
    }
    i = SkipSeparators(raw, end, length);
  }
  if (used == 0 && !endsWithSeparator) return NameProblem::kEmpty;
  return NameProblem::kNone;
}

bool MakeExtractionBase(const char* destination, LeadBytePredicate isLead, char* out, size_t cap) {
  size_t length = std::strlen(destination);
  bool endsWithSeparator = false;
  for (size_t i = 0; i < length;) {
    size_t n = CharBytes(destination, i, length, isLead);
    endsWithSeparator = n == 1 && IsSeparator(destination[i]);
    i += n;
  }
  size_t need = length + (endsWithSeparator ? 0 : 1);
  if (need + 1 > cap) {
    if (cap > 0) out[0] = '\0';
    return false;
  }
  std::memcpy(out, destination, length);
  if (!endsWithSeparator) out[length++] = '\\';
  out[length] = '\0';
  return true;
}

bool ComposeTargetPath(const char* base, const char* name, char* out, size_t cap) {
  size_t baseLength = std::strlen(base);
  size_t nameLength = std::strlen(name);
  if (baseLength + nameLength + 1 > cap) {
    if (cap > 0) out[0] = '\0';
    return false;
  }
  std::memcpy(out, base, baseLength);
  std::memcpy(out + baseLength, name, nameLength + 1);
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

bool Resolve(const char* text, LeadBytePredicate isLead, ResolvedPath* path) {
  size_t end = std::strlen(text);
  size_t i = SkipSeparators(text, 0, end);
  path->rootKind = i >= 2 ? 2 : static_cast<int>(i);
  path->count = 0;
  while (i < end) {
    size_t componentEnd = SkipComponent(text, i, end, isLead);
    if (IsDotDot(text, i, componentEnd)) {
      if (path->count > 0) --path->count;
    } else if (!(componentEnd - i == 1 && text[i] == '.')) {
      if (path->count == kPathCap) return false;
      path->parts[path->count++] = {i, componentEnd - i};
    }
    i = SkipSeparators(text, componentEnd, end);
  }
  return true;
}

bool SameComponent(const char* a, Component ca, const char* b, Component cb,
                   LeadBytePredicate isLead) {
  if (ca.length != cb.length) return false;
  for (size_t i = 0; i < ca.length;) {
    size_t n = CharBytes(a + ca.begin, i, ca.length, isLead);
    if (n == 1) {
      if (UpperAscii(a[ca.begin + i]) != UpperAscii(b[cb.begin + i])) return false;
    } else if (std::memcmp(a + ca.begin + i, b + cb.begin + i, n) != 0) {
      return false;
    }
    i += n;
  }
  return true;
}

}  // namespace

bool PathStaysInside(const char* base, const char* path, bool allowSame, LeadBytePredicate isLead) {
  ResolvedPath resolvedBase;
  ResolvedPath resolvedPath;
  if (!Resolve(base, isLead, &resolvedBase) || !Resolve(path, isLead, &resolvedPath)) {
    return false;
  }
  if (resolvedBase.rootKind != resolvedPath.rootKind) return false;
  if (resolvedPath.count < resolvedBase.count) return false;
  if (resolvedPath.count == resolvedBase.count && !allowSame) return false;
  for (size_t i = 0; i < resolvedBase.count; ++i) {
    if (!SameComponent(base, resolvedBase.parts[i], path, resolvedPath.parts[i], isLead)) {
      return false;
    }
  }
  return true;
}

size_t ComponentEnd(const char* text, size_t from, LeadBytePredicate isLead) {
  size_t end = from + std::strlen(text + from);
  return SkipComponent(text, from, end, isLead);
}

size_t FolderPartLength(const char* name, LeadBytePredicate isLead) {
  size_t end = std::strlen(name);
  size_t last = 0;
  for (size_t i = 0; i < end;) {
    size_t n = CharBytes(name, i, end, isLead);
    if (n == 1 && IsSeparator(name[i])) last = i;
    i += n;
  }
  return last;
}

}  // namespace dl
