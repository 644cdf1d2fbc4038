#include "config/debug_log.h"

#include <cstdarg>
#include <cstring>

#include "base/bounded_text.h"

namespace dl {

const char kDebugLogName[] = "__lobby_dl_debug.log";

namespace {
constexpr size_t kLineCap = 4096;
}

bool DebugLog::Open(const char* path) {
  file_.Reset(
      CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  return IsOn();
}

void DebugLog::Write(const char* format, ...) {
  if (!IsOn()) return;
  char line[kLineCap];
  va_list args;
  va_start(args, format);
  FormatBoundedV(line, sizeof line, format, args);  // an overlong line is written cut
  va_end(args);
  DWORD written = 0;
  WriteFile(file_.Get(), line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
  WriteFile(file_.Get(), "\r\n", 2, &written, nullptr);
}

}  // namespace dl
