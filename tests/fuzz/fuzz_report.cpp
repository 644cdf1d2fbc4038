// The report's text builders with whatever a failing installation may hand them. Input: a
// capacity byte, a type byte, the host up to the first zero byte, then the diagnostic bytes
// (also read as the install folder and the measured numbers).
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <string>

#include "net/diagnostic_text.h"
#include "net/http_parse.h"
#include "net/report_url.h"
#include "net/url_encode.h"

namespace {

void Require(bool ok) {
  if (!ok) __builtin_trap();
}

int Hex(char c) { return c <= '9' ? c - '0' : c - 'A' + 10; }

void CheckEncode(const std::string& bytes, size_t cap) {
  std::string out(cap, 'x');
  size_t need = 1;
  for (unsigned char c : bytes)
    need += (std::isalnum(c) || (c != 0 && std::strchr("-_.~ ", c))) ? 1 : 3;
  const auto* raw = reinterpret_cast<const unsigned char*>(bytes.data());
  Require(dl::UrlEncodeUtf8(raw, bytes.size(), &out[0], cap) == (need <= cap));
  if (need > cap) return Require(out[0] == '\0');
  // Decodes back to the input.
  std::string decoded;
  for (size_t i = 0; out[i] != '\0'; ++i) {
    Require(i + 1 < cap);
    const bool escape = out[i] == '%';
    decoded += escape          ? static_cast<char>(Hex(out[i + 1]) << 4 | Hex(out[i + 2]))
               : out[i] == '+' ? ' '
                               : out[i];
    i += escape ? 2 : 0;
  }
  Require(decoded == bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t smallCap = data[0] + 1u;
  const std::string input(reinterpret_cast<const char*>(data + 2), size - 2);
  const std::string host = input.substr(0, input.find('\0'));
  // The report carries at most 1023 bytes of text.
  const std::string text = input.size() > host.size() ? input.substr(host.size() + 1, 1023) : "";

  CheckEncode(text, smallCap);
  char encoded[dl::kEncodedTextCap];
  const auto* raw = reinterpret_cast<const unsigned char*>(text.data());
  Require(dl::UrlEncodeUtf8(raw, text.size(), encoded, sizeof encoded));

  // A built URL names exactly the host given (in its scheme) and carries exactly the four fields.
  const auto type = (data[1] & 1) ? dl::ReportType::kExtracted : dl::ReportType::kNotExtracted;
  uint32_t n[5] = {};
  std::memcpy(n, text.data(), std::min(text.size(), sizeof n));
  const int site = static_cast<int>(n[0]), channel = static_cast<int>(n[1]);
  const size_t cap = smallCap * 4;  // up to kReportUrlCap and kDiagnosticTextCap
  std::wstring url(cap, L'x');
  if (!dl::BuildReportUrl(type, host.c_str(), site, encoded, channel, &url[0], cap)) {
    Require(url[0] == L'\0');
  } else {
    const std::string bare = dl::SkipScheme(host.c_str());
    Require(bare.find_first_of("/?#@&=% \\") == std::string::npos);
    std::string expected =
        (dl::IsSecureServer(host.c_str()) ? "https://" : "http://") + bare +
        "/ajax/quickDownLoadStatistics/quickDownStatistics.jsp?SiteID=" + std::to_string(site) +
        "&StatistsType=" + std::to_string(static_cast<int>(type)) + "&UnzipResult=" + encoded +
        "&channalID=" + std::to_string(channel);
    Require(expected.size() < cap && std::wstring(expected.begin(), expected.end()) == url.c_str());
  }

  // The diagnostic text: the folder as given, then the six fields, or nothing when it would
  // not fit.
  const auto* units = reinterpret_cast<const uint8_t*>(text.data());
  std::wstring folder(units, units + std::min<size_t>(text.size(), 600));
  folder.erase(std::remove(folder.begin(), folder.end(), L'\0'), folder.end());
  dl::ExtractionDiagnostics values{folder.c_str(), n[0], n[1], static_cast<int32_t>(n[2]),
                                   n[3],           n[4]};
  char fields[96];
  std::snprintf(fields, sizeof fields, "|%u|attr:%d|create:%d|errid:%d|size:%d",
                values.extractResult, static_cast<int32_t>(values.attributes), values.createResult,
                static_cast<int32_t>(values.lastError), static_cast<int32_t>(values.packageSize));
  const std::wstring expected = folder + std::wstring(fields, fields + std::strlen(fields));
  std::wstring out(cap, L'x');
  const bool built = dl::BuildDiagnosticText(values, &out[0], out.size());
  Require(built == (expected.size() < out.size()) &&
          (built ? expected == out.c_str() : out[0] == 0));
  return 0;
}
