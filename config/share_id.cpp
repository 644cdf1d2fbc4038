#include "config/share_id.h"

#include <string_view>

namespace dl {

namespace {
bool LastPiece(std::string_view text, char sep, std::string_view* piece) {
  size_t end = text.size();
  while (end > 0 && text[end - 1] == sep) --end;
  if (end == 0) return false;
  size_t begin = text.rfind(sep, end - 1);
  begin = (begin == std::string_view::npos) ? 0 : begin + 1;
  *piece = text.substr(begin, end - begin);
  return true;
}

bool FirstPiece(std::string_view text, char sep, std::string_view* piece) {
  size_t begin = 0;
  while (begin < text.size() && text[begin] == sep) ++begin;
  if (begin == text.size()) return false;
  size_t end = text.find(sep, begin);
  if (end == std::string_view::npos) end = text.size();
  *piece = text.substr(begin, end - begin);
  return true;
}
}  // namespace

bool ShareIdFromPath(const char* path, std::string* shareId) {
  if (path == nullptr) return false;
  std::string_view name, tail, candidate;
  if (!LastPiece(path, '\\', &name)) return false;
  if (!LastPiece(name, '_', &tail)) return false;
  if (!FirstPiece(tail, '.', &candidate)) return false;
  shareId->assign(candidate);
  return true;
}

int IsAllDigits(const char* text) {
  for (const signed char* p = reinterpret_cast<const signed char*>(text); *p; ++p) {
    if (*p < '0' || *p > '9') return 0;
  }
  return 1;
}

}  // namespace dl
