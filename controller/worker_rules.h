// The install worker's decisions that need no platform: when the retry loop clears the speed
// figure, which extraction results condemn the downloaded package and what follows an
// extraction.
#pragma once

#include <cstdint>

namespace dl {

// Results the report carries for a package refused before extraction, above every
// extraction result's bits (the statistics server sees them as the extraction's).
constexpr int kPackageSignatureBad = 0x20000000;      // altered, another key's, or unreadable
constexpr int kPackageSignatureMissing = 0x40000000;  // the update server has no "<package>.sig"

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

// True for the extraction results that say the archive's own bytes are broken (not a zip, bad
// header, encrypted, bad data), found while the package was being read (packageExamined). Such
// a file must not be taken as complete by the next download, or every later attempt would
// extract the same broken bytes. A read error of the disk, or a destination the extraction
// could not use before it opened the package, says nothing against the bytes: the package stays.
bool PackageIsBad(int extractResult, bool packageExamined);

enum class AfterExtraction {
  kHandOver,           // extracted: shortcut, installed state, the window launches the lobby
  kStartPresentLobby,  // a file could not be replaced and the lobby is already there
  kFail,               // report the failure and show the installation failure notice
};

// lobbyPresent: whether lobby.exe exists in the install folder (only asked for a 512).
AfterExtraction DecideAfterExtraction(int extractResult, bool lobbyPresent);

}  // namespace dl
