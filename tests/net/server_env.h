// The local servers the network tests run against: ports, folder (as Windows names it), logs.
#pragma once

#include <windows.h>
#include <cstdint>
#include <string>

namespace nettest {

std::string NginxHost();  // "127.0.0.1:<port>", or "" when the servers are not running
std::string FaultHost();
// Host settings of the TLS ports ("https://localhost:<port>"; the certificates name localhost):
// a certificate the prefix trusts, one from an authority nobody trusts, one for another name.
std::string TlsHost();
std::string UntrustedTlsHost();
std::string WrongNameTlsHost();
std::string PortOf(const std::string& host);   // as access.log names it
std::string ServersDir();                      // without a trailing backslash
constexpr char kClosedHost[] = "127.0.0.1:1";  // refused at once on the bench

inline std::wstring Wide(const std::string& ascii) { return {ascii.begin(), ascii.end()}; }
bool WriteStamped(const std::wstring& path, const std::string& bytes, const SYSTEMTIME* time);
// Its last-write time is the Last-Modified nginx answers for /update/<name>.
bool PutUpdateFile(const std::string& name, const std::string& bytes,
                   const SYSTEMTIME* time = nullptr);
void RemoveUpdateFile(const std::string& name);
std::string ReadLog(const std::string& logName);
// Servers log after answering, so this waits up to two seconds for waitFor lines.
int LogLines(const std::string& logName, const std::string& piece1, const std::string& piece2 = "",
             int waitFor = 0);
std::string Pattern(uint64_t size, uint64_t from = 0);  // the fault server's object bytes
std::string RunMarker();  // unique to this run, so other runs' log lines never match

}  // namespace nettest
