#include "net/tls_channel.h"

#include <schannel.h>

#include "net/internet_library.h"

namespace dl {

namespace {

// The library's connection record; this SDK's header lacks it and the option's number.
struct ConnectionRecord {
  DWORD size;
  BOOL secure;
  SecPkgContext_ConnectionInfo connection;
  SecPkgContext_CipherInfo cipher;
};
constexpr DWORD kOptionConnectionRecord = 66;

// The client's and the server's bit of each protocol alike.
constexpr DWORD kOlderThanTls12 =
    SP_PROT_PCT1 | SP_PROT_SSL2 | SP_PROT_SSL3 | SP_PROT_TLS1_0 | SP_PROT_TLS1_1;

}  // namespace

bool ChannelBelowTls12(HINTERNET request) {
  ConnectionRecord record = {};
  record.size = sizeof record;
  DWORD length = sizeof record;
  if (!InternetQueryOptionA(request, kOptionConnectionRecord, &record, &length)) return false;
  return record.secure && (record.connection.dwProtocol & kOlderThanTls12) != 0;
}

}  // namespace dl
