// The site's public key file as `openssl ec -pubout` writes it for a P-256 key: one PEM block
// "PUBLIC KEY" holding a SubjectPublicKeyInfo for id-ecPublicKey on prime256v1 with an
// uncompressed point. The build reads it into the point X||Y the program carries.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace dl {

// X||Y, 32 big-endian bytes each: the form the platform's key blob takes after its header.
using P256Point = std::array<uint8_t, 64>;

enum class KeyFileProblem {
  kNone,
  kNotPem,                // not one "PUBLIC KEY" block with nothing but blank space around it
  kBadBase64,             // the block's text is not canonical base64
  kNotKeyInfo,            // the bytes are not one SubjectPublicKeyInfo
  kNotEcKey,              // a key of another kind (RSA, Ed25519, ...)
  kNotP256,               // an elliptic-curve key on another curve, or with explicit parameters
  kNotUncompressedPoint,  // a compressed or otherwise encoded point
};

// A sentence naming the problem, for the build's error message.
const char* DescribeKeyFileProblem(KeyFileProblem problem);

// Reads the key file's `size` bytes at `text` into `point` (untouched unless kNone).
KeyFileProblem ReadP256PublicKeyPem(const char* text, size_t size, P256Point* point);

}  // namespace dl
