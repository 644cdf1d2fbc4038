// The build-time strings as the program reads them: its own string table, with a plain
// message box for a string that is missing.
#pragma once

#include <windows.h>

#include "config/site_settings.h"

namespace dl {

class ResourceStrings : public ConfigStrings {
 public:
  // `module` holds the string table (the program itself when null).
  explicit ResourceStrings(HMODULE module = nullptr) : module_(module) {}
  int LoadNarrow(unsigned id, char* buf, int cap) override;
  int LoadWide(unsigned id, wchar_t* buf, int cap) override;
  // A modal box without owner or caption, OK only. Drawn from the wide text so that it
  // reads right whatever the system's ANSI code page.
  void ReportMissing(const wchar_t* message) override;

 private:
  HMODULE module_;
};

}  // namespace dl
