#include "controller/worker_rules.h"

namespace dl {

namespace {
// The extraction's result codes (install/package_extract.h, which needs the platform headers;
// install_worker.cpp checks that the two agree).
constexpr int kCreateFailed = 0x200;
constexpr int kBadHeader = 0x700;
constexpr int kPassword = 0x1000;
constexpr int kOpenFailed = 0x10000;
constexpr int kDataFailed = 0x5000000;

}  // namespace

bool NoProgressRule::AfterFailedAttempt(uint64_t received) {
  // Only the low half is remembered; a figure past 4 GiB counts as progress.
  if (static_cast<uint32_t>(received) != before_ || (received >> 32) != 0) {
    count_ = 0;
    return false;
  }
  if (++count_ <= kNoProgressLimit) return false;
  count_ = 0;
  return true;
}

bool PackageIsBad(int extractResult, bool packageExamined) {
  if (!packageExamined) return false;
  switch (extractResult) {
    case kOpenFailed:
    case kBadHeader:
    case kPassword:
    case kDataFailed:
      return true;
    default:
      return false;
  }
}

AfterExtraction DecideAfterExtraction(int extractResult, bool lobbyPresent) {
  if (extractResult == 0) return AfterExtraction::kHandOver;
  // Usually the lobby is running and holds its files: the user gets the installation they have.
  if (extractResult == kCreateFailed && lobbyPresent) return AfterExtraction::kStartPresentLobby;
  return AfterExtraction::kFail;
}

}  // namespace dl
