// The worker's pure decisions: the no-progress rule of the retry loop, which extraction results
// condemn the package, what follows an extraction, and the final size text.
#include "install/worker_rules.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

TEST(NoProgressRule, ClearsAfterSixFailuresWithoutBytesAndCountsAgainAfterNewBytes) {
  dl::NoProgressRule rule;
  for (int round = 0; round < 2; ++round) {  // the count starts over after a clearing
    for (int i = 1; i <= 5; ++i) {
      rule.BeforeAttempt(round == 0 ? 1000 : 0);
      EXPECT_FALSE(rule.AfterFailedAttempt(round == 0 ? 1000 : 0)) << round << " " << i;
      EXPECT_EQ(rule.count(), i);
    }
    rule.BeforeAttempt(round == 0 ? 1000 : 0);
    EXPECT_TRUE(rule.AfterFailedAttempt(round == 0 ? 1000 : 0)) << round;
    EXPECT_EQ(rule.count(), 0);
  }

  // An attempt that brought bytes, even one that then failed, restarts the count.
  for (int i = 0; i < 4; ++i) {
    rule.BeforeAttempt(2000);
    rule.AfterFailedAttempt(2000);
  }
  rule.BeforeAttempt(2000);
  EXPECT_FALSE(rule.AfterFailedAttempt(6096));
  EXPECT_EQ(rule.count(), 0);
  for (int i = 0; i < 5; ++i) {
    rule.BeforeAttempt(6096);
    EXPECT_FALSE(rule.AfterFailedAttempt(6096)) << i;
  }
  rule.BeforeAttempt(6096);
  EXPECT_TRUE(rule.AfterFailedAttempt(6096));

  // Only the low half is remembered: past 4 GiB every failure counts as progress, and a
  // change by exactly 4 GiB is progress too.
  const uint64_t big = (uint64_t{1} << 32) + 5;
  for (int i = 0; i < 10; ++i) {
    rule.BeforeAttempt(big);
    EXPECT_FALSE(rule.AfterFailedAttempt(big)) << i;
  }
  rule.BeforeAttempt(5);
  EXPECT_FALSE(rule.AfterFailedAttempt(big));
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
  EXPECT_EQ(dl::DecideAfterExtraction(0, true), dl::AfterExtraction::kHandOver);
  EXPECT_EQ(dl::DecideAfterExtraction(512, true), dl::AfterExtraction::kStartPresentLobby);
  EXPECT_EQ(dl::DecideAfterExtraction(512, false), dl::AfterExtraction::kFail);
  EXPECT_EQ(dl::DecideAfterExtraction(1024, true), dl::AfterExtraction::kFail);
  EXPECT_EQ(dl::DecideAfterExtraction(-2, true), dl::AfterExtraction::kFail);
}

std::wstring SizeText(uint32_t downloaded, uint32_t total) {
  wchar_t out[64];
  EXPECT_TRUE(dl::FormatDownloadSizeText(downloaded, total, out, 64));
  return out;
}

TEST(SizeText, MegabytesWithTwoDecimalsFromTheStoredFigures) {
  EXPECT_EQ(SizeText(0, 1), L"0.00M/0.00M");  // before any report
  EXPECT_EQ(SizeText(5242880, 10485760), L"5.00M/10.00M");
  EXPECT_EQ(SizeText(3000000, 3000000), L"2.86M/2.86M");
  EXPECT_EQ(SizeText(6844031, 6844031), L"6.53M/6.53M");
  EXPECT_EQ(SizeText(1048575, 1048577), L"1.00M/1.00M");
  EXPECT_EQ(SizeText(UINT32_MAX, UINT32_MAX), L"4096.00M/4096.00M");

  wchar_t small[11] = L"untouched";
  EXPECT_FALSE(dl::FormatDownloadSizeText(5242880, 10485760, small, 11));  // needs 13
  EXPECT_STREQ(small, L"");
}

}  // namespace
