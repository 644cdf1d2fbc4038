// The worker's pure decisions: when retries give up, and what follows an extraction.
#include "controller/worker_rules.h"

#include <gtest/gtest.h>
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
  EXPECT_EQ(Failures(rule, 12, 1000, 1000), ".....C.....C");
  EXPECT_EQ(Failures(rule, 4, 1000, 1000), "....");
  EXPECT_EQ(Failures(rule, 1, 1000, 6096), ".");  // bytes came, though the attempt failed
  EXPECT_EQ(Failures(rule, 6, 6096, 6096), ".....C");
  // Only the low half is remembered: a figure past 4 GiB always counts as progress.
  const uint64_t big = (uint64_t{1} << 32) + 5;
  EXPECT_EQ(Failures(rule, 10, big, big), "..........");
}

TEST(AfterExtraction, OnlyTheArchivesOwnFaultsCondemnItAndOnlyA512MeetsAPresentLobby) {
  for (int bad : {65536, 1792, 4096, 83886080}) {
    EXPECT_TRUE(dl::PackageIsBad(bad, true)) << bad;
    EXPECT_FALSE(dl::PackageIsBad(bad, false)) << bad << " before the package was opened";
  }
  // A disk that failed to read, and failures of the destination, keep a sound package.
  for (int kept : {0, 512, 1024, 2048, -2, -3}) EXPECT_FALSE(dl::PackageIsBad(kept, true)) << kept;
  using dl::AfterExtraction;
  EXPECT_EQ(dl::DecideAfterExtraction(0, false), AfterExtraction::kHandOver);
  EXPECT_EQ(dl::DecideAfterExtraction(512, true), AfterExtraction::kStartPresentLobby);
  for (int failed : {512, 1024, 65536})
    EXPECT_EQ(dl::DecideAfterExtraction(failed, failed != 512), AfterExtraction::kFail) << failed;
}

}  // namespace
