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
  uint64_t received, total, fileBytes;
  int32_t tag;
};

class RecordingClient : public dl::HttpClient {
 public:
  std::vector<ProgressCall> calls;
  int stopAfterBlocks = 0;  // when positive, stopRequested is set after that many blocks
  bool fileHandleBad = false;

 protected:
  void OnProgress(HANDLE file, int status, uint32_t elapsed, uint64_t received, uint64_t total,
                  uint64_t fileBytes, int32_t tag) override {
    fileHandleBad |= file == nullptr || file == INVALID_HANDLE_VALUE;
    calls.push_back({status, elapsed, received, total, fileBytes, tag});
    if (stopAfterBlocks > 0 && status == 1 && --stopAfterBlocks == 0) stopRequested = 1;
  }
};

}  // namespace nettest
