#include "net/report.h"

#include <windows.h>
#include <wininet.h>

#include "app/site_config.h"
#include "app/site_record.h"
#include "base/win_handles.h"
#include "net/diagnostic_text.h"
#include "net/url_encode.h"

namespace dl {

namespace {
// The round trip through UTF-16 is bounded by the text buffer the worker builds in.
constexpr int kRoundTripCap = static_cast<int>(kDiagnosticTextCap);
// A character of a double-byte code page takes at most two bytes.
constexpr int kAnsiCap = 2 * kRoundTripCap;
}  // namespace

bool EncodeDiagnosticText(const wchar_t* text, char* out, size_t cap) {
  if (cap == 0) return false;
  out[0] = '\0';
  char ansi[kAnsiCap];
  if (WideCharToMultiByte(CP_ACP, 0, text, -1, ansi, kAnsiCap, nullptr, nullptr) <= 0) {
    return false;
  }
  wchar_t wide[kRoundTripCap];
  if (MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, kRoundTripCap) <= 0) return false;
  char utf8[kRoundTripCap];
  const int bytes =
      WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, kRoundTripCap, nullptr, nullptr);
  if (bytes <= 0) return false;
  // The count includes the terminator.
  return UrlEncodeUtf8(reinterpret_cast<const unsigned char*>(utf8), static_cast<size_t>(bytes - 1),
                       out, cap);
}

void SendReport(const wchar_t* url) {
  UniqueInternet session(
      InternetOpenW(L"UrlTest", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) return;
  UniqueInternet request(
      InternetOpenUrlW(session.Get(), url, nullptr, 0, INTERNET_FLAG_NO_CACHE_WRITE, 0));
  if (!request) return;
  // Reading to the end lets the server finish its answer; the text itself is not wanted.
  char piece[260];
  DWORD got = 0;
  while (InternetReadFile(request.Get(), piece, sizeof piece, &got) && got != 0) {
  }
  // The request closes before the session (reverse declaration order).
}

bool SendInstallReport(ReportType type, const char* encodedText, const char* statsHost) {
  wchar_t url[kReportUrlCap];
  if (!BuildReportUrl(type, statsHost, SITE_ID, encodedText, g_channelId, url, kReportUrlCap)) {
    return false;
  }
  SendReport(url);
  return true;
}

}  // namespace dl
