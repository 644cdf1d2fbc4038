// What a download does with the file kept from an earlier attempt, given the server's answers.
// Pure, so that every combination a server can send is tried natively. Whatever the answers,
// the file never grows past the announced total, no read is asked past it, and "complete" is
// said only of a file exactly as long as the total.
#pragma once

#include <cstdint>

#include "net/http_parse.h"

namespace dl {

// What the record beside the kept file says of it, against the server's answer.
enum class PartRecordState {
  kNone,   // no record, or one that cannot be read (cut short by a kill while it was written)
  kSame,   // it names the object the server describes now
  kOther,  // it names another object: whatever the stamp says, the bytes are not this object's
};

// The local file as the download finds it.
struct KeptFile {
  bool exists = false;
  bool stampMatches = false;  // its last-write time equals the server's Last-Modified
  uint64_t size = 0;
  PartRecordState record = PartRecordState::kNone;
};

enum class KeptFileAction {
  kStartOver,  // write the object from byte 0 with the unranged answer in hand
  kComplete,   // nothing to fetch: the file is the object
  kAskRest,    // ask for the bytes from the file's size on
};

// The file belongs to the object the server describes: its record says so, or, without a
// readable record, its stamp does.
bool KeptFileBelongs(const KeptFile& kept);

// total: the object's length as the server gave it. resume: continuing is allowed.
KeptFileAction DecideKeptFile(const KeptFile& kept, uint64_t total, bool resume);

// The answer to the request for the rest.
struct RestAnswer {
  bool succeeded = false;  // a 200 or a 206 came
  int status = 0;
  bool rangeRead = false;  // a Content-Range header was read
  ContentRange range;
};

enum class RestAction {
  kAppend,      // a 206 that continues the file exactly and ends within the total
  kWriteWhole,  // the answer carries the object from byte 0: write it over the file
  kAskAgain,    // unusable: start over with a fresh unranged request
};

// have: the file's size (below total, as DecideKeptFile asked only then).
RestAction DecideRestAnswer(const RestAnswer& answer, uint64_t have, uint64_t total);

// Bytes the next read may ask for: never past the total, 0 once it is reached or passed.
uint64_t BytesLeft(uint64_t offset, uint64_t total);

}  // namespace dl
