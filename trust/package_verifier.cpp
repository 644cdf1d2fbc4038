#include "trust/package_verifier.h"

#include <cstring>

#include "trust/ecdsa_signature.h"

namespace dl {

namespace {
// BCryptHashData takes 32-bit sizes.
constexpr size_t kMaxHashCall = 1u << 30;
}  // namespace

PackageVerifier::PackageVerifier(const std::array<uint8_t, 64>& point) {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  if (!Succeeded(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
    return;
  }
  hashAlgorithm_.Reset(algorithm);
  DWORD objectSize = 0;
  ULONG written = 0;
  if (!Succeeded(BCryptGetProperty(hashAlgorithm_.Get(), BCRYPT_OBJECT_LENGTH,
                                   reinterpret_cast<PUCHAR>(&objectSize), sizeof objectSize,
                                   &written, 0))) {
    return;
  }
  hashObject_.resize(objectSize);

  algorithm = nullptr;
  if (!Succeeded(
          BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0))) {
    return;
  }
  signAlgorithm_.Reset(algorithm);
  // The public blob is its header followed by X and Y.
  UCHAR blob[sizeof(BCRYPT_ECCKEY_BLOB) + 64];
  const BCRYPT_ECCKEY_BLOB header = {BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
  std::memcpy(blob, &header, sizeof header);
  std::memcpy(blob + sizeof header, point.data(), point.size());
  BCRYPT_KEY_HANDLE key = nullptr;
  const NTSTATUS imported = BCryptImportKeyPair(signAlgorithm_.Get(), nullptr,
                                                BCRYPT_ECCPUBLIC_BLOB, &key, blob, sizeof blob, 0);
  keyRejected_ = !Succeeded(imported) && imported != kCngNotBound;
  key_.Reset(key);
}

bool PackageVerifier::Succeeded(NTSTATUS status) {
  if (status >= 0) return true;
  status_ = status;
  return false;
}

bool PackageVerifier::Restart() {
  hash_.Reset();
  feedFailed_ = false;
  if (!hashAlgorithm_) return false;
  BCRYPT_HASH_HANDLE hash = nullptr;
  if (!Succeeded(BCryptCreateHash(hashAlgorithm_.Get(), &hash, hashObject_.data(),
                                  static_cast<ULONG>(hashObject_.size()), nullptr, 0, 0))) {
    return false;
  }
  hash_.Reset(hash);
  return true;
}

bool PackageVerifier::Feed(const void* data, size_t size) {
  if (!hash_ || feedFailed_) return false;
  // The library only reads the input; its declaration predates const.
  auto* bytes = static_cast<PUCHAR>(const_cast<void*>(data));
  while (size > 0) {
    const size_t part = size < kMaxHashCall ? size : kMaxHashCall;
    if (!Succeeded(BCryptHashData(hash_.Get(), bytes, static_cast<ULONG>(part), 0))) {
      feedFailed_ = true;
      return false;
    }
    bytes += part;
    size -= part;
  }
  return true;
}

PackageVerdict PackageVerifier::Verify(const uint8_t* signature, size_t size) {
  UniqueCngHash hash(hash_.Release());
  if (!hash || feedFailed_) {
    if (status_ == kCngSuccess) status_ = kCngInvalidHandle;  // no digest ran
    return PackageVerdict::kCngFailure;
  }
  if (!Succeeded(BCryptFinishHash(hash.Get(), digest_.data(), digest_.size(), 0))) {
    return PackageVerdict::kCngFailure;
  }
  if (keyRejected_) return PackageVerdict::kKeyRejected;
  if (!key_) return PackageVerdict::kCngFailure;

  P256Signature rs;
  if (!P256SignatureFromDer(signature, size, &rs)) return PackageVerdict::kMalformedSignature;
  const NTSTATUS checked = BCryptVerifySignature(key_.Get(), nullptr, digest_.data(),
                                                 digest_.size(), rs.data(), rs.size(), 0);
  if (checked == kCngInvalidSignature) return PackageVerdict::kBadSignature;
  return Succeeded(checked) ? PackageVerdict::kGood : PackageVerdict::kCngFailure;
}

}  // namespace dl
