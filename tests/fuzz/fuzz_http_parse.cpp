// Header values as a server or a proxy in between may send them. Input: a capacity byte, then
// the text every parser reads; the first bytes also give numbers for exact round trips.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <strings.h>

#include "net/http_parse.h"
#include "net/part_record.h"

namespace {

void Require(bool ok) {
  if (!ok) __builtin_trap();
}

void CheckText(const char* text, size_t cap) {
  std::string host(cap, 'x');
  int port = 0;
  if (dl::ParseHostPort(text, &host[0], cap, &port)) {
    const size_t n = strnlen(host.data(), cap);
    Require(n > 0 && n < cap && std::strncmp(text, host.data(), n) == 0 && port >= 1 &&
            port <= 65535 && (text[n] == '\0' ? port == dl::kDefaultHttpPort : text[n] == ':'));
  } else {
    Require(host[0] == '\0');
  }

  // The host keeps an https scheme and loses an http one; whatever follows it is the path.
  std::string hostPort(cap, 'x'), path(cap, 'x');
  if (dl::SplitLocation(text, &hostPort[0], cap, &path[0], cap)) {
    const size_t h = strnlen(hostPort.data(), cap), p = strnlen(path.data(), cap);
    const char* host = dl::SkipScheme(hostPort.c_str());
    Require(h > 0 && h < cap && p < cap && path[0] == '/' && *host != '\0' &&
            !std::strchr(host, '/') && dl::IsSecureServer(text) == (host != hostPort.c_str()));
    const char* rest = strncasecmp(text, "http://", 7) == 0 ? text + 7 : text;
    const std::string joined = hostPort.c_str() + std::string(path.c_str());
    Require(joined == rest ||
            (hostPort.c_str() == std::string(rest) && std::string(path.c_str()) == "/"));
  } else {
    Require(hostPort[0] == '\0' && path[0] == '\0');
  }

  dl::HttpTime t;
  if (dl::ParseHttpDate(text, &t)) {
    Require(t.month >= 1 && t.month <= 12 && t.dayOfWeek == 0);
    Require(t.day >= 1 && t.day <= 31 && t.hour <= 23 && t.minute <= 59 && t.second <= 60);
  }

  // Any run of up to 19 digits fits; a longer one may only fail by overflow.
  uint64_t length = 0;
  const char* digits = text + std::strspn(text, " \t\r\n");
  const size_t zeros = std::strspn(digits, "0"), count = std::strspn(digits + zeros, "0123456789");
  if (dl::ParseContentLength(text, &length)) {
    Require(count == 0 ? zeros > 0 && length == 0
                       : std::string(digits + zeros, count) == std::to_string(length));
  } else {
    Require(count > 19 || zeros + count == 0);
  }

  dl::ContentRange range;
  if (dl::ParseContentRange(text, &range)) Require(!range.hasRange || range.first <= range.last);
}

// A record read from disk is written back to the same record, and what it puts in a request
// stays on the request's own lines.
void CheckRecord(const std::string& text) {
  dl::ObjectIdentity id, again;
  if (!dl::ParsePartRecord(text.data(), text.size(), &id)) return;
  char written[dl::kPartRecordCap];
  size_t size = 0;
  Require(dl::FormatPartRecord(id, written, sizeof written, &size) &&
          dl::ParsePartRecord(written, size, &again) && dl::SameObject(id, again));
  char headers[2 * dl::kValidatorCap];
  Require(dl::FormatResumeHeaders(id.length, id, headers, sizeof headers));
  const char* second = std::strstr(headers, "\r\n");
  Require(std::strpbrk(headers, "\n") == (second ? second + 1 : nullptr));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t cap = data[0] % 64 + 1;
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  CheckText(text.c_str(), cap);
  CheckText(text.c_str(), dl::kLocationCap);
  CheckRecord(text);

  // Well-formed values built from the input's numbers come back exactly.
  uint64_t n[3] = {};
  std::memcpy(n, data + 1, std::min(size - 1, sizeof n));
  const uint64_t a = n[0], b = n[1], c = n[2];
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const int day = a % 28 + 1, month = b % 12 + 1, year = 1970 + c % 200;  // a day every month has
  const int hour = a / 31 % 24, minute = b / 12 % 60, second = c / 200 % 60;
  char line[96];
  std::snprintf(line, sizeof line, "Sun, %02d %s %d %02d:%02d:%02d GMT", day, kMonths[month - 1],
                year, hour, minute, second);
  dl::HttpTime t;
  Require(dl::ParseHttpDate(line, &t) && t.day == day && t.month == month && t.year == year &&
          t.hour == hour && t.minute == minute && t.second == second);

  const uint64_t first = std::min(a, b), last = std::max(a, b);
  const std::string range =
      "bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" + std::to_string(c);
  dl::ContentRange r;
  Require(dl::ParseContentRange(range.c_str(), &r) && r.hasRange && r.totalKnown &&
          r.first == first && r.last == last && r.total == c);

  std::string header(cap, 'x');
  const std::string expected = "range:bytes=" + std::to_string(a) + "-";
  const bool fits = expected.size() < cap;
  Require(dl::FormatRangeHeader(a, &header[0], cap) == fits && strnlen(header.data(), cap) < cap &&
          (!fits || expected == header.c_str()));
  return 0;
}
