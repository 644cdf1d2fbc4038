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

namespace {
constexpr char kHttp[] = "http://";
constexpr char kHttps[] = "https://";
constexpr size_t kHttpLength = sizeof kHttp - 1;
constexpr size_t kHttpsLength = sizeof kHttps - 1;
}  // namespace

bool IsSecureServer(const char* text) { return text != nullptr && StartsWithNoCase(text, kHttps); }

const char* SkipScheme(const char* text) {
  if (IsSecureServer(text)) return text + kHttpsLength;
  return text != nullptr && StartsWithNoCase(text, kHttp) ? text + kHttpLength : text;
}

bool ParseServer(const char* text, char* host, size_t hostCap, int* port, bool* secure) {
  if (text == nullptr) return false;
  const bool tls = IsSecureServer(text);
  text = SkipScheme(text);
  if (!ParseHostPort(text, host, hostCap, port)) return false;
  if (tls && std::strchr(text, ':') == nullptr) *port = kDefaultHttpsPort;
  *secure = tls;
  return true;
}

bool SplitLocation(const char* location, char* hostPort, size_t hostCap, char* path,
                   size_t pathCap) {
  if (location == nullptr || hostCap == 0 || pathCap == 0) return false;
  hostPort[0] = '\0';
  path[0] = '\0';
  // The https scheme stays with the host: the next connection must be made over TLS too.
  const bool kept = IsSecureServer(location);
  const char* rest = SkipScheme(location);
  const char* slash = std::strchr(rest, '/');
  const size_t hostLength = slash ? static_cast<size_t>(slash - rest) : std::strlen(rest);
  // "ftp://..." and the like would otherwise become a host named "ftp:".
  if (hostLength == 0 || (slash && slash > rest && slash[-1] == ':')) return false;
  const char* from = kept ? location : rest;
  if (!CopySpan(from, static_cast<size_t>(rest - from) + hostLength, hostPort, hostCap)) {
    return false;
  }
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

namespace {

// Splits text at blanks (and, for the obsolete form, at "-" and ":") into at most `max`
// words of fewer than 32 characters; the number found, or -1 when one is too long.
constexpr size_t kWordCap = 32;
int SplitWords(const char* text, const char* separators, char (*words)[kWordCap], int max) {
  int n = 0;
  const char* p = text;
  for (;;) {
    while (*p && std::strchr(separators, *p)) ++p;
    if (!*p) return n;
    const char* start = p;
    while (*p && !std::strchr(separators, *p)) ++p;
    if (n == max || !CopySpan(start, static_cast<size_t>(p - start), words[n], kWordCap)) {
      return -1;
    }
    ++n;
  }
}

// A word that is all digits, of 1..maxDigits of them.
bool WholeNumber(const char* word, size_t maxDigits, uint16_t* out) {
  uint64_t value = 0;
  const size_t n = ReadUnsigned(word, &value);
  if (n == 0 || n > maxDigits || word[n] != '\0') return false;
  *out = static_cast<uint16_t>(value);
  return true;
}

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

}  // namespace

bool ParseHttpDate(const char* text, HttpTime* out) {
  if (text == nullptr) return false;
  char words[8][kWordCap];
  // Time words split at ":" as well, so every form becomes plain words.
  const int n = SplitWords(text, " \t\r\n,-:", words, 8);
  if (n != 8 && n != 7) return false;
  const char *day, *month, *year, *hour, *minute, *second;
  bool twoDigitYear = false;
  if (n == 7) {  // asctime: weekday month day hh mm ss year
    month = words[1], day = words[2], hour = words[3], minute = words[4], second = words[5];
    year = words[6];
  } else {  // weekday day month year hh mm ss GMT
    if (std::strcmp(words[7], "GMT") != 0) return false;
    day = words[1], month = words[2], year = words[3];
    hour = words[4], minute = words[5], second = words[6];
    twoDigitYear = std::strlen(year) == 2;
  }
  HttpTime t;
  t.month = static_cast<uint16_t>(MonthFromName(month));
  if (t.month == 0 || std::strlen(month) != 3 || !WholeNumber(day, 2, &t.day) ||
      !WholeNumber(year, 4, &t.year) || !WholeNumber(hour, 2, &t.hour) ||
      !WholeNumber(minute, 2, &t.minute) || !WholeNumber(second, 2, &t.second)) {
    return false;
  }
  if (twoDigitYear) t.year = static_cast<uint16_t>(t.year + (t.year < 70 ? 2000 : 1900));
  // A leap second (60) is allowed by the grammar; the platform's time record is not.
  if (t.year < 1601 || t.day < 1 || t.day > DaysInMonth(t.year, t.month) || t.hour > 23 ||
      t.minute > 59 || t.second > 59) {
    return false;
  }
  *out = t;
  return true;
}

int64_t HttpTimeToUnix(const HttpTime& t) {
  return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

bool ParseRetryAfter(const char* text, int64_t nowUnix, uint64_t* seconds) {
  if (text == nullptr) return false;
  while (IsBlank(*text)) ++text;
  uint64_t value = 0;
  const size_t n = ReadUnsigned(text, &value);
  if (n > 0) {
    const char* rest = text + n;
    while (IsBlank(*rest)) ++rest;
    if (*rest != '\0') return false;
    *seconds = value;
    return true;
  }
  HttpTime when;
  if (!ParseHttpDate(text, &when)) return false;
  const int64_t delta = HttpTimeToUnix(when) - nowUnix;
  *seconds = delta > 0 ? static_cast<uint64_t>(delta) : 0;
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

bool FormatHttpDate(const HttpTime& t, char* out, size_t cap) {
  static const char kDays[][4] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
  static const char kMonths[][4] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 23 || t.minute > 59 ||
      t.second > 59 || t.year > 9999) {
    if (cap > 0) out[0] = '\0';
    return false;
  }
  // Day 0 of the count, 1970-01-01, was a Thursday.
  const int64_t days = DaysFromCivil(t.year, t.month, t.day);
  const int64_t weekday = ((days % 7) + 7) % 7;
  return FormatBounded(out, cap, "%s, %02u %s %04u %02u:%02u:%02u GMT", kDays[weekday],
                       unsigned{t.day}, kMonths[t.month - 1], unsigned{t.year}, unsigned{t.hour},
                       unsigned{t.minute}, unsigned{t.second});
}

bool FormatRangeHeader(uint64_t offset, char* out, size_t cap) {
  return FormatBounded(out, cap, "range:bytes=%llu-", static_cast<unsigned long long>(offset));
}

}  // namespace dl
