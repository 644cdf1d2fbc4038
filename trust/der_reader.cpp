#include "trust/der_reader.h"

#include <cstring>

namespace dl {

bool DerReader::Read(uint8_t tag, DerReader* content) {
  if (size_ < 2 || data_[0] != tag) return false;
  size_t header = 2;
  size_t length = data_[1];
  if (length & 0x80) {
    // The long form only where the short one cannot say the length, without leading zero
    // bytes; four length bytes are far beyond any key or signature.
    const size_t count = length & 0x7f;
    if (count == 0 || count > 4 || size_ < header + count || data_[header] == 0) return false;
    length = 0;
    for (size_t i = 0; i < count; ++i) length = length << 8 | data_[header + i];
    header += count;
    if (length < 0x80) return false;
  }
  if (length > size_ - header) return false;
  *content = DerReader(data_ + header, length);
  data_ += header + length;
  size_ -= header + length;
  return true;
}

bool DerReader::ReadExactly(uint8_t tag, const uint8_t* value, size_t size) {
  DerReader copy = *this;
  DerReader content;
  if (!copy.Read(tag, &content) || content.size() != size ||
      std::memcmp(content.data(), value, size) != 0) {
    return false;
  }
  *this = copy;
  return true;
}

}  // namespace dl
