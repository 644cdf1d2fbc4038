#include "config/resource_strings.h"

namespace dl {

int ResourceStrings::LoadNarrow(unsigned id, char* buf, int cap) {
  return LoadStringA(module_ ? module_ : GetModuleHandleA(nullptr), id, buf, cap);
}

int ResourceStrings::LoadWide(unsigned id, wchar_t* buf, int cap) {
  return LoadStringW(module_ ? module_ : GetModuleHandleA(nullptr), id, buf, cap);
}

void ResourceStrings::ReportMissing(const wchar_t* message) {
  MessageBoxW(nullptr, message, nullptr, MB_OK);
}

}  // namespace dl
