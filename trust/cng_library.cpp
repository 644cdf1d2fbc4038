#include "trust/cng_library.h"

#include "base/system_library.h"

namespace dl {

namespace {

// Every function the program uses, resolved once; the pointer types come from the platform's
// declarations, calling convention included.
struct CngLibrary {
  SystemLibrary library{L"bcrypt.dll"};
  decltype(&::BCryptOpenAlgorithmProvider) openAlgorithm =
      library.Resolve<decltype(openAlgorithm)>("BCryptOpenAlgorithmProvider");
  decltype(&::BCryptCloseAlgorithmProvider) closeAlgorithm =
      library.Resolve<decltype(closeAlgorithm)>("BCryptCloseAlgorithmProvider");
  decltype(&::BCryptGetProperty) getProperty =
      library.Resolve<decltype(getProperty)>("BCryptGetProperty");
  decltype(&::BCryptCreateHash) createHash =
      library.Resolve<decltype(createHash)>("BCryptCreateHash");
  decltype(&::BCryptHashData) hashData = library.Resolve<decltype(hashData)>("BCryptHashData");
  decltype(&::BCryptFinishHash) finishHash =
      library.Resolve<decltype(finishHash)>("BCryptFinishHash");
  decltype(&::BCryptDestroyHash) destroyHash =
      library.Resolve<decltype(destroyHash)>("BCryptDestroyHash");
  decltype(&::BCryptImportKeyPair) importKeyPair =
      library.Resolve<decltype(importKeyPair)>("BCryptImportKeyPair");
  decltype(&::BCryptVerifySignature) verifySignature =
      library.Resolve<decltype(verifySignature)>("BCryptVerifySignature");
  decltype(&::BCryptDestroyKey) destroyKey =
      library.Resolve<decltype(destroyKey)>("BCryptDestroyKey");
};

// Loaded on first use by whichever thread comes first (the initialisation is thread-safe);
// freed at exit, after every handle of it has been closed.
const CngLibrary& Library() {
  static const CngLibrary library;
  return library;
}

}  // namespace

NTSTATUS BCryptOpenAlgorithmProvider(BCRYPT_ALG_HANDLE* algorithm, LPCWSTR id,
                                     LPCWSTR implementation, ULONG flags) {
  const CngLibrary& l = Library();
  return CallBound(l.library, l.openAlgorithm, kCngNotBound, algorithm, id, implementation, flags);
}

NTSTATUS BCryptCloseAlgorithmProvider(BCRYPT_ALG_HANDLE algorithm, ULONG flags) {
  const CngLibrary& l = Library();
  return CallBound(l.library, l.closeAlgorithm, kCngNotBound, algorithm, flags);
}

NTSTATUS CloseCngAlgorithm(BCRYPT_ALG_HANDLE algorithm) {
  return BCryptCloseAlgorithmProvider(algorithm, 0);
}

NTSTATUS BCryptGetProperty(BCRYPT_HANDLE object, LPCWSTR property, PUCHAR output, ULONG size,
                           ULONG* result, ULONG flags) {
  const CngLibrary& l = Library();
  return CallBound(l.library, l.getProperty, kCngNotBound, object, property, output, size, result,
                   flags);
}

NTSTATUS BCryptCreateHash(BCRYPT_ALG_HANDLE algorithm, BCRYPT_HASH_HANDLE* hash, PUCHAR hashObject,
                          ULONG hashObjectSize, PUCHAR secret, ULONG secretSize, ULONG flags) {
  const CngLibrary& l = Library();
  return CallBound(l.library, l.createHash, kCngNotBound, algorithm, hash, hashObject,
                   hashObjectSize, secret, secretSize, flags);
}

NTSTATUS BCryptHashData(BCRYPT_HASH_HANDLE hash, PUCHAR input, ULONG size, ULONG flags) {
  const CngLibrary& l = Library();
  return CallBound(l.library, l.hashData, kCngNotBound, hash, input, size, flags);
}

NTSTATUS BCryptFinishHash(BCRYPT_HASH_HANDLE hash, PUCHAR output, ULONG size, ULONG flags) {
  const CngLibrary& l = Library();
  return CallBound(l.library, l.finishHash, kCngNotBound, hash, output, size, flags);
}

NTSTATUS BCryptDestroyHash(BCRYPT_HASH_HANDLE hash) {
  const CngLibrary& l = Library();
  return CallBound(l.library, l.destroyHash, kCngNotBound, hash);
}

NTSTATUS BCryptImportKeyPair(BCRYPT_ALG_HANDLE algorithm, BCRYPT_KEY_HANDLE importKey,
                             LPCWSTR blobType, BCRYPT_KEY_HANDLE* key, PUCHAR input, ULONG size,
                             ULONG flags) {
  const CngLibrary& l = Library();
  return CallBound(l.library, l.importKeyPair, kCngNotBound, algorithm, importKey, blobType, key,
                   input, size, flags);
}

NTSTATUS BCryptVerifySignature(BCRYPT_KEY_HANDLE key, VOID* paddingInfo, PUCHAR hash,
                               ULONG hashSize, PUCHAR signature, ULONG signatureSize, ULONG flags) {
  const CngLibrary& l = Library();
  return CallBound(l.library, l.verifySignature, kCngNotBound, key, paddingInfo, hash, hashSize,
                   signature, signatureSize, flags);
}

NTSTATUS BCryptDestroyKey(BCRYPT_KEY_HANDLE key) {
  const CngLibrary& l = Library();
  return CallBound(l.library, l.destroyKey, kCngNotBound, key);
}

}  // namespace dl
