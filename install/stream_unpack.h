// Unpacking the package while it downloads: a thread of its own follows the bytes as the
// download writes them, reads the file back through a handle of its own and unpacks each
// entry in stream order. Once the download ends, everything unpacked is checked against the
// central directory; only a package that passes counts as unpacked. Anything this way cannot
// follow leaves the package to the whole-file extraction, which then decides the outcome, so
// results and codes never depend on which way did the work.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "base/win_handles.h"

namespace dl {

class StreamUnpacker {
 public:
  // The package at packagePath is unpacked under destination (a folder path ending in "\"):
  // the install base itself, or a staging folder (staged) that MoveIntoPlace empties into it.
  // A staging folder holds only the package being followed: it is emptied when bytes already
  // followed are written anew.
  StreamUnpacker(std::wstring packagePath, std::wstring destination, bool staged);
  // Stops following; whatever was unpacked stays on disk.
  ~StreamUnpacker();
  StreamUnpacker(const StreamUnpacker&) = delete;
  StreamUnpacker& operator=(const StreamUnpacker&) = delete;

  // Starts the following thread; false (and nothing follows) when it cannot start.
  bool Start();

  // On the downloading thread: the file's bytes from offset on are about to be written anew.
  // Whatever was unpacked from bytes at or after it is unpacked again.
  void WriteFrom(uint64_t offset);
  // On the downloading thread: the file's first fileBytes bytes are written.
  void Written(uint64_t fileBytes);

  // After the download, with the file complete: waits until every byte is followed, then
  // checks what was unpacked against the package's central directory (names, sizes, CRCs,
  // offsets, count) and gives the entries their attributes. True when the whole package is
  // unpacked under the destination. Ends the following either way.
  bool Finish();

  // Moves what Finish confirmed from the staging folder into the same places under base: a
  // folder that base lacks in one rename, files over existing ones one by one. Nothing moves
  // unless everything can (no file there is read-only or in use, none stands where a folder
  // goes or the other way round); false then, or when a move fails (what moved stays).
  bool MoveIntoPlace(const std::wstring& base);

  // Entries and bytes unpacked by the last Finish that returned true.
  int entries() const { return confirmedEntries_; }
  uint64_t bytes() const { return confirmedBytes_; }

  // Deletes a folder with everything in it, as far as it can (a staging folder).
  static void RemoveTree(const std::wstring& folder);

 private:
  class Follower;

  void Run();
  void Stop();

  const std::wstring packagePath_;
  const std::wstring destination_;
  const bool staged_;

  std::mutex mutex_;
  std::condition_variable changed_;
  uint64_t available_ = 0;   // bytes of the file that may be read
  uint64_t claimed_ = 0;     // bytes the follower has read or is reading
  uint64_t generation_ = 0;  // moves when bytes the follower read are written anew
  bool finishing_ = false;   // the download ended: no more bytes come
  bool idle_ = false;        // the follower waits: done, given up, or caught up while finishing
  bool stop_ = false;

  std::unique_ptr<Follower> follower_;  // touched by the following thread until it ends
  std::thread thread_;
  int confirmedEntries_ = 0;
  uint64_t confirmedBytes_ = 0;
};

}  // namespace dl
