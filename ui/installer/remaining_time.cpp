#include "ui/installer/remaining_time.h"

#include <cmath>
#include <cstdio>

#include "base/bounded_text.h"

namespace dl {

void RateSmoother::Feed(uint64_t nowMs, uint32_t downloadedBytes) {
  const bool continues =
      based_ && nowMs > lastMs_ && nowMs - lastMs_ <= kMaxGapMs && downloadedBytes >= lastBytes_;
  if (continues) {
    const uint64_t ms = nowMs - lastMs_;
    const uint32_t bytes = downloadedBytes - lastBytes_;
    const double sample = static_cast<double>(bytes) * 1000.0 / static_cast<double>(ms);
    if (seenMs_ < kWarmUpMs) {
      // Until the warm-up is over the plain average leads: a smoothed value that starts from
      // zero would promise hours for the first seconds.
      seenMs_ += ms;
      seenBytes_ += bytes;
      rate_ = static_cast<double>(seenBytes_) * 1000.0 / static_cast<double>(seenMs_);
    } else {
      const double weight = 1.0 - std::exp(-static_cast<double>(ms) / kTimeConstantMs);
      rate_ += weight * (sample - rate_);
    }
  }
  based_ = true;
  lastMs_ = nowMs;
  lastBytes_ = downloadedBytes;
}

uint64_t SecondsRemaining(uint32_t downloadedBytes, uint32_t totalBytes, double bytesPerSecond) {
  if (totalBytes == 0 || downloadedBytes >= totalBytes || !(bytesPerSecond > 0.0)) return 0;
  return static_cast<uint64_t>(
      std::ceil(static_cast<double>(totalBytes - downloadedBytes) / bytesPerSecond));
}

bool FormatRemaining(uint64_t seconds, wchar_t* out, size_t cap) {
  if (cap == 0) return false;
  out[0] = L'\0';
  if (seconds == 0) return false;
  // Past 2^32 hours the count stops growing; no download here waits that long.
  const uint64_t allHours = seconds / 3600;
  const unsigned hours = allHours > UINT32_MAX ? UINT32_MAX : static_cast<unsigned>(allHours);
  const unsigned minutes = static_cast<unsigned>(seconds % 3600 / 60);
  const unsigned rest = static_cast<unsigned>(seconds % 60);
  struct Part {
    unsigned count;
    const wchar_t* unit;
  };
  Part parts[2] = {{rest, L"秒"}, {0, nullptr}};
  if (hours > 0) {
    parts[0] = {hours, L"小时"};
    parts[1] = {minutes, L"分"};
  } else if (minutes > 0) {
    parts[0] = {minutes, L"分"};
    parts[1] = {rest, L"秒"};
  }
  // Numbers are formatted narrow and the units appended: a wide format with these characters
  // after a conversion is cut short by the platform's formatter.
  bool fits = CopyBounded(out, cap, L"剩余 ");
  const Part* last = parts[1].unit != nullptr && parts[1].count > 0 ? &parts[1] : &parts[0];
  for (const Part* part = parts; part <= last; ++part) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%u", part->count);
    fits = fits && AppendAscii(out, cap, digits) && AppendBounded(out, cap, part->unit);
  }
  if (!fits) out[0] = L'\0';
  return fits;
}

}  // namespace dl
