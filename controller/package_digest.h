// The package's digest, kept in step with the file as the download writes it, so that the
// signature check after the last byte costs no second read of the package; only a part kept
// by an earlier run is read again. A build without the site's key keeps no digest.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "config/site_settings.h"
#include "trust/package_verifier.h"

namespace dl {

class PackageDigest {
 public:
  explicit PackageDigest(const PackageKey& key);

  // The build carries the site's key: packages are checked.
  bool enabled() const { return verifier_ != nullptr; }

  // On the downloading thread: the file's new bytes begin at offset. A digest that holds
  // exactly the bytes before it goes on; any other starts again from the file's kept part.
  void WriteFrom(HANDLE file, uint64_t offset);
  // On the downloading thread: the next bytes written.
  void Block(const void* data, uint32_t size);

  // The verdict on the package at path with the signature's bytes. When the running digest
  // does not cover exactly the file's bytes (it failed, or the file is not the one it
  // followed), the file is read again. Every check ends the digest: the next download starts
  // one anew.
  PackageVerdict Verify(const wchar_t* path, const uint8_t* signature, size_t size);
  // The platform's status behind the last verdict that was not kGood (for the report).
  NTSTATUS lastStatus() const { return verifier_ ? verifier_->lastStatus() : 0; }

 private:
  static constexpr uint64_t kNoDigest = ~uint64_t{0};

  std::unique_ptr<PackageVerifier> verifier_;
  uint64_t digested_ = kNoDigest;  // bytes in the running digest, in file order
};

}  // namespace dl
