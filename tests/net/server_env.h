// What the network tests know about the local servers the test command runs: their ports,
// their folder (as the Windows program sees it) and their logs.
#pragma once

#include <cstdint>
#include <string>

// The platform's time record, declared here so that users may include winsock2.h first.
struct _SYSTEMTIME;

namespace nettest {

std::string Env(const char* name);

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

// A text file read whole ("" when missing).
std::string ReadText(const std::string& path);

// Lines of a log that contain every one of the given pieces, waiting up to about two
// seconds for the first of them (servers log as a request finishes, which can trail the
// answer).
int CountLogLines(const std::string& logName, const std::string& piece1,
                  const std::string& piece2 = "");
int WaitForLogLines(const std::string& logName, int atLeast, const std::string& piece1,
                    const std::string& piece2 = "");

// The fault server's object: byte i is (i * 131 + 7) % 251.
std::string Pattern(uint64_t size, uint64_t from = 0);

// A loopback port nobody listens on.
int ClosedPort();

// A text unique to this run, for names that must not meet other runs' log lines.
std::string RunMarker();

}  // namespace nettest
