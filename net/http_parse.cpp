#include "net/http_parse.h"

#include <cstdio>
#include <cstring>

#include "base/bounded_text.h"

namespace dl {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(const char* text, const char* prefix) {
  for (; *prefix; ++text, ++prefix) {
    if (Lower(*text) != Lower(*prefix)) return false;
  }
  return true;
}

// Reads leading decimal digits into out; the number of digits read, 0 on none or overflow.
size_t ReadUnsigned(const char* text, uint64_t* out) {
  uint64_t value = 0;
  size_t n = 0;
  for (; IsDigit(text[n]); ++n) {
    const uint64_t digit = static_cast<uint64_t>(text[n] - '0');
    if (value > (UINT64_MAX - digit) / 10) return 0;
    value = value * 10 + digit;
  }
  if (n > 0) *out = value;
  return n;
}

// Copies text[0..length) into out as a terminated string; false when it does not fit.
bool CopySpan(const char* text, size_t length, char* out, size_t cap) {
  if (cap == 0) return false;
  if (length >= cap) {
    out[0] = '\0';
    return false;
  }
  std::memcpy(out, text, length);
  out[length] = '\0';
  return true;
}

// A word's leading decimal number, 0 when it has none (the header is taken as it comes).
uint16_t NumberAt(const char* word, size_t offset) {
  if (std::strlen(word) <= offset) return 0;
  uint64_t value = 0;
  if (ReadUnsigned(word + offset, &value) == 0 || value > 0xFFFF) return 0;
  return static_cast<uint16_t>(value);
}

}  // namespace

bool ParseHostPort(const char* text, char* host, size_t hostCap, int* port) {
  if (text == nullptr || hostCap == 0) return false;
  host[0] = '\0';
  const char* colon = std::strchr(text, ':');
  const size_t hostLength = colon ? static_cast<size_t>(colon - text) : std::strlen(text);
  if (hostLength == 0 || !CopySpan(text, hostLength, host, hostCap)) {
    host[0] = '\0';
    return false;
  }
  if (colon == nullptr) {
    *port = kDefaultHttpPort;
    return true;
  }
  uint64_t value = 0;
  if (ReadUnsigned(colon + 1, &value) == 0 || value < 1 || value > 65535) {
    host[0] = '\0';
    return false;
  }
  *port = static_cast<int>(value);
  return true;
}

bool SplitLocation(const char* location, char* hostPort, size_t hostCap, char* path,
                   size_t pathCap) {
  if (location == nullptr || hostCap == 0 || pathCap == 0) return false;
  hostPort[0] = '\0';
  path[0] = '\0';
  const char* rest = location;
  if (StartsWithNoCase(rest, "http://")) rest += 7;
  const char* slash = std::strchr(rest, '/');
  const size_t hostLength = slash ? static_cast<size_t>(slash - rest) : std::strlen(rest);
  // "https://..." and the like would otherwise become a host named "https:".
  if (hostLength == 0 || std::memchr(rest, '/', hostLength) != nullptr ||
      (slash && slash > rest && slash[-1] == ':')) {
    return false;
  }
  if (!CopySpan(rest, hostLength, hostPort, hostCap)) return false;
  const bool pathFits = slash ? CopyBounded(path, pathCap, slash) : CopyBounded(path, pathCap, "/");
  if (!pathFits) {
    hostPort[0] = '\0';
    return false;
  }
  return true;
}

int MonthFromName(const char* text) {
  static const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                        "jul", "aug", "sep", "oct", "nov", "dec"};
  if (text == nullptr) return 0;
  for (int i = 0; i < 12; ++i) {
    if (StartsWithNoCase(text, kMonths[i])) return i + 1;
  }
  return 0;
}

bool ParseHttpDate(const char* text, HttpTime* out) {
  if (text == nullptr) return false;
  constexpr size_t kWordCap = 32;
  char words[5][kWordCap];
  const char* p = text;
  for (auto& word : words) {
    while (IsBlank(*p)) ++p;
    const char* start = p;
    while (*p && !IsBlank(*p)) ++p;
    if (p == start || !CopySpan(start, static_cast<size_t>(p - start), word, kWordCap)) {
      return false;
    }
  }
  HttpTime t;
  t.day = NumberAt(words[1], 0);
  t.month = static_cast<uint16_t>(MonthFromName(words[2]));
  t.year = NumberAt(words[3], 0);
  t.hour = NumberAt(words[4], 0);
  t.minute = NumberAt(words[4], 3);
  t.second = NumberAt(words[4], 6);
  *out = t;
  return true;
}

bool ParseContentLength(const char* text, uint64_t* out) {
  if (text == nullptr) return false;
  while (IsBlank(*text)) ++text;
  return ReadUnsigned(text, out) > 0;
}

bool ParseContentRange(const char* text, ContentRange* out) {
  if (text == nullptr) return false;
  while (IsBlank(*text)) ++text;
  if (!StartsWithNoCase(text, "bytes")) return false;
  const char* p = text + 5;
  while (IsBlank(*p)) ++p;
  ContentRange range;
  if (*p == '*') {
    ++p;
  } else {
    size_t n = ReadUnsigned(p, &range.first);
    if (n == 0 || p[n] != '-') return false;
    p += n + 1;
    n = ReadUnsigned(p, &range.last);
    if (n == 0 || range.last < range.first) return false;
    p += n;
    range.hasRange = true;
  }
  if (*p != '/') return false;
  ++p;
  if (*p == '*') {
    ++p;
  } else {
    const size_t n = ReadUnsigned(p, &range.total);
    if (n == 0) return false;
    p += n;
    range.totalKnown = true;
  }
  while (IsBlank(*p)) ++p;
  if (*p != '\0') return false;
  *out = range;
  return true;
}

bool FormatRangeHeader(uint64_t offset, char* out, size_t cap) {
  return FormatBounded(out, cap, "range:bytes=%llu-", static_cast<unsigned long long>(offset));
}

}  // namespace dl
