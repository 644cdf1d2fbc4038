// Installation reports to the site's statistics server: one fire-and-forget GET per
// finished extraction. Nothing depends on whether a report arrives, so every failure here
// ends silently. Runs on the install worker's thread and blocks it until the answer has
// been read or the platform gives up.
#pragma once

#include <cstddef>

#include "net/report_url.h"

namespace dl {

// Turns the diagnostic text into the encoded form its report carries: UTF-8 (at most 1023
// bytes), then UrlEncodeUtf8. Returns false, with out set to "" (when cap > 0), when a step
// fails or a result does not fit; kEncodedTextCap (net/url_encode.h) always holds the
// encoding of a text that converts.
bool EncodeDiagnosticText(const wchar_t* text, char* out, size_t cap);

// Fetches url with the agent "UrlTest", reads the answer to its end and discards it. An
// "https://" URL is fetched over TLS with the certificate checked, and no redirect is followed.
void SendReport(const wchar_t* url);

// Sends the report of the given type for this site and channelId to statsHost (a host setting:
// "name", "name:port", either after "https://"). Returns false, sending nothing, when the URL
// cannot be built; true says the request was attempted, not that it arrived.
bool SendInstallReport(ReportType type, const char* encodedText, const char* statsHost,
                       int channelId);

}  // namespace dl
