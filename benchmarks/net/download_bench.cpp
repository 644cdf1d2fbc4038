// Fetches one object from a server and prints what it cost, so the download loop can be
// compared with the plainest loops the internet library allows.
//
//   download_bench client HOST PATH FILE   the program's own DownloadToFile into FILE
//   download_bench bare4k HOST PATH        read loop, 4096-byte reads, data thrown away
//   download_bench bare64k HOST PATH       the same with 65536-byte reads
//
// Prints one line: mode bytes wall_s user_s kernel_s peak_working_set_bytes result
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "net/http_client.h"
#include "net/http_parse.h"
#include "net/internet_library.h"

namespace {

double Seconds(const FILETIME& t) {
  ULARGE_INTEGER v;
  v.LowPart = t.dwLowDateTime;
  v.HighPart = t.dwHighDateTime;
  return static_cast<double>(v.QuadPart) / 1e7;
}

// A progress hook that does what the installer window's does per block: keep the figures.
class CountingClient : public dl::HttpClient {
 public:
  uint64_t lastOffset = 0;
  uint64_t calls = 0;

 protected:
  void OnProgress(HANDLE, int, uint32_t, uint64_t, uint64_t, uint64_t fileBytes, int32_t) override {
    lastOffset = fileBytes;
    ++calls;
  }
};

// The client's request flags (no cache, no automatic redirects), so the difference measured
// is the client's own work per block.
constexpr DWORD kBareFlags = INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_AUTO_REDIRECT |
                             INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD;

int BareLoop(const char* hostPort, const char* path, DWORD blockBytes, uint64_t* bytes) {
  char host[dl::kHostCap];
  int port = 0;
  if (!dl::ParseHostPort(hostPort, host, sizeof host, &port)) return -1;
  dl::UniqueInternet session(
      dl::InternetOpenA(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) return -1;
  dl::UniqueInternet connection(dl::InternetConnectA(session.Get(), host,
                                                     static_cast<INTERNET_PORT>(port), nullptr,
                                                     nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) return -1;
  dl::UniqueInternet request(dl::HttpOpenRequestA(connection.Get(), "GET", path, "HTTP/1.0",
                                                  nullptr, nullptr, kBareFlags, 0));
  if (!request || !dl::HttpSendRequestA(request.Get(), nullptr, 0, nullptr, 0)) return -1;
  std::vector<char> buffer(blockBytes);
  DWORD got = 0;
  while (dl::InternetReadFile(request.Get(), buffer.data(), blockBytes, &got) && got != 0) {
    *bytes += got;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: download_bench client|bare4k|bare64k HOST PATH [FILE]\n");
    return 2;
  }
  const char* mode = argv[1];
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);

  uint64_t bytes = 0;
  int result = 0;
  if (std::strcmp(mode, "client") == 0 && argc >= 5) {
    CountingClient client;
    if (client.Connect(argv[2], nullptr, nullptr, 0) != 1) return 1;
    result = client.DownloadToFile(argv[3], argv[4], 1);
    bytes = client.bytesReceived;
  } else if (std::strcmp(mode, "bare4k") == 0) {
    result = BareLoop(argv[2], argv[3], 4096, &bytes);
  } else if (std::strcmp(mode, "bare64k") == 0) {
    result = BareLoop(argv[2], argv[3], 65536, &bytes);
  } else {
    std::fprintf(stderr, "unknown mode %s\n", mode);
    return 2;
  }
  QueryPerformanceCounter(&end);

  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  PROCESS_MEMORY_COUNTERS memory = {};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  const double wall =
      static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
  std::printf("%s %llu %.3f %.3f %.3f %llu %d\n", mode, static_cast<unsigned long long>(bytes),
              wall, Seconds(user), Seconds(kernel),
              static_cast<unsigned long long>(memory.PeakWorkingSetSize), result);
  return 0;
}
