// Checks a downloaded package against the site's signature with the platform's CNG: a SHA-256
// digest fed while the bytes arrive, then an ECDSA P-256 check of that digest with the key the
// build carries. One object per installation, used by one thread at a time.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "trust/cng_library.h"

namespace dl {

enum class PackageVerdict {
  kGood,                // the site's key signed exactly these bytes
  kBadSignature,        // a well-formed signature, but not the key's over these bytes: the
                        // package was altered, or another key signed it
  kMalformedSignature,  // not a DER ECDSA P-256 signature (empty, cut, too long, re-spelled)
  kKeyRejected,         // the platform refused the build's key
  kCngFailure,          // the cryptography library or a call of it failed, or no digest ran;
                        // lastStatus() says which
};

class PackageVerifier {
 public:
  // `point` is X||Y of the site's P-256 key. Opens the algorithms and imports the key; a
  // failure here shows as the verdict.
  explicit PackageVerifier(const std::array<uint8_t, 64>& point);
  PackageVerifier(const PackageVerifier&) = delete;
  PackageVerifier& operator=(const PackageVerifier&) = delete;

  // Begins a new digest, dropping what was fed before: a download that starts over, or resumes
  // and feeds its kept part again. False when the library fails.
  bool Restart();

  // Adds the next `size` bytes to the digest. Allocates nothing. False when the library fails
  // or no digest runs; the failure sticks until Restart and makes Verify say kCngFailure.
  bool Feed(const void* data, size_t size);

  // Ends the digest and checks `signature` (the .sig file's bytes) against it. The next digest
  // needs a Restart.
  PackageVerdict Verify(const uint8_t* signature, size_t size);

  // SHA-256 of the bytes fed, once Verify has ended a digest (for the log).
  const std::array<uint8_t, 32>& digest() const { return digest_; }
  // The library's status of the last failure, kCngSuccess when none.
  NTSTATUS lastStatus() const { return status_; }

 private:
  bool Succeeded(NTSTATUS status);

  UniqueCngAlgorithm hashAlgorithm_;
  UniqueCngAlgorithm signAlgorithm_;
  UniqueCngKey key_;
  // Sized once: Windows 7's CNG wants the caller's memory for a hash object.
  std::vector<UCHAR> hashObject_;
  UniqueCngHash hash_;  // declared after its memory, so destroyed before it
  std::array<uint8_t, 32> digest_{};
  NTSTATUS status_ = kCngSuccess;
  bool keyRejected_ = false;
  bool feedFailed_ = false;
};

}  // namespace dl
