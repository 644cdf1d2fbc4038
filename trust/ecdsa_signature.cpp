#include "trust/ecdsa_signature.h"

#include <cstring>

#include "trust/der_reader.h"

namespace dl {

namespace {

constexpr size_t kScalarSize = 32;

// One INTEGER into its 32 bytes, zeros in front of a shorter number.
bool ReadScalar(DerReader* sequence, uint8_t* out) {
  DerReader number;
  if (!sequence->Read(kDerInteger, &number) || number.size() == 0) return false;
  const uint8_t* bytes = number.data();
  size_t size = number.size();
  if (bytes[0] & 0x80) return false;  // negative
  if (bytes[0] == 0) {
    // A leading zero only keeps a high bit from reading as a sign; anywhere else it pads (or
    // is the number zero, which no signature holds).
    if (size == 1 || !(bytes[1] & 0x80)) return false;
    ++bytes;
    --size;
  }
  if (size > kScalarSize) return false;
  std::memset(out, 0, kScalarSize - size);
  std::memcpy(out + kScalarSize - size, bytes, size);
  return true;
}

}  // namespace

bool P256SignatureFromDer(const uint8_t* der, size_t size, P256Signature* signature) {
  if (size > kP256DerSignatureMax) return false;
  DerReader file(der, size), sequence;
  P256Signature read;
  if (!file.Read(kDerSequence, &sequence) || !file.AtEnd() || !ReadScalar(&sequence, read.data()) ||
      !ReadScalar(&sequence, read.data() + kScalarSize) || !sequence.AtEnd()) {
    return false;
  }
  *signature = read;
  return true;
}

}  // namespace dl
