#include "net/resume_decision.h"

namespace dl {

bool KeptFileBelongs(const KeptFile& kept) {
  switch (kept.record) {
    case PartRecordState::kSame:
      return true;
    case PartRecordState::kOther:
      return false;
    case PartRecordState::kNone:
      break;
  }
  return kept.stampMatches;
}

KeptFileAction DecideKeptFile(const KeptFile& kept, uint64_t total, bool resume) {
  if (!kept.exists || !KeptFileBelongs(kept)) return KeptFileAction::kStartOver;
  if (kept.size == total) return KeptFileAction::kComplete;
  // A file longer than the object is not a prefix of it, whatever its stamp says; asking
  // for a range past the end could only be refused (or, from a careless server, answered
  // with bytes that would push the file further past the total).
  if (kept.size > total || !resume) return KeptFileAction::kStartOver;
  return KeptFileAction::kAskRest;
}

RestAction DecideRestAnswer(const RestAnswer& answer, uint64_t have, uint64_t total) {
  if (!answer.succeeded) return RestAction::kAskAgain;
  if (answer.status == 200) return RestAction::kWriteWhole;  // the range was ignored
  if (answer.status != 206 || !answer.rangeRead || !answer.range.hasRange) {
    return RestAction::kAskAgain;
  }
  const ContentRange& r = answer.range;
  // The object must not have changed length between the two answers.
  if (r.totalKnown && r.total != total) return RestAction::kAskAgain;
  if (r.first == have && have < total && r.last < total) return RestAction::kAppend;
  // A 206 from byte 0 holds the object's beginning: as good as a whole answer.
  if (r.first == 0 && r.last < total) return RestAction::kWriteWhole;
  return RestAction::kAskAgain;
}

uint64_t BytesLeft(uint64_t offset, uint64_t total) { return offset < total ? total - offset : 0; }

}  // namespace dl
