#include "net/http_client.h"

#include <cstring>

#include "base/bounded_text.h"
#include "net/tls_channel.h"

namespace dl {

namespace {

constexpr DWORD kTimeoutMs = 5000;

// Without NO_AUTO_REDIRECT the library follows redirects itself, without a limit and without
// the reconnect that starts tag and counters over, so SendGet's own rule would never run.
// The cache must stay out of it both ways: a cached answer would carry a stale
// Last-Modified into the resume decision, and every package would be stored a second time
// in the user's internet cache.
constexpr DWORD kRequestFlags = INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_AUTO_REDIRECT |
                                INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD;
// Over TLS the certificate is checked in full (none of the IGNORE_CERT flags, ever), and a
// failed check fails the request instead of asking the user, who cannot judge it.
constexpr DWORD kSecureFlags = INTERNET_FLAG_SECURE | INTERNET_FLAG_NO_UI;

void SetNumberOption(HINTERNET handle, DWORD option, DWORD value) {
  InternetSetOptionA(handle, option, &value, sizeof value);
}

// Set on every handle, not only the session: some implementations of the library do not
// pass the session's values down to connections and requests, and a stalled server would
// then hold a read for as long as it likes.
void SetTimeouts(HINTERNET handle) {
  SetNumberOption(handle, INTERNET_OPTION_CONNECT_TIMEOUT, kTimeoutMs);
  SetNumberOption(handle, INTERNET_OPTION_SEND_TIMEOUT, kTimeoutMs);
  SetNumberOption(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, kTimeoutMs);
}

}  // namespace

HttpClient::HttpClient() {
  // A download must never wait behind the library's per-server connection limit.
  SetNumberOption(nullptr, INTERNET_OPTION_MAX_CONNS_PER_SERVER, 0xFFFFFFFF);
  SetNumberOption(nullptr, INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER, 0xFFFFFFFF);
}

HttpClient::~HttpClient() { Close(); }

void HttpClient::OnProgress(HANDLE, int, uint32_t, uint64_t, uint64_t, uint64_t, int32_t) {}
void HttpClient::OnWriteFrom(HANDLE, uint64_t) {}
void HttpClient::OnBlock(const char*, uint32_t) {}

void HttpClient::CloseAll() {
  request_.Reset();
  connection_.Reset();
  session_.Reset();
}

void HttpClient::Close() {
  CloseAll();
  tag = 0;
}

int HttpClient::Connect(const char* hostAndPort, const char* user, const char* password,
                        int newTag) {
  CloseAll();
  if (hostAndPort == nullptr) return 0;
  session_.Reset(InternetOpenA(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session_) return 0;
  SetTimeouts(session_.Get());

  char host[kHostCap];
  int port = kDefaultHttpPort;
  if (!ParseServer(hostAndPort, host, sizeof host, &port, &secure_)) return 0;
  connection_.Reset(InternetConnectA(session_.Get(), host, static_cast<INTERNET_PORT>(port), user,
                                     password, INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection_) return 0;
  SetTimeouts(connection_.Get());
  tag = newTag;
  elapsedMs = 1;
  bytesReceived = 0;
  stopRequested = 0;
  return 1;
}

int HttpClient::SendGet(const char* objectPath, const char* extraHeader) {
  return SendGetFollowing(objectPath, extraHeader, kMaxRedirects);
}

int HttpClient::SendGetFollowing(const char* objectPath, const char* extraHeader,
                                 int redirectsLeft) {
  request_.Reset();
  lastStatus_ = 0;
  retryAfterSeconds_ = -1;
  if (!connection_ || objectPath == nullptr) return 0;
  request_.Reset(HttpOpenRequestA(connection_.Get(), "GET", objectPath, "HTTP/1.0", nullptr,
                                  nullptr, kRequestFlags | (secure_ ? kSecureFlags : 0), 0));
  if (!request_) return 0;
  SetTimeouts(request_.Get());
  if (extraHeader != nullptr &&
      !HttpAddRequestHeadersA(request_.Get(), extraHeader, static_cast<DWORD>(-1),
                              HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE)) {
    return 0;
  }
  if (HttpSendRequestA(request_.Get(), nullptr, 0, nullptr, 0) != TRUE) return 0;
  if (secure_ && ChannelBelowTls12(request_.Get())) return 0;

  DWORD status = 0;
  DWORD size = sizeof status;
  if (!HttpQueryInfoA(request_.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                      &size, nullptr)) {
    return 0;
  }
  lastStatus_ = static_cast<int>(status);
  if (status == 200 || status == 206) return 1;
  if (status == 503 || status == 429) ReadRetryAfter();
  if (status != 301 && status != 302) return 0;

  if (redirectsLeft <= 0) return 0;
  // A Location that does not fit its buffer fails the request rather than being cut.
  char location[kLocationCap];
  if (!QueryText(HTTP_QUERY_LOCATION, location, sizeof location)) return 0;
  char hostPort[kHostCap];
  char path[kLocationCap];
  if (!SplitLocation(location, hostPort, sizeof hostPort, path, sizeof path)) return 0;
  // Once on TLS, never off it: a plain connection would hand the package to anybody on the path.
  if (secure_ && !IsSecureServer(hostPort)) return 0;
  if (Connect(hostPort, nullptr, nullptr, 0) != 1) return 0;
  return SendGetFollowing(path, extraHeader, redirectsLeft - 1);
}

void HttpClient::ReadRetryAfter() {
  char text[64];
  if (!QueryText(HTTP_QUERY_RETRY_AFTER, text, sizeof text)) return;
  // The date form is measured against this machine's clock: the best there is.
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const uint64_t ticks = (uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
  const int64_t nowUnix = static_cast<int64_t>(ticks / 10000000ULL) - 11644473600LL;
  uint64_t seconds = 0;
  if (ParseRetryAfter(text, nowUnix, &seconds)) {
    retryAfterSeconds_ = seconds > 86400 ? 86400 : static_cast<int64_t>(seconds);
  }
}

bool HttpClient::ReadBody(void* buffer, size_t cap, size_t* size) {
  *size = 0;
  if (!request_) return false;
  auto* bytes = static_cast<char*>(buffer);
  while (*size < cap) {
    const size_t left = cap - *size;
    DWORD got = 0;
    if (!InternetReadFile(request_.Get(), bytes + *size,
                          left > 0x10000 ? 0x10000 : static_cast<DWORD>(left), &got)) {
      return false;
    }
    if (got == 0) break;
    *size += got;
  }
  return true;
}

bool HttpClient::QueryText(DWORD query, char* buffer, DWORD cap) {
  if (!request_ || cap == 0) return false;
  std::memset(buffer, 0, cap);
  // The last byte stays a terminator whatever the library writes.
  DWORD size = cap - 1;
  if (!HttpQueryInfoA(request_.Get(), query, buffer, &size, nullptr)) {
    buffer[0] = '\0';
    return false;
  }
  buffer[size < cap ? size : cap - 1] = '\0';
  return true;
}

int HttpClient::QueryContentLength(uint64_t* size) {
  char text[32];
  if (!QueryText(HTTP_QUERY_CONTENT_LENGTH, text, sizeof text)) return 0;
  uint64_t value = 0;
  if (!ParseContentLength(text, &value)) return 0;
  *size = value;
  return 1;
}

int HttpClient::QueryLastModified(SYSTEMTIME* time) {
  char text[64];  // the obsolete form with a long weekday needs 33
  if (!QueryText(HTTP_QUERY_LAST_MODIFIED, text, sizeof text)) return 0;
  HttpTime parsed;
  if (!ParseHttpDate(text, &parsed)) return 0;
  time->wYear = parsed.year;
  time->wMonth = parsed.month;
  time->wDayOfWeek = 0;
  time->wDay = parsed.day;
  time->wHour = parsed.hour;
  time->wMinute = parsed.minute;
  time->wSecond = parsed.second;
  time->wMilliseconds = 0;
  return 1;
}

bool HttpClient::QueryContentRange(ContentRange* range) {
  // The library has no query of its own for this header; the custom query takes its name in
  // the buffer.
  char text[128] = "Content-Range";
  DWORD size = sizeof text - 1;
  if (!request_ || !HttpQueryInfoA(request_.Get(), HTTP_QUERY_CUSTOM, text, &size, nullptr)) {
    return false;
  }
  text[size < sizeof text ? size : sizeof text - 1] = '\0';
  return ParseContentRange(text, range);
}

}  // namespace dl
