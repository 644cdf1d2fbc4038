// The time a download has left, for the text beside its speed: a download rate smoothed over
// the display's ticks (a single tick's rate jumps with every block the server sends) and the
// text that names the rest in hours, minutes and seconds. Pure, so it is checked on any machine.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dl {

class RateSmoother {
 public:
  // One display tick: the local file holds downloadedBytes (low 32 bits) at nowMs of any
  // steady clock. A tick more than kMaxGapMs after the previous one, or with fewer bytes than
  // it, only starts a new interval: a pause or a new attempt lies between them.
  void Feed(uint64_t nowMs, uint32_t downloadedBytes);
  // The next tick only starts a new interval (the download waited for a reason of its own);
  // what was learnt of the rate stays.
  void Rebase() { based_ = false; }

  // Once kWarmUpMs of intervals were seen and something arrived in them.
  bool known() const { return seenMs_ >= kWarmUpMs && rate_ > 0.0; }
  double bytesPerSecond() const { return rate_; }

  static constexpr uint64_t kMaxGapMs = 1000;
  static constexpr uint64_t kWarmUpMs = 1000;
  // The weight of older intervals falls to 1/e over this much time.
  static constexpr double kTimeConstantMs = 3000.0;

 private:
  bool based_ = false;
  uint64_t lastMs_ = 0;
  uint32_t lastBytes_ = 0;
  uint64_t seenMs_ = 0;
  uint64_t seenBytes_ = 0;
  double rate_ = 0.0;
};

// Whole seconds until totalBytes are in at bytesPerSecond, rounded up; 0 when nothing is left
// or the total or rate is not known.
uint64_t SecondsRemaining(uint32_t downloadedBytes, uint32_t totalBytes, double bytesPerSecond);

// "剩余 45秒", "剩余 1分20秒", "剩余 1小时5分" (the smallest unit is left out when it is 0;
// seconds only under an hour). False with an empty text for 0 seconds or a cap too small.
bool FormatRemaining(uint64_t seconds, wchar_t* out, size_t cap);

}  // namespace dl
