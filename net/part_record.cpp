#include "net/part_record.h"

#include <cstring>

#include "base/bounded_text.h"
#include "net/http_parse.h"

namespace dl {

namespace {

constexpr char kEndLine[] = "end";

bool CopyValue(const char* text, size_t size, char* out) {
  if (size >= kValidatorCap) return false;
  for (size_t i = 0; i < size; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7F) return false;
  }
  std::memcpy(out, text, size);
  out[size] = '\0';
  return true;
}

bool StrongEtag(const char* etag) { return etag[0] == '"'; }

}  // namespace

bool MakeIdentity(uint64_t length, const char* lastModified, const char* etag,
                  ObjectIdentity* out) {
  ObjectIdentity id;
  id.length = length;
  if (!CopyValue(lastModified, std::strlen(lastModified), id.lastModified) ||
      !CopyValue(etag, std::strlen(etag), id.etag)) {
    return false;
  }
  *out = id;
  return true;
}

bool SameObject(const ObjectIdentity& a, const ObjectIdentity& b) {
  return a.length == b.length && std::strcmp(a.lastModified, b.lastModified) == 0 &&
         std::strcmp(a.etag, b.etag) == 0;
}

bool FormatPartRecord(const ObjectIdentity& id, char* out, size_t cap, size_t* written) {
  if (!FormatBounded(out, cap, "length=%llu\nlast-modified=%s\netag=%s\n%s\n",
                     static_cast<unsigned long long>(id.length), id.lastModified, id.etag,
                     kEndLine)) {
    return false;
  }
  *written = std::strlen(out);
  return true;
}

bool ParsePartRecord(const char* text, size_t size, ObjectIdentity* out) {
  ObjectIdentity id;
  bool haveLength = false, haveDate = false, haveEtag = false, ended = false;
  size_t at = 0;
  while (at < size && !ended) {
    const char* line = text + at;
    const void* newline = std::memchr(line, '\n', size - at);
    if (newline == nullptr) return false;  // cut short
    const size_t length = static_cast<size_t>(static_cast<const char*>(newline) - line);
    at += length + 1;
    const char* equals = static_cast<const char*>(std::memchr(line, '=', length));
    if (equals == nullptr) {
      if (length != sizeof kEndLine - 1 || std::memcmp(line, kEndLine, length) != 0) return false;
      ended = true;
      continue;
    }
    const size_t keySize = static_cast<size_t>(equals - line);
    const char* value = equals + 1;
    const size_t valueSize = length - keySize - 1;
    auto is = [&](const char* key) {
      return keySize == std::strlen(key) && std::memcmp(line, key, keySize) == 0;
    };
    bool ok = false;
    if (is("length") && !haveLength) {
      char digits[24];
      ok = valueSize > 0 && valueSize < sizeof digits && CopyValue(value, valueSize, digits) &&
           std::strspn(digits, "0123456789") == valueSize && ParseContentLength(digits, &id.length);
      haveLength = true;
    } else if (is("last-modified") && !haveDate) {
      ok = CopyValue(value, valueSize, id.lastModified);
      haveDate = true;
    } else if (is("etag") && !haveEtag) {
      ok = CopyValue(value, valueSize, id.etag);
      haveEtag = true;
    }
    if (!ok) return false;
  }
  // Nothing may follow the end line, and every field must have come before it.
  if (!ended || at != size || !haveLength || !haveDate || !haveEtag) return false;
  *out = id;
  return true;
}

bool FormatResumeHeaders(uint64_t offset, const ObjectIdentity& id, char* out, size_t cap) {
  if (!FormatRangeHeader(offset, out, cap)) return false;
  const char* validator = StrongEtag(id.etag) ? id.etag : id.lastModified;
  if (validator[0] == '\0') return true;
  const size_t used = std::strlen(out);
  return FormatBounded(out + used, cap - used, "\r\nIf-Range: %s", validator);
}

}  // namespace dl
