// Reads DER, the one encoding of ASN.1 in which every value has a single spelling: what the
// site's key and signature files hold. What looser encodings allow (padded or indefinite
// lengths) is refused, so no value passes the checks in a second spelling.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dl {

constexpr uint8_t kDerInteger = 0x02;
constexpr uint8_t kDerBitString = 0x03;
constexpr uint8_t kDerObjectId = 0x06;
constexpr uint8_t kDerSequence = 0x30;

// A window on DER bytes, read front to back. It never owns or copies the bytes.
class DerReader {
 public:
  DerReader() = default;
  DerReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  // Reads the next element when its tag is `tag`: `content` gets a window on its value and
  // this reader moves past it. False, with nothing moved, for another tag or a length that is
  // not minimal or runs past the end.
  bool Read(uint8_t tag, DerReader* content);

  // Reads the next element when it is exactly `tag` with `value` as its content.
  bool ReadExactly(uint8_t tag, const uint8_t* value, size_t size);

  bool AtEnd() const { return size_ == 0; }
  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace dl
