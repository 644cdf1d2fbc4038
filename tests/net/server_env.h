// What the network tests know about the local servers the test command runs: their ports,
// their folder (as the Windows program sees it) and their logs.
#pragma once

#include <cstdint>
#include <string>

struct _SYSTEMTIME;  // the platform's time record; users may include winsock2.h first

namespace nettest {

// "127.0.0.1:<port>" of nginx (first or second port) and of the fault server; "" when the
// servers are not running.
std::string NginxHost();
std::string NginxHost2();
std::string FaultHost();
// The servers' folder as a Windows path, without a trailing backslash.
std::string ServersDir();

// Puts a file into nginx's /update/ folder; with a time, that is its last-write time and so
// the Last-Modified nginx answers.
bool PutUpdateFile(const std::string& name, const std::string& bytes,
                   const _SYSTEMTIME* lastWrite = nullptr);
void RemoveUpdateFile(const std::string& name);
std::string ReadText(const std::string& path);  // "" when missing

// Lines of a log in the servers' folder that contain both pieces; the waiting form gives the
// servers about two seconds to log a request, which can trail the answer.
int CountLogLines(const std::string& logName, const std::string& piece1,
                  const std::string& piece2 = "");
int WaitForLogLines(const std::string& logName, int atLeast, const std::string& piece1,
                    const std::string& piece2 = "");

std::string Pattern(uint64_t size, uint64_t from = 0);  // the fault server's object bytes
int ClosedPort();                                       // a loopback port nobody listens on
std::string RunMarker();  // unique to this run, so other runs' log lines never match

}  // namespace nettest
