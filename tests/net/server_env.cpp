#include <winsock2.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/net/server_env.h"

namespace nettest {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}
std::string Loopback(const char* portVar) {
  const std::string port = Env(portVar);
  return port.empty() ? "" : "127.0.0.1:" + port;
}
std::string UpdatePath(const std::string& name) { return ServersDir() + "\\www\\update\\" + name; }

}  // namespace

std::string NginxHost() { return Loopback("DL_NGINX_PORT"); }
std::string NginxHost2() { return Loopback("DL_NGINX_PORT2"); }
std::string FaultHost() { return Loopback("DL_FAULT_PORT"); }
std::string ServersDir() { return Env("DL_SERVERS_DIR_WIN"); }

bool PutUpdateFile(const std::string& name, const std::string& bytes,
                   const _SYSTEMTIME* lastWrite) {
  HANDLE file = CreateFileA(UpdatePath(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  FILETIME stamp;
  bool ok = bytes.empty() ||
            (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
             written == bytes.size());
  if (ok && lastWrite != nullptr) {
    ok = SystemTimeToFileTime(lastWrite, &stamp) && SetFileTime(file, nullptr, nullptr, &stamp);
  }
  CloseHandle(file);
  return ok;
}

void RemoveUpdateFile(const std::string& name) { DeleteFileA(UpdatePath(name).c_str()); }

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

int CountLogLines(const std::string& logName, const std::string& piece1,
                  const std::string& piece2) {
  std::istringstream lines(ReadText(ServersDir() + "\\" + logName));
  int count = 0;
  for (std::string line; std::getline(lines, line);) {
    count += line.find(piece1) != std::string::npos && line.find(piece2) != std::string::npos;
  }
  return count;
}

int WaitForLogLines(const std::string& logName, int atLeast, const std::string& piece1,
                    const std::string& piece2) {
  int count = CountLogLines(logName, piece1, piece2);
  for (int i = 0; i < 40 && count < atLeast; ++i) {
    Sleep(50);
    count = CountLogLines(logName, piece1, piece2);
  }
  return count;
}

std::string Pattern(uint64_t size, uint64_t from) {
  std::string bytes(static_cast<size_t>(size), '\0');
  for (uint64_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(((from + i) * 131 + 7) % 251);
  return bytes;
}

int ClosedPort() {
  WSADATA wsa;
  if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return 0;
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in addr = {};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int len = sizeof addr;
  const bool bound = s != INVALID_SOCKET &&
                     bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
                     getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) == 0;
  if (s != INVALID_SOCKET) closesocket(s);
  WSACleanup();
  return bound ? ntohs(addr.sin_port) : 0;
}

std::string RunMarker() {
  return std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
}

}  // namespace nettest
