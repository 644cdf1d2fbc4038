// Diagnostic log that exists only when someone prepared the file beforehand. Each run
// writes from the start of the file over the old content without truncating it.
#pragma once

#include "base/win_handles.h"

namespace dl {

extern const char kDebugLogName[];

class DebugLog {
 public:
  DebugLog() = default;
  DebugLog(const DebugLog&) = delete;
  DebugLog& operator=(const DebugLog&) = delete;

  // Opens an existing file for writing (readers may share it). A missing file, or one
  // another program holds for writing, leaves logging off. Returns true when on.
  bool Open(const char* path = kDebugLogName);
  bool IsOn() const { return file_.IsValid(); }

  // Formats one line (at most 4096 bytes) and writes it followed by "\r\n".
  void Write(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;

 private:
  UniqueFile file_;
};

}  // namespace dl
