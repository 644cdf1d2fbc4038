// The site's key file and the package's signature file, both read from bytes anyone on the
// path (or a careless copy) may have changed. Input: a mode byte, then the bytes: 0 a .sig
// file, 1 a key file's text, 2 a key's DER that the harness wraps into a key file.
#include <cstdint>
#include <cstring>
#include <string>

#include "tests/trust/key_file_text.h"
#include "trust/ecdsa_signature.h"
#include "trust/public_key_pem.h"

namespace {

void Require(bool ok) {
  if (!ok) __builtin_trap();
}

using dltest::Tlv;

// The one DER spelling of a 32-byte big-endian number: no padding, a sign byte when needed.
std::string Integer(const uint8_t* bytes) {
  size_t skip = 0;
  while (skip < 31 && bytes[skip] == 0) ++skip;
  std::string content(reinterpret_cast<const char*>(bytes) + skip, 32 - skip);
  if (bytes[skip] & 0x80) content.insert(content.begin(), '\0');
  return Tlv(0x02, content);
}

const char kKeyInfoPrefix[] =
    "\x30\x59\x30\x13\x06\x07\x2a\x86\x48\xce\x3d\x02\x01\x06\x08\x2a\x86\x48\xce\x3d\x03\x01\x07"
    "\x03\x42\x00\x04";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t mode = data[0] % 3;
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

  if (mode == 0) {
    // DER has one spelling per signature: what passes is exactly the spelling of what it read.
    dl::P256Signature rs;
    if (dl::P256SignatureFromDer(data + 1, size - 1, &rs)) {
      Require(bytes == Tlv(0x30, Integer(rs.data()) + Integer(rs.data() + 32)));
      Require(bytes.size() <= dl::kP256DerSignatureMax);
    }
    return 0;
  }

  dl::P256Point point;
  const std::string text = mode == 1 ? bytes : dltest::PublicKeyPem(bytes);
  const dl::KeyFileProblem problem = dl::ReadP256PublicKeyPem(text.data(), text.size(), &point);
  if (mode == 2) {
    // Only the one DER spelling of a P-256 key passes.
    const std::string prefix(kKeyInfoPrefix, sizeof kKeyInfoPrefix - 1);
    const bool canonical = bytes.size() == prefix.size() + point.size() &&
                           bytes.compare(0, prefix.size(), prefix) == 0;
    Require((problem == dl::KeyFileProblem::kNone) == canonical);
    if (canonical) Require(std::memcmp(point.data(), bytes.data() + prefix.size(), 64) == 0);
  }
  return 0;
}
