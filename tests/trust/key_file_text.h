// Writes DER elements and public key files the way openssl does, for the tests and the fuzz
// harness that hold the readers in trust/ against them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace dltest {

// One element; contents up to 255 bytes (the long length form where the short one cannot).
inline std::string Tlv(uint8_t tag, const std::string& content) {
  std::string out(1, static_cast<char>(tag));
  if (content.size() >= 0x80) out += static_cast<char>(0x81);
  return out + static_cast<char>(content.size()) + content;
}

inline std::string Base64(const std::string& bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t group = 0;
    for (size_t j = 0; j < 3; ++j)
      group = group << 8 | (i + j < bytes.size() ? static_cast<uint8_t>(bytes[i + j]) : 0);
    for (size_t j = 0; j < 4; ++j)
      out += j <= bytes.size() - i ? kDigits[(group >> (18 - 6 * j)) & 63] : '=';
  }
  return out;
}

// A "PUBLIC KEY" file holding `der`: base64 in lines of 64, each ended by `newline`.
inline std::string PublicKeyPem(const std::string& der, const char* newline = "\n") {
  const std::string body = Base64(der);
  std::string out = std::string("-----BEGIN PUBLIC KEY-----") + newline;
  for (size_t at = 0; at < body.size(); at += 64) out += body.substr(at, 64) + newline;
  return out + "-----END PUBLIC KEY-----" + newline;
}

}  // namespace dltest
