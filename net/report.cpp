#include "net/report.h"

#include <windows.h>

#include <cstring>
#include <cwchar>

#include "base/text_convert.h"
#include "config/site_record.h"
#include "net/diagnostic_text.h"
#include "net/internet_library.h"
#include "net/url_encode.h"

namespace dl {

namespace {
// The text's UTF-8 form; what does not fit is not sent.
constexpr size_t kUtf8Cap = kDiagnosticTextCap;
}  // namespace

bool EncodeDiagnosticText(const wchar_t* text, char* out, size_t cap) {
  if (cap == 0) return false;
  out[0] = '\0';
  char utf8[kUtf8Cap];
  if (!ToNarrow(text, CodePage::kUtf8, utf8, sizeof utf8)) return false;
  return UrlEncodeUtf8(reinterpret_cast<const unsigned char*>(utf8), std::strlen(utf8), out, cap);
}

void SendReport(const wchar_t* url) {
  UniqueInternet session(
      InternetOpenW(L"UrlTest", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) return;
  // Over TLS the library is not trusted with redirects: some versions of it follow one to plain
  // http without a word, which would hand the report to anybody on the path. A report that
  // meets a redirect is simply not delivered.
  DWORD flags = INTERNET_FLAG_NO_CACHE_WRITE;
  if (std::wcsncmp(url, L"https://", 8) == 0)
    flags |= INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_UI;
  UniqueInternet request(InternetOpenUrlW(session.Get(), url, nullptr, 0, flags, 0));
  if (!request) return;
  // Reading to the end lets the server finish its answer; the text itself is not wanted.
  char piece[260];
  DWORD got = 0;
  while (InternetReadFile(request.Get(), piece, sizeof piece, &got) && got != 0) {
  }
  // The request closes before the session (reverse declaration order).
}

bool SendInstallReport(ReportType type, const char* encodedText, const char* statsHost,
                       int channelId) {
  wchar_t url[kReportUrlCap];
  if (!BuildReportUrl(type, statsHost, SITE_ID, encodedText, channelId, url, kReportUrlCap)) {
    return false;
  }
  SendReport(url);
  return true;
}

}  // namespace dl
