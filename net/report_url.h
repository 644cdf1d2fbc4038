// The two statistics request URLs an installation report is sent with. Pure: the host,
// site and channel come in as parameters, so the exact text is checked natively.
#pragma once

#include <cstddef>

namespace dl {

// The fetch takes the URL from a buffer of this many wide characters.
constexpr size_t kReportUrlCap = 1024;

// The values are what the statistics server counts by: keep them.
enum class ReportType : int {
  kExtracted = 3,     // the package was extracted
  kNotExtracted = 4,  // the extraction failed, also after its second try
};

// Writes "http://<host>/ajax/quickDownLoadStatistics/quickDownStatistics.jsp?SiteID=<site>
// &StatistsType=<type>&UnzipResult=<encoded>&channalID=<channel>" into out[0..cap) and
// terminates it. host is a host setting: a name or address, optionally with ":port", that
// may start with "https://" (the URL then does) or "http://"; encoded is the
// percent-encoded diagnostic text, so it may hold only what UrlEncodeUtf8 produces.
// Returns false, with out set to "" (when cap > 0), if host or encoded holds anything else
// (it would change the path or split the query) or the URL does not fit.
bool BuildReportUrl(ReportType type, const char* host, int siteId, const char* encoded,
                    int channelId, wchar_t* out, size_t cap);

}  // namespace dl
