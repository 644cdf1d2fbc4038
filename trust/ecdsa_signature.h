// The package's signature as `openssl dgst -sha256 -sign` writes it for a P-256 key (DER:
// SEQUENCE { INTEGER r, INTEGER s }), turned into the fixed r||s the platform's verifier takes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace dl {

// r||s, 32 big-endian bytes each.
using P256Signature = std::array<uint8_t, 64>;

// The longest DER a P-256 signature can take: both numbers 33 bytes with their sign byte.
constexpr size_t kP256DerSignatureMax = 72;

// Reads the `size` bytes at `der` into `signature` (untouched on failure). Only the one DER
// spelling of a signature passes: minimal lengths, no trailing bytes, each number positive,
// non-zero and at most 32 bytes after its sign byte, so a signature cannot be re-spelled
// into another one that also verifies.
bool P256SignatureFromDer(const uint8_t* der, size_t size, P256Signature* signature);

}  // namespace dl
