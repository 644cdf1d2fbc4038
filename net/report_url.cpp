#include "net/report_url.h"

#include "base/bounded_text.h"
#include "net/http_parse.h"

namespace dl {

namespace {
constexpr const char kReportPath[] = "/ajax/quickDownLoadStatistics/quickDownStatistics.jsp";

bool IsAsciiAlnum(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// A name, an IPv4 or bracketed IPv6 address, optionally with ":port". Anything else would
// change the path or the request line.
bool IsHost(const char* text) {
  if (*text == '\0') return false;
  for (; *text != '\0'; ++text) {
    const unsigned char c = static_cast<unsigned char>(*text);
    if (!IsAsciiAlnum(c) && c != '.' && c != '-' && c != '_' && c != ':' && c != '[' && c != ']') {
      return false;
    }
  }
  return true;
}

// What UrlEncodeUtf8 produces; a raw "&", "=" or "#" would split or end the query.
bool IsEncodedValue(const char* text) {
  for (; *text != '\0'; ++text) {
    const unsigned char c = static_cast<unsigned char>(*text);
    if (!IsAsciiAlnum(c) && c != '-' && c != '_' && c != '.' && c != '~' && c != '+' && c != '%') {
      return false;
    }
  }
  return true;
}

}  // namespace

bool BuildReportUrl(ReportType type, const char* host, int siteId, const char* encoded,
                    int channelId, wchar_t* out, size_t cap) {
  if (cap == 0) return false;
  out[0] = L'\0';
  if (host == nullptr || encoded == nullptr) return false;
  const char* scheme = IsSecureServer(host) ? "https://" : "http://";
  host = SkipScheme(host);
  if (!IsHost(host) || !IsEncodedValue(encoded)) return false;

  char siteQuery[64];
  char channelQuery[32];
  const bool ok =
      FormatBounded(siteQuery, sizeof siteQuery, "?SiteID=%d&StatistsType=%d&UnzipResult=", siteId,
                    static_cast<int>(type)) &&
      FormatBounded(channelQuery, sizeof channelQuery, "&channalID=%d", channelId) &&
      AppendAscii(out, cap, scheme) && AppendAscii(out, cap, host) &&
      AppendAscii(out, cap, kReportPath) && AppendAscii(out, cap, siteQuery) &&
      AppendAscii(out, cap, encoded) && AppendAscii(out, cap, channelQuery);
  if (!ok) out[0] = L'\0';
  return ok;
}

}  // namespace dl
