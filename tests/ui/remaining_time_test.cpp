// The time left beside the speed: the smoothed rate through bursts, pauses, new attempts and a
// change of speed, the rounding of the rest, and the text forms.
#include "ui/installer/remaining_time.h"

#include <gtest/gtest.h>

#include <string>

namespace dl {
namespace {

std::wstring Text(uint64_t seconds, size_t cap = 32) {
  wchar_t out[32] = L"x";
  const bool ok = FormatRemaining(seconds, out, cap);
  EXPECT_EQ(ok, out[0] != L'\0') << seconds;
  return out;
}

TEST(RemainingTime, TextNamesSecondsMinutesAndHours) {
  EXPECT_EQ(Text(45), L"剩余 45秒");
  EXPECT_EQ(Text(80), L"剩余 1分20秒");
  EXPECT_EQ(Text(120), L"剩余 2分");
  EXPECT_EQ(Text(3900), L"剩余 1小时5分");
  EXPECT_EQ(Text(3659), L"剩余 1小时") << "no seconds beside hours";
  EXPECT_EQ(Text(0), L"") << "nothing left: no text";
  EXPECT_EQ(Text(80, 5), L"") << "a text that does not fit is not cut";
}

TEST(RemainingTime, RestIsRoundedUpAndNeedsATotalAndARate) {
  EXPECT_EQ(SecondsRemaining(0, 1000, 1000.0), 1u);
  EXPECT_EQ(SecondsRemaining(0, 1001, 1000.0), 2u);
  EXPECT_EQ(SecondsRemaining(500, 0, 1000.0), 0u) << "the server gave no size";
  EXPECT_EQ(SecondsRemaining(1000, 1000, 1000.0), 0u);
  EXPECT_EQ(SecondsRemaining(0, 1000, 0.0), 0u);
}

// Ticks of 100 ms that bring `perTick` bytes each.
void Ticks(RateSmoother& s, uint64_t& now, uint32_t& bytes, int ticks, uint32_t perTick) {
  for (int i = 0; i < ticks; ++i) s.Feed(now += 100, bytes += perTick);
}

TEST(RemainingTime, RateIsKnownAfterASecondAndSmoothsBursts) {
  RateSmoother s;
  uint64_t now = 5000;
  uint32_t bytes = 0;
  s.Feed(now, bytes);
  Ticks(s, now, bytes, 9, 100000);
  EXPECT_FALSE(s.known()) << "0.9 s of figures";
  Ticks(s, now, bytes, 1, 100000);
  ASSERT_TRUE(s.known());
  EXPECT_NEAR(s.bytesPerSecond(), 1e6, 1);
  // Blocks arrive in bursts: one tick brings 200 KB, the next nothing.
  for (int i = 0; i < 20; ++i) {
    Ticks(s, now, bytes, 1, i % 2 == 0 ? 200000 : 0);
    EXPECT_NEAR(s.bytesPerSecond(), 1e6, 1e5) << i;
  }
}

TEST(RemainingTime, PausesAndNewAttemptsStartANewIntervalAndASlowerLineIsFollowed) {
  RateSmoother s;
  uint64_t now = 0;
  uint32_t bytes = 0;
  s.Feed(now, bytes);
  Ticks(s, now, bytes, 20, 100000);
  s.Feed(now += 30000, bytes);  // the first tick after a pause of 30 s
  EXPECT_NEAR(s.bytesPerSecond(), 1e6, 1);
  s.Rebase();  // after a reconnection
  s.Feed(now += 800, bytes += 1000);
  EXPECT_NEAR(s.bytesPerSecond(), 1e6, 1);
  s.Feed(now += 100, bytes = 2000);  // a new attempt downloads from the start
  EXPECT_NEAR(s.bytesPerSecond(), 1e6, 1);
  Ticks(s, now, bytes, 100, 50000);  // 10 s at half the speed
  EXPECT_NEAR(s.bytesPerSecond(), 5e5, 2.5e4);
}

}  // namespace
}  // namespace dl
