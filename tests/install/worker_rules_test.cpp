// The worker's pure decisions: the no-progress rule of the retry loop, which extraction results
// condemn the package, what follows an extraction, and the final size text.
#include "install/worker_rules.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

// Failed attempts, each starting from `before` and ending at `after`; which of them cleared.
std::string Failures(dl::NoProgressRule& rule, int attempts, uint64_t before, uint64_t after) {
  std::string cleared;
  for (int i = 0; i < attempts; ++i) {
    rule.BeforeAttempt(before);
    cleared += rule.AfterFailedAttempt(after) ? "C" : ".";
  }
  return cleared;
}

TEST(NoProgressRule, ClearsAtTheSixthFailureWithoutBytesAndCountsAgainAfterNewBytes) {
  dl::NoProgressRule rule;
  EXPECT_EQ(Failures(rule, 12, 1000, 1000), ".....C.....C");  // the count starts over
  EXPECT_EQ(Failures(rule, 4, 2000, 2000), "....");
  // An attempt that brought bytes, even one that then failed, restarts the count.
  EXPECT_EQ(Failures(rule, 1, 2000, 6096), ".");
  EXPECT_EQ(rule.count(), 0);
  EXPECT_EQ(Failures(rule, 6, 6096, 6096), ".....C");
  // Only the low half is remembered, so a figure past 4 GiB always counts as progress, also
  // when its low half did not move.
  const uint64_t big = (uint64_t{1} << 32) + 5;
  EXPECT_EQ(Failures(rule, 3, 6096, 6096), "...");
  EXPECT_EQ(Failures(rule, 10, big, big), "..........");
  EXPECT_EQ(Failures(rule, 1, 5, big), ".");
  EXPECT_EQ(rule.count(), 0);
}

TEST(AfterExtraction, OnlyTheArchivesOwnFaultsCondemnItAndOnlyA512MeetsAPresentLobby) {
  for (int bad : {65536, 1792, 2048, 4096, 83886080}) {
    EXPECT_TRUE(dl::PackageIsBad(bad)) << bad;
    EXPECT_EQ(dl::DecideAfterExtraction(bad, true), dl::AfterExtraction::kFail) << bad;
  }
  // The archive may be fine: the disk or the destination failed.
  for (int kept : {0, 512, 1024, -2, -3, 1}) EXPECT_FALSE(dl::PackageIsBad(kept)) << kept;
  EXPECT_EQ(dl::DecideAfterExtraction(0, false), dl::AfterExtraction::kHandOver);
  EXPECT_EQ(dl::DecideAfterExtraction(512, true), dl::AfterExtraction::kStartPresentLobby);
  EXPECT_EQ(dl::DecideAfterExtraction(512, false), dl::AfterExtraction::kFail);
  EXPECT_EQ(dl::DecideAfterExtraction(1024, true), dl::AfterExtraction::kFail);
}

TEST(SizeText, MegabytesWithTwoDecimalsAndNoCutText) {
  wchar_t out[64];
  ASSERT_TRUE(dl::FormatDownloadSizeText(3000000, 3000000, out, 64));
  EXPECT_STREQ(out, L"2.86M/2.86M");
  ASSERT_TRUE(dl::FormatDownloadSizeText(1048575, UINT32_MAX, out, 64));
  EXPECT_STREQ(out, L"1.00M/4096.00M");
  wchar_t small[11] = L"untouched";
  EXPECT_FALSE(dl::FormatDownloadSizeText(5242880, 10485760, small, 11));  // needs 13
  EXPECT_STREQ(small, L"");
}

}  // namespace
