#include "controller/package_digest.h"

#include "trust/file_digest.h"

namespace dl {

PackageDigest::PackageDigest(const PackageKey& key) {
  if (key.present) verifier_ = std::make_unique<PackageVerifier>(key.point);
}

void PackageDigest::WriteFrom(HANDLE file, uint64_t offset) {
  if (!verifier_ || digested_ == offset) return;
  // A failed restart or read leaves no digest: the check reads the whole file instead.
  const bool fed = verifier_->Restart() && FeedFilePrefix(file, offset, verifier_.get());
  digested_ = fed ? offset : kNoDigest;
}

void PackageDigest::Block(const void* data, uint32_t size) {
  if (!verifier_ || digested_ == kNoDigest) return;
  digested_ = verifier_->Feed(data, size) ? digested_ + size : kNoDigest;
}

PackageVerdict PackageDigest::Verify(const wchar_t* path, const uint8_t* signature, size_t size) {
  if (!verifier_) return PackageVerdict::kCngFailure;
  WIN32_FILE_ATTRIBUTE_DATA file = {};
  const bool sized = GetFileAttributesExW(path, GetFileExInfoStandard, &file) != FALSE;
  const uint64_t length = (uint64_t{file.nFileSizeHigh} << 32) | file.nFileSizeLow;
  if (!sized || digested_ != length) {
    if (!FeedWholeFile(path, verifier_.get())) {
      digested_ = kNoDigest;
      return PackageVerdict::kCngFailure;
    }
  }
  digested_ = kNoDigest;
  return verifier_->Verify(signature, size);
}

}  // namespace dl
