// The diagnostic text an installation report carries: where the package was extracted
// to, how the extraction ended and what was measured after a failure. Pure, so the exact
// form is checked natively; the measurements themselves are taken by the install worker.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dl {

// The worker's buffer for the text: the install folder (a path) plus six short fields.
constexpr size_t kDiagnosticTextCap = 1024;

// Values as the platform hands them over. Attributes, create result and package size
// stay 0 when the first extraction succeeded; they are only measured after a failure.
struct ExtractionDiagnostics {
  const wchar_t* installFolder = L"";  // ends with a backslash
  uint32_t extractResult = 0;
  uint32_t attributes = 0;   // from the file-attribute query, all ones when it failed
  int32_t createResult = 0;  // of the folder creation
  uint32_t lastError = 0;    // the thread's last error when the text is built
  uint32_t packageSize = 0;  // low 32 bits of the local package file's size
};

// Writes "<folder>|<result>|attr:<a>|create:<c>|errid:<e>|size:<s>" into out[0..cap) and
// terminates it: the extraction result in unsigned decimal, the other four in signed
// decimal (a 32-bit value above 0x7FFFFFFF shows as negative). Returns false, with out set
// to "" (when cap > 0), if the text does not fit.
bool BuildDiagnosticText(const ExtractionDiagnostics& values, wchar_t* out, size_t cap);

}  // namespace dl
