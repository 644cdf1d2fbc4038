#include "net/diagnostic_text.h"

#include "base/bounded_text.h"

namespace dl {

namespace {
// Numbers and labels are ASCII: formatted narrow, which keeps the wide printf family (and its
// differences between C libraries) out of the way.
bool AppendField(wchar_t* out, size_t cap, const char* label, long long value) {
  char field[32];
  return FormatBounded(field, sizeof field, "%s%lld", label, value) && AppendAscii(out, cap, field);
}
}  // namespace

bool BuildDiagnosticText(const ExtractionDiagnostics& values, wchar_t* out, size_t cap) {
  if (cap == 0) return false;
  const bool ok = CopyBounded(out, cap, values.installFolder) &&
                  AppendField(out, cap, "|", static_cast<long long>(values.extractResult)) &&
                  AppendField(out, cap, "|attr:", static_cast<int32_t>(values.attributes)) &&
                  AppendField(out, cap, "|create:", values.createResult) &&
                  AppendField(out, cap, "|errid:", static_cast<int32_t>(values.lastError)) &&
                  AppendField(out, cap, "|size:", static_cast<int32_t>(values.packageSize));
  if (!ok) out[0] = L'\0';
  return ok;
}

}  // namespace dl
