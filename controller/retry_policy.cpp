#include "controller/retry_policy.h"

#include <algorithm>

namespace dl {

RetryPolicy::RetryPolicy(const RetryTuning& tuning, uint64_t nowMs)
    : tuning_(tuning), lastBytesMs_(nowMs) {}

RetryStep RetryPolicy::AfterFailure(uint64_t nowMs, bool gotBytes, int64_t retryAfterMs,
                                    uint32_t random) {
  if (gotBytes) {
    lastBytesMs_ = nowMs;
    failures_ = 0;
  }
  ++failures_;
  RetryStep step;
  const uint64_t idle = nowMs > lastBytesMs_ ? nowMs - lastBytesMs_ : 0;
  if (idle >= tuning_.giveUpAfterMs) {
    step.kind = RetryStep::Kind::kGiveUp;
    return step;
  }
  uint64_t delay = 0;
  if (retryAfterMs >= 0) {
    delay = std::min<uint64_t>(static_cast<uint64_t>(retryAfterMs), tuning_.retryAfterCapMs);
  } else if (failures_ > 1) {
    // A connection that broke after delivering is resumed at once; only failures that follow
    // it back off.
    const int doublings = std::min(failures_ - 2, 30);
    const uint64_t ceiling =
        std::min<uint64_t>(uint64_t{tuning_.firstDelayMs} << doublings, tuning_.maxDelayMs);
    delay = (uint64_t{random} * (ceiling + 1)) >> 32;  // uniform in [0, ceiling]
  }
  delay = std::min<uint64_t>(delay, tuning_.giveUpAfterMs - idle);
  step.kind = delay == 0 ? RetryStep::Kind::kNow : RetryStep::Kind::kWait;
  step.delayMs = static_cast<uint32_t>(delay);
  return step;
}

bool HostRotation::AfterFailure(bool gotBytes) {
  if (gotBytes) {
    failures_ = 0;
    return false;
  }
  if (++failures_ < kHostFailuresBeforeSwitch || count_ == 1) return false;
  failures_ = 0;
  current_ = (current_ + 1) % count_;
  return true;
}

std::vector<std::string> SplitHostList(const std::string& text) {
  std::vector<std::string> hosts;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    size_t first = start;
    size_t last = end;
    while (first < last && (text[first] == ' ' || text[first] == '\t')) ++first;
    while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t')) --last;
    if (last > first) hosts.push_back(text.substr(first, last - first));
    start = end + 1;
  }
  return hosts;
}

}  // namespace dl
