// The worker's pure decisions: when and where it tries again, when it gives up, and what
// follows an extraction.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "controller/retry_policy.h"
#include "controller/worker_rules.h"

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

// A server that refuses every connection at once, asked by a client whose clock is a variable:
// the times at which attempts start until the policy gives up.
std::vector<uint64_t> DeadServer(uint32_t seed, uint64_t attemptMs) {
  dl::RetryPolicy policy(dl::RetryTuning{}, 0);
  std::mt19937 random(seed);
  std::vector<uint64_t> starts;
  for (uint64_t now = 0;;) {
    starts.push_back(now);
    now += attemptMs;
    const dl::RetryStep step = policy.AfterFailure(now, false, -1, random());
    if (step.kind == dl::RetryStep::Kind::kGiveUp) return starts;
    now += step.delayMs;
  }
}

TEST(RetryPolicy, ADeadServerIsAskedRarelyAndTheNoticeComesAtTheGiveUpTime) {
  for (uint32_t seed = 0; seed < 200; ++seed) {
    const std::vector<uint64_t> starts = DeadServer(seed, 5);
    EXPECT_EQ(starts[1], 5u) << "the first retry is immediate";
    // Full jitter: never past the doubling ceiling, capped at 30 s.
    for (size_t i = 2; i < starts.size(); ++i) {
      const uint64_t ceiling = std::min<uint64_t>(1000u << std::min<size_t>(i - 2, 20), 30000);
      EXPECT_LE(starts[i] - starts[i - 1] - 5, ceiling) << seed << " " << i;
    }
    // The last attempt starts within one attempt of the give-up time, and nothing after.
    EXPECT_TRUE(starts.back() <= 60000u && starts.back() + 5 >= 60000u) << starts.back();
    EXPECT_LE(starts.size(), 25u) << seed;
  }
  // Attempts that take the platform's 5 s time-out: the notice still comes at 60 s + one.
  const uint64_t last = DeadServer(7, 5000).back();
  EXPECT_TRUE(last <= 60000u && last + 5000 >= 60000u) << last;
}

TEST(RetryPolicy, BytesResetTheBackoffRetryAfterIsObeyedAndPausesDoNotCount) {
  dl::RetryPolicy policy(dl::RetryTuning{}, 1000);
  using Kind = dl::RetryStep::Kind;
  const uint32_t most = 0xFFFFFFFFu;  // the longest wait the jitter allows
  EXPECT_EQ(policy.AfterFailure(1100, false, -1, most).kind, Kind::kNow);
  EXPECT_EQ(policy.AfterFailure(1200, false, -1, most).delayMs, 1000u);
  EXPECT_EQ(policy.AfterFailure(2300, false, -1, most / 2 + 1).delayMs, 1000u);  // of 2000
  EXPECT_EQ(policy.AfterFailure(4400, false, -1, 0).kind, Kind::kNow);
  // Bytes arrived in the attempt: at once again, then the backoff from its start.
  EXPECT_EQ(policy.AfterFailure(5000, true, -1, most).kind, Kind::kNow);
  EXPECT_EQ(policy.AfterFailure(5100, false, -1, most).delayMs, 1000u);
  // The server's word comes before the backoff, up to a minute, never past the give-up time.
  EXPECT_EQ(policy.AfterFailure(6000, false, 20000, 0).delayMs, 20000u);
  EXPECT_EQ(policy.AfterFailure(6000, false, 3600000, 0).delayMs, 59000u);
  // Paused for ten minutes: the clock resumes where it stood.
  policy.Hold(600000);
  EXPECT_EQ(policy.AfterFailure(600000 + 64000, false, 0, 0).kind, Kind::kNow);
  EXPECT_EQ(policy.AfterFailure(600000 + 65000, false, -1, 0).kind, Kind::kGiveUp);

  dl::RetryTuning shortGiveUp;
  shortGiveUp.giveUpAfterMs = 8000;
  dl::RetryPolicy brief(shortGiveUp, 0);
  EXPECT_EQ(brief.AfterFailure(7000, false, -1, 0).kind, dl::RetryStep::Kind::kNow);
  EXPECT_EQ(brief.AfterFailure(7500, false, -1, most).delayMs, 500u);
  EXPECT_EQ(brief.AfterFailure(8000, false, -1, most).kind, dl::RetryStep::Kind::kGiveUp);
}

TEST(HostRotation, ThreeFailuresWithoutAByteHandOverRoundRobin) {
  EXPECT_EQ(dl::SplitHostList(" cdn.example ,,own.example:8080,"),
            (std::vector<std::string>{"cdn.example", "own.example:8080"}));
  EXPECT_TRUE(dl::SplitHostList(" , ").empty());
  dl::HostRotation rotation(3);
  std::string hosts;
  for (bool gotBytes :
       {false, false, true, false, false, false, false, false, false, false, false, false}) {
    rotation.AfterFailure(gotBytes);
    hosts += static_cast<char>('0' + rotation.current());
  }
  EXPECT_EQ(hosts, "000001112220");
  dl::HostRotation single(1);
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(single.AfterFailure(false));
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
