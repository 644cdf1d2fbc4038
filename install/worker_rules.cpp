#include "install/worker_rules.h"

#include "base/bounded_text.h"

namespace dl {

namespace {
// The extraction's result codes (install/package_extract.h, which needs the platform headers;
// install_worker.cpp checks that the two agree).
constexpr int kCreateFailed = 0x200;
constexpr int kBadHeader = 0x700;
constexpr int kReadFailed = 0x800;
constexpr int kPassword = 0x1000;
constexpr int kOpenFailed = 0x10000;
constexpr int kDataFailed = 0x5000000;

// The count in single precision, as the display's refresh holds it (the store rounds even where
// the compiler would keep more, as on x87); the divisions by 1024 are exact.
double Mebibytes(uint32_t bytes) {
  volatile float single = static_cast<float>(bytes);
  return static_cast<double>(single / 1024.0f / 1024.0f);
}
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

bool PackageIsBad(int extractResult) {
  switch (extractResult) {
    case kOpenFailed:
    case kBadHeader:
    case kReadFailed:
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

bool FormatDownloadSizeText(uint32_t downloadedBytes, uint32_t totalBytes, wchar_t* out,
                            size_t cap) {
  if (cap == 0) return false;
  char narrow[64];
  if (!FormatBounded(narrow, sizeof narrow, "%.02fM/%.02fM", Mebibytes(downloadedBytes),
                     Mebibytes(totalBytes))) {
    out[0] = L'\0';
    return false;
  }
  // The text is ASCII: widen it byte by byte.
  size_t n = 0;
  for (; narrow[n] != '\0'; ++n) {
    if (n + 1 >= cap) {
      out[0] = L'\0';
      return false;
    }
    out[n] = static_cast<wchar_t>(static_cast<unsigned char>(narrow[n]));
  }
  out[n] = L'\0';
  return true;
}

}  // namespace dl
