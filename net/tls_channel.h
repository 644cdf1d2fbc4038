// What the platform's internet library tells about the TLS channel of a request. The library
// takes its protocol versions from the user's Internet Options and offers a program no way to
// ask for TLS 1.2 and later up front, so the channel it made is judged after the handshake.
#pragma once

#include <windows.h>
#include <wininet.h>

namespace dl {

// True when the library reports that the request's channel runs a protocol older than
// TLS 1.2 (which someone on the path can also force by breaking the newer handshakes). A
// library that reports nothing (older versions, wine) is taken at its word: false.
bool ChannelBelowTls12(HINTERNET request);

}  // namespace dl
