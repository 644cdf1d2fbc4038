#include "net/internet_library.h"

#include "base/system_library.h"

namespace dl {

namespace {

// Every function the program uses, resolved once. The pointer types come from the platform's
// declarations, calling convention included.
struct InternetLibrary {
  SystemLibrary library{L"wininet.dll"};
  decltype(&::InternetOpenA) openA = library.Resolve<decltype(openA)>("InternetOpenA");
  decltype(&::InternetOpenW) openW = library.Resolve<decltype(openW)>("InternetOpenW");
  decltype(&::InternetConnectA) connectA = library.Resolve<decltype(connectA)>("InternetConnectA");
  decltype(&::InternetOpenUrlW) openUrlW = library.Resolve<decltype(openUrlW)>("InternetOpenUrlW");
  decltype(&::HttpOpenRequestA) openRequestA =
      library.Resolve<decltype(openRequestA)>("HttpOpenRequestA");
  decltype(&::HttpAddRequestHeadersA) addRequestHeadersA =
      library.Resolve<decltype(addRequestHeadersA)>("HttpAddRequestHeadersA");
  decltype(&::HttpSendRequestA) sendRequestA =
      library.Resolve<decltype(sendRequestA)>("HttpSendRequestA");
  decltype(&::HttpQueryInfoA) queryInfoA = library.Resolve<decltype(queryInfoA)>("HttpQueryInfoA");
  decltype(&::InternetReadFile) readFile = library.Resolve<decltype(readFile)>("InternetReadFile");
  decltype(&::InternetSetOptionA) setOptionA =
      library.Resolve<decltype(setOptionA)>("InternetSetOptionA");
  decltype(&::InternetQueryOptionA) queryOptionA =
      library.Resolve<decltype(queryOptionA)>("InternetQueryOptionA");
  decltype(&::InternetCloseHandle) closeHandle =
      library.Resolve<decltype(closeHandle)>("InternetCloseHandle");
};

// Loaded on first use by whichever thread comes first (the initialisation is thread-safe); freed
// at exit, after every handle of it has been closed.
const InternetLibrary& Library() {
  static const InternetLibrary library;
  return library;
}

}  // namespace

HINTERNET InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass,
                        DWORD flags) {
  const InternetLibrary& l = Library();
  return CallBound(l.library, l.openA, HINTERNET{}, agent, accessType, proxy, proxyBypass, flags);
}

HINTERNET InternetOpenW(LPCWSTR agent, DWORD accessType, LPCWSTR proxy, LPCWSTR proxyBypass,
                        DWORD flags) {
  const InternetLibrary& l = Library();
  return CallBound(l.library, l.openW, HINTERNET{}, agent, accessType, proxy, proxyBypass, flags);
}

HINTERNET InternetConnectA(HINTERNET session, LPCSTR serverName, INTERNET_PORT port,
                           LPCSTR userName, LPCSTR password, DWORD service, DWORD flags,
                           DWORD_PTR context) {
  const InternetLibrary& l = Library();
  return CallBound(l.library, l.connectA, HINTERNET{}, session, serverName, port, userName,
                   password, service, flags, context);
}

HINTERNET InternetOpenUrlW(HINTERNET session, LPCWSTR url, LPCWSTR headers, DWORD headersLength,
                           DWORD flags, DWORD_PTR context) {
  const InternetLibrary& l = Library();
  return CallBound(l.library, l.openUrlW, HINTERNET{}, session, url, headers, headersLength, flags,
                   context);
}

HINTERNET HttpOpenRequestA(HINTERNET connection, LPCSTR verb, LPCSTR objectName, LPCSTR version,
                           LPCSTR referrer, LPCSTR* acceptTypes, DWORD flags, DWORD_PTR context) {
  const InternetLibrary& l = Library();
  return CallBound(l.library, l.openRequestA, HINTERNET{}, connection, verb, objectName, version,
                   referrer, acceptTypes, flags, context);
}

BOOL HttpAddRequestHeadersA(HINTERNET request, LPCSTR headers, DWORD headersLength,
                            DWORD modifiers) {
  const InternetLibrary& l = Library();
  return CallBound(l.library, l.addRequestHeadersA, BOOL{FALSE}, request, headers, headersLength,
                   modifiers);
}

BOOL HttpSendRequestA(HINTERNET request, LPCSTR headers, DWORD headersLength, LPVOID optional,
                      DWORD optionalLength) {
  const InternetLibrary& l = Library();
  return CallBound(l.library, l.sendRequestA, BOOL{FALSE}, request, headers, headersLength,
                   optional, optionalLength);
}

BOOL HttpQueryInfoA(HINTERNET request, DWORD infoLevel, LPVOID buffer, LPDWORD bufferLength,
                    LPDWORD index) {
  const InternetLibrary& l = Library();
  return CallBound(l.library, l.queryInfoA, BOOL{FALSE}, request, infoLevel, buffer, bufferLength,
                   index);
}

BOOL InternetReadFile(HINTERNET file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead) {
  const InternetLibrary& l = Library();
  return CallBound(l.library, l.readFile, BOOL{FALSE}, file, buffer, bytesToRead, bytesRead);
}

BOOL InternetSetOptionA(HINTERNET handle, DWORD option, LPVOID buffer, DWORD bufferLength) {
  const InternetLibrary& l = Library();
  return CallBound(l.library, l.setOptionA, BOOL{FALSE}, handle, option, buffer, bufferLength);
}

BOOL InternetQueryOptionA(HINTERNET handle, DWORD option, LPVOID buffer, LPDWORD bufferLength) {
  const InternetLibrary& l = Library();
  return CallBound(l.library, l.queryOptionA, BOOL{FALSE}, handle, option, buffer, bufferLength);
}

BOOL InternetCloseHandle(HINTERNET handle) {
  const InternetLibrary& l = Library();
  return CallBound(l.library, l.closeHandle, BOOL{FALSE}, handle);
}

}  // namespace dl
