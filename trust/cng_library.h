// The platform's cryptography library (CNG, bcrypt.dll), loaded from the system folder on first
// use and kept for the life of the process: it is not a KnownDLL, so importing it would let a
// file of that name beside the program be loaded instead (see base/system_library.h). The
// functions carry the platform's names and signatures in this namespace; when the library or
// a function is missing, each returns kCngNotBound with the loader's error as last error.
#pragma once

#include <windows.h>
#include <bcrypt.h>

#include "base/win_handles.h"

namespace dl {

constexpr NTSTATUS kCngSuccess = 0;
constexpr NTSTATUS kCngInvalidSignature =
    static_cast<NTSTATUS>(0xC000A000);                                // STATUS_INVALID_SIGNATURE
constexpr NTSTATUS kCngNotBound = static_cast<NTSTATUS>(0xC0000135);  // STATUS_DLL_NOT_FOUND
constexpr NTSTATUS kCngInvalidHandle = static_cast<NTSTATUS>(0xC0000008);  // STATUS_INVALID_HANDLE

NTSTATUS BCryptOpenAlgorithmProvider(BCRYPT_ALG_HANDLE* algorithm, LPCWSTR id,
                                     LPCWSTR implementation, ULONG flags);
NTSTATUS BCryptCloseAlgorithmProvider(BCRYPT_ALG_HANDLE algorithm, ULONG flags);
NTSTATUS BCryptGetProperty(BCRYPT_HANDLE object, LPCWSTR property, PUCHAR output, ULONG size,
                           ULONG* result, ULONG flags);
NTSTATUS BCryptCreateHash(BCRYPT_ALG_HANDLE algorithm, BCRYPT_HASH_HANDLE* hash, PUCHAR hashObject,
                          ULONG hashObjectSize, PUCHAR secret, ULONG secretSize, ULONG flags);
NTSTATUS BCryptHashData(BCRYPT_HASH_HANDLE hash, PUCHAR input, ULONG size, ULONG flags);
NTSTATUS BCryptFinishHash(BCRYPT_HASH_HANDLE hash, PUCHAR output, ULONG size, ULONG flags);
NTSTATUS BCryptDestroyHash(BCRYPT_HASH_HANDLE hash);
NTSTATUS BCryptImportKeyPair(BCRYPT_ALG_HANDLE algorithm, BCRYPT_KEY_HANDLE importKey,
                             LPCWSTR blobType, BCRYPT_KEY_HANDLE* key, PUCHAR input, ULONG size,
                             ULONG flags);
NTSTATUS BCryptVerifySignature(BCRYPT_KEY_HANDLE key, VOID* paddingInfo, PUCHAR hash,
                               ULONG hashSize, PUCHAR signature, ULONG signatureSize, ULONG flags);
NTSTATUS BCryptDestroyKey(BCRYPT_KEY_HANDLE key);

// Closes an algorithm provider the way the owners below close every CNG handle.
NTSTATUS CloseCngAlgorithm(BCRYPT_ALG_HANDLE algorithm);

// Owners of the three handle kinds (all plain pointers to CNG); closing goes through this
// binding, hence here and not in base/.
template <NTSTATUS (*Destroy)(void*)>
struct CngHandleTraits {
  using Handle = void*;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept {
    detail::LastErrorKeeper keep;
    Destroy(h);
  }
};
using UniqueCngAlgorithm = UniqueOwner<CngHandleTraits<CloseCngAlgorithm>>;
using UniqueCngHash = UniqueOwner<CngHandleTraits<BCryptDestroyHash>>;
using UniqueCngKey = UniqueOwner<CngHandleTraits<BCryptDestroyKey>>;

}  // namespace dl
