#include "tests/net/server_env.h"

#include <cstdlib>
#include <sstream>

#include "tests/support/win_test_util.h"

namespace nettest {

static std::string Env(const char* name) { return std::getenv(name) ? std::getenv(name) : ""; }
static std::string Loopback(const char* port) {
  return Env(port).empty() ? "" : "127.0.0.1:" + Env(port);
}
static std::wstring UpdateFile(const std::string& name) {
  return Wide(ServersDir() + "\\www\\update\\" + name);
}
static std::string Tls(const char* port) {
  return Env(port).empty() ? "" : "https://localhost:" + Env(port);
}
std::string NginxHost() { return Loopback("DL_NGINX_PORT"); }
std::string FaultHost() { return Loopback("DL_FAULT_PORT"); }
std::string TlsHost() { return Tls("DL_TLS_PORT"); }
std::string UntrustedTlsHost() { return Tls("DL_TLS_UNTRUSTED_PORT"); }
std::string WrongNameTlsHost() { return Tls("DL_TLS_WRONG_NAME_PORT"); }
std::string PortOf(const std::string& host) { return host.substr(host.rfind(':') + 1); }
std::string ServersDir() { return Env("DL_SERVERS_DIR_WIN"); }

bool WriteStamped(const std::wstring& path, const std::string& bytes, const SYSTEMTIME* time) {
  if (!dltest::WriteWholeFile(path, bytes) || time == nullptr) return time == nullptr;
  HANDLE file =
      CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  FILETIME stamp;
  const bool ok = file != INVALID_HANDLE_VALUE && SystemTimeToFileTime(time, &stamp) &&
                  SetFileTime(file, nullptr, nullptr, &stamp);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return ok;
}
bool PutUpdateFile(const std::string& name, const std::string& bytes, const SYSTEMTIME* time) {
  return WriteStamped(UpdateFile(name), bytes, time);
}
void RemoveUpdateFile(const std::string& name) { DeleteFileW(UpdateFile(name).c_str()); }
std::string ReadLog(const std::string& name) {
  return dltest::ReadWholeFile(Wide(ServersDir() + "\\" + name));
}

int LogLines(const std::string& logName, const std::string& piece1, const std::string& piece2,
             int waitFor) {
  for (int round = 0;; ++round, Sleep(50)) {
    std::istringstream lines(ReadLog(logName));
    int count = 0;
    for (std::string line; std::getline(lines, line);)
      count += line.find(piece1) != std::string::npos && line.find(piece2) != std::string::npos;
    if (count >= waitFor || round == 40) return count;
  }
}

std::string Pattern(uint64_t size, uint64_t from) {
  std::string bytes(static_cast<size_t>(size), '\0');
  for (uint64_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(((from + i) * 131 + 7) % 251);
  return bytes;
}
std::string RunMarker() {
  return std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
}

}  // namespace nettest
