#include "trust/public_key_pem.h"

#include <cstring>
#include <vector>

#include "trust/der_reader.h"

namespace dl {

namespace {

constexpr char kBegin[] = "-----BEGIN PUBLIC KEY-----";
constexpr char kEnd[] = "-----END PUBLIC KEY-----";
// 1.2.840.10045.2.1 and 1.2.840.10045.3.1.7 as DER writes them.
constexpr uint8_t kEcPublicKeyOid[] = {0x2a, 0x86, 0x48, 0xce, 0x3d, 0x02, 0x01};
constexpr uint8_t kPrime256v1Oid[] = {0x2a, 0x86, 0x48, 0xce, 0x3d, 0x03, 0x01, 0x07};
constexpr uint8_t kUncompressed = 0x04;
// A key file is small; this bounds what the decoder holds for any other input.
constexpr size_t kMaxBody = 16384;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// Decodes the block's body, blank space between the characters allowed. Canonical only: whole
// groups of four, padding only at the very end, and no stray bits in the last character, so
// that one key has one text.
bool DecodeBase64(const char* text, size_t size, std::vector<uint8_t>* out) {
  std::vector<char> chars;
  for (size_t i = 0; i < size; ++i) {
    if (!IsBlank(text[i])) chars.push_back(text[i]);
  }
  if (chars.empty() || chars.size() % 4 != 0 || chars.size() / 4 * 3 > kMaxBody) return false;
  size_t padding = 0;
  while (padding < 2 && chars[chars.size() - 1 - padding] == '=') ++padding;
  uint32_t bits = 0;
  int count = 0;
  for (size_t i = 0; i < chars.size() - padding; ++i) {
    const int value = Base64Value(chars[i]);
    if (value < 0) return false;
    bits = bits << 6 | static_cast<uint32_t>(value);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out->push_back(static_cast<uint8_t>(bits >> count));
      bits &= (1u << count) - 1;
    }
  }
  return bits == 0;
}

// The PEM block's body between its two lines, with only blank space before and after.
bool FindBody(const char* text, size_t size, const char** body, size_t* bodySize) {
  size_t at = 0;
  while (at < size && IsBlank(text[at])) ++at;
  const size_t beginSize = sizeof kBegin - 1;
  if (size - at < beginSize || std::memcmp(text + at, kBegin, beginSize) != 0) return false;
  at += beginSize;
  const size_t endSize = sizeof kEnd - 1;
  for (size_t end = at; size - end >= endSize; ++end) {
    if (std::memcmp(text + end, kEnd, endSize) != 0) continue;
    for (size_t rest = end + endSize; rest < size; ++rest) {
      if (!IsBlank(text[rest])) return false;
    }
    *body = text + at;
    *bodySize = end - at;
    return true;
  }
  return false;
}

KeyFileProblem ReadKeyInfo(const std::vector<uint8_t>& der, P256Point* point) {
  DerReader file(der.data(), der.size()), info, algorithm, key;
  if (!file.Read(kDerSequence, &info) || !file.AtEnd() || !info.Read(kDerSequence, &algorithm) ||
      !info.Read(kDerBitString, &key) || !info.AtEnd()) {
    return KeyFileProblem::kNotKeyInfo;
  }
  if (!algorithm.ReadExactly(kDerObjectId, kEcPublicKeyOid, sizeof kEcPublicKeyOid)) {
    return KeyFileProblem::kNotEcKey;
  }
  if (!algorithm.ReadExactly(kDerObjectId, kPrime256v1Oid, sizeof kPrime256v1Oid) ||
      !algorithm.AtEnd()) {
    return KeyFileProblem::kNotP256;
  }
  // A bit string's first byte counts the unused bits of its last; a point uses them all.
  const uint8_t* bits = key.data();
  if (key.size() != 2 + point->size() || bits[0] != 0 || bits[1] != kUncompressed) {
    return KeyFileProblem::kNotUncompressedPoint;
  }
  std::memcpy(point->data(), bits + 2, point->size());
  return KeyFileProblem::kNone;
}

}  // namespace

const char* DescribeKeyFileProblem(KeyFileProblem problem) {
  switch (problem) {
    case KeyFileProblem::kNone:
      return "a P-256 public key";
    case KeyFileProblem::kNotPem:
      return "not one PEM block \"PUBLIC KEY\" (a private key, a certificate, or text around it)";
    case KeyFileProblem::kBadBase64:
      return "the PEM block's text is not valid base64";
    case KeyFileProblem::kNotKeyInfo:
      return "the PEM block does not hold a public key";
    case KeyFileProblem::kNotEcKey:
      return "not an elliptic-curve key (RSA or another kind)";
    case KeyFileProblem::kNotP256:
      return "an elliptic-curve key on another curve than P-256 (prime256v1)";
    case KeyFileProblem::kNotUncompressedPoint:
      return "the key's point is compressed (write it with openssl ec -pubout, without "
             "-conv_form)";
  }
  return "unknown problem";
}

KeyFileProblem ReadP256PublicKeyPem(const char* text, size_t size, P256Point* point) {
  const char* body = nullptr;
  size_t bodySize = 0;
  if (!FindBody(text, size, &body, &bodySize)) return KeyFileProblem::kNotPem;
  std::vector<uint8_t> der;
  if (!DecodeBase64(body, bodySize, &der)) return KeyFileProblem::kBadBase64;
  return ReadKeyInfo(der, point);
}

}  // namespace dl
