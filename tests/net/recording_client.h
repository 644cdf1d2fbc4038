// An HttpClient that remembers every progress call, and can stop itself after a number of
// blocks, for tests that check what a download reported.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "net/http_client.h"

namespace nettest {

struct ProgressCall {
  int status;
  uint32_t elapsed;
  uint64_t received;
  uint64_t total;
  uint64_t fileBytes;
  int32_t tag;
};

class RecordingClient : public dl::HttpClient {
 public:
  std::vector<ProgressCall> calls;
  // When positive, stopRequested is set after that many status-1 calls.
  int stopAfterBlocks = 0;

 protected:
  void OnProgress(HANDLE file, int status, uint32_t elapsed, uint64_t received, uint64_t total,
                  uint64_t fileBytes, int32_t progressTag) override {
    if (file == nullptr || file == INVALID_HANDLE_VALUE) fileHandleBad = true;
    calls.push_back({status, elapsed, received, total, fileBytes, progressTag});
    if (stopAfterBlocks > 0 && status == 1 && --stopAfterBlocks == 0) stopRequested = 1;
  }

 public:
  bool fileHandleBad = false;
};

}  // namespace nettest
