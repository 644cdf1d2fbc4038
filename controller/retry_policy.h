// When the download tries again, and where. A dropped connection is resumed at once; a server
// or network that is gone is asked ever more rarely (every client of a site retries together,
// and a retry storm keeps a struggling server down) until nothing has arrived for the give-up
// time and the user is told. Pure: time and chance come in as arguments.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace dl {

struct RetryTuning {
  // Full jitter: the n-th wait is uniform in [0, min(maxDelayMs, firstDelayMs * 2^(n-1))].
  // One second first is a round trip or two on a slow network; 30 s at most keeps a client
  // that comes back within a minute of the server from waiting long after it.
  uint32_t firstDelayMs = 1000;
  uint32_t maxDelayMs = 30000;
  // A server's Retry-After is obeyed up to this; a larger one would hide the notice.
  uint32_t retryAfterCapMs = 60000;
  // Without a byte for this long (time spent paused excluded), the download has failed.
  uint32_t giveUpAfterMs = 60000;
};

struct RetryStep {
  enum class Kind { kNow, kWait, kGiveUp };
  Kind kind = Kind::kNow;
  uint32_t delayMs = 0;  // for kWait
};

class RetryPolicy {
 public:
  // nowMs starts the give-up clock: the first attempt begins now.
  RetryPolicy(const RetryTuning& tuning, uint64_t nowMs);

  // After a failed attempt at nowMs. gotBytes: the attempt received at least one byte (it
  // resets the backoff and the give-up clock). retryAfterMs: what the server asked for, or -1.
  // random: a uniform 32-bit number for the jitter. The wait never ends past the give-up time,
  // so the last attempt is made right at it.
  RetryStep AfterFailure(uint64_t nowMs, bool gotBytes, int64_t retryAfterMs, uint32_t random);
  // heldMs were spent paused: they do not count against the give-up time.
  void Hold(uint64_t heldMs) { lastBytesMs_ += heldMs; }
  // Failures since the last byte (or the start).
  int failures() const { return failures_; }

 private:
  RetryTuning tuning_;
  uint64_t lastBytesMs_;
  int failures_ = 0;
};

// Failed attempts in a row without a byte after which a host hands over to the next one.
constexpr int kHostFailuresBeforeSwitch = 3;

// The update hosts in order, round robin: a host keeps the download while it delivers.
class HostRotation {
 public:
  explicit HostRotation(size_t hostCount) : count_(hostCount == 0 ? 1 : hostCount) {}
  // After a failed attempt; true when the next attempt goes to another host.
  bool AfterFailure(bool gotBytes);
  size_t current() const { return current_; }

 private:
  size_t count_;
  size_t current_ = 0;
  int failures_ = 0;
};

// "cdn.example, own.example:8080" as its hosts, blanks trimmed, empty items dropped.
std::vector<std::string> SplitHostList(const std::string& text);

}  // namespace dl
