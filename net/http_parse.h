// Text handling of the HTTP client: host settings (scheme, host, port), Location splitting, the
// response headers a resumable download depends on, and the range header. Pure, so every
// form a server may send is checked natively; every output goes to a bounded buffer and an
// overlong input is a failure, never a cut-off or an overflow.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dl {

// Longest host name the connection accepts (the resolver's own limit).
constexpr size_t kHostCap = 256;
// The Location header is read into a buffer of this many bytes, terminator included.
constexpr size_t kLocationCap = 256;
constexpr int kDefaultHttpPort = 80;
constexpr int kDefaultHttpsPort = 443;

// Splits "host" or "host:port". The host is everything before the first colon; the port is
// the decimal number after it (leading digits, like a scanf "%d"), 80 without a colon.
// Fails on an empty or overlong host, a colon without digits, or a port outside 1..65535.
bool ParseHostPort(const char* text, char* host, size_t hostCap, int* port);

// Reads a host setting: "host[:port]" as ParseHostPort reads it, or the same after "https://"
// (any case), which asks for TLS and makes 443 the port when none is named. "http://" may be
// written and changes nothing. Any other scheme fails, as does what ParseHostPort refuses.
bool ParseServer(const char* text, char* host, size_t hostCap, int* port, bool* secure);

// True when a host setting names the https scheme (the test ParseServer makes).
bool IsSecureServer(const char* text);
// The host setting after its "http://" or "https://" (any case); text itself without one.
const char* SkipScheme(const char* text);

// Splits a redirect's Location into a host setting and the path. A leading "http://" (any
// case) is dropped and "https://" kept, so the setting says how to reach the host; the path
// runs from the first "/" after the host on, or is "/" when there is none. Fails when no host
// is named (the text starts with "/" or is empty), another scheme is named, or a part does
// not fit.
bool SplitLocation(const char* location, char* hostPort, size_t hostCap, char* path,
                   size_t pathCap);

// 1..12 for the first three letters of an English month name in any case, 0 otherwise.
int MonthFromName(const char* text);

// The fields the platform's time record holds; day-of-week and milliseconds stay 0.
struct HttpTime {
  uint16_t year = 0;
  uint16_t month = 0;
  uint16_t dayOfWeek = 0;
  uint16_t day = 0;
  uint16_t hour = 0;
  uint16_t minute = 0;
  uint16_t second = 0;
  uint16_t milliseconds = 0;
};

// Reads a date in the three forms HTTP/1.1 clients must accept, all UTC:
//   "Sun, 06 Nov 1994 08:49:37 GMT"   (the usual one)
//   "Sunday, 06-Nov-94 08:49:37 GMT"  (obsolete; years 70..99 are 19xx, 00..69 20xx)
//   "Sun Nov  6 08:49:37 1994"         (the C library's asctime)
// The weekday is not checked. Fails on any other shape, an unknown month, or a field out of
// its range (a date the platform could not turn into a file time would never match a stamp).
bool ParseHttpDate(const char* text, HttpTime* out);

// Seconds since 1970-01-01 00:00:00 UTC of a parsed date.
int64_t HttpTimeToUnix(const HttpTime& t);

// A Retry-After: delta seconds, or a date (then the seconds from nowUnix to it, 0 when past).
bool ParseRetryAfter(const char* text, int64_t nowUnix, uint64_t* seconds);

// A Content-Length: decimal digits after optional blanks; fails on none or on overflow.
bool ParseContentLength(const char* text, uint64_t* out);

// A Content-Range: "bytes <first>-<last>/<total>" or "bytes */<total>" (then first and
// last are left alone and hasRange is false). total may be "*" (unknown): totalKnown false.
struct ContentRange {
  bool hasRange = false;
  uint64_t first = 0;
  uint64_t last = 0;
  bool totalKnown = false;
  uint64_t total = 0;
};
bool ParseContentRange(const char* text, ContentRange* out);

// The usual form, "Sun, 06 Nov 1994 08:49:37 GMT", of a date whose fields are in range (the
// weekday is computed); false when they are not or the text does not fit.
bool FormatHttpDate(const HttpTime& t, char* out, size_t cap);

// The request line asking for the rest of an object from offset on: "range:bytes=<offset>-".
bool FormatRangeHeader(uint64_t offset, char* out, size_t cap);

}  // namespace dl
