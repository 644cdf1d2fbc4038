// The install worker's decisions that need no platform: when the retry loop clears the speed
// figure, which extraction results condemn the downloaded package, what follows an extraction,
// and the size text shown when the download is complete.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dl {

// Failed attempts in a row without a new byte that the speed figure survives.
constexpr int kNoProgressLimit = 5;

// Watches the received-bytes figure across download attempts. While attempts keep failing
// without data the display would go on showing the last speed of a connection that is gone;
// once the limit is passed the figure is cleared so the display drops to 0.
class NoProgressRule {
 public:
  // Before each attempt, with the figure as it stands.
  void BeforeAttempt(uint64_t received) { before_ = static_cast<uint32_t>(received); }
  // After a failed attempt; true when the figure is to be cleared now (the count starts over).
  bool AfterFailedAttempt(uint64_t received);
  int count() const { return count_; }

 private:
  uint32_t before_ = 0;
  int count_ = 0;
};

// True for the extraction results that say the archive itself is broken (not a zip, bad
// header, unreadable, encrypted, bad data). Such a file must not be taken as complete by the
// next download, or every later attempt would extract the same broken bytes.
bool PackageIsBad(int extractResult);

enum class AfterExtraction {
  kHandOver,           // extracted: shortcut, installed state, the window launches the lobby
  kStartPresentLobby,  // a file could not be replaced and the lobby is already there
  kFail,               // report the failure and show the installation failure notice
};

// lobbyPresent: whether lobby.exe exists in the install folder (only asked for a 512).
AfterExtraction DecideAfterExtraction(int extractResult, bool lobbyPresent);

// "%.02fM/%.02fM" of the two byte counts in MiB, computed in single precision like the
// display's own refresh, so the final text matches what a last tick would have shown.
// False (out "") when it does not fit.
bool FormatDownloadSizeText(uint32_t downloadedBytes, uint32_t totalBytes, wchar_t* out,
                            size_t cap);

}  // namespace dl
