// The streaming zip reader and the central directory check on hostile archives. Input: one byte
// that seeds the split points and the sink's refusal, then the archive.
#include <zlib.h>

#include <cstdint>
#include <vector>

#include "install/zip_stream.h"

namespace {

void Require(bool ok) {
  if (!ok) __builtin_trap();
}

struct Delivered {
  uint32_t crc;
  uint64_t size;
};

// Holds every entry the reader ends to what it actually delivered.
class CheckingSink : public dl::ZipStreamSink {
 public:
  explicit CheckingSink(int refuseAt) : refuseAt_(refuseAt) {}
  std::vector<Delivered> ended;

  bool OnEntryBegin(const dl::StreamEntry& entry) override {
    Require(!open_ && entry.method <= 8 && entry.rawName.size() <= 0xFFFF &&
            entry.localExtra.size() <= 0xFFFF && entry.dataOffset > entry.headerOffset);
    open_ = true;
    crc_ = crc32(0, Z_NULL, 0);
    size_ = 0;
    return true;
  }
  bool OnEntryData(const uint8_t* data, size_t size) override {
    Require(open_ && size > 0);
    crc_ = crc32_z(crc_, data, size);
    size_ += size;
    return true;
  }
  bool OnEntryEnd(const dl::StreamEntry& entry) override {
    Require(open_ && entry.crc == crc_ && entry.uncompressedSize == size_);
    open_ = false;
    if (static_cast<int>(ended.size()) == refuseAt_) return false;
    ended.push_back({crc_, size_});
    return true;
  }

 private:
  int refuseAt_;
  bool open_ = false;
  uint32_t crc_ = 0;
  uint64_t size_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  uint32_t random = data[0] * 2654435761u + 1;
  const uint8_t* archive = data + 1;
  const size_t archiveSize = size - 1;

  CheckingSink sink(data[0] % 8 == 7 ? data[0] / 8 % 4 : -1);
  dl::ZipStreamReader reader(sink);
  size_t fed = 0;
  while (fed < archiveSize) {
    random = random * 1103515245u + 12345u;
    const size_t chunk = 1 + (random >> 16) % (size_t{1} << (data[0] % 7 * 2));
    const size_t n = chunk < archiveSize - fed ? chunk : archiveSize - fed;
    const uint64_t before = reader.consumed();
    const dl::ZipStreamState was = reader.state();
    const dl::ZipStreamState state = reader.Feed(archive + fed, n);
    fed += n;
    Require(reader.consumed() <= fed && state == reader.state());
    if (was != dl::ZipStreamState::kRunning) {
      Require(state == was && reader.consumed() == before);
    }
  }

  const std::vector<dl::StreamEntry>& entries = reader.entries();
  Require(entries.size() == sink.ended.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    Require(entries[i].crc == sink.ended[i].crc &&
            entries[i].uncompressedSize == sink.ended[i].size);
    Require(i == 0 || entries[i].headerOffset > entries[i - 1].headerOffset);
    Require(entries[i].headerOffset < reader.consumed());
  }

  // Where the entries did not end, the directory parser still meets the bytes, from a place
  // the input chooses.
  const bool ended = reader.state() == dl::ZipStreamState::kLocalEnd;
  if (ended) Require(reader.consumed() == reader.centralOffset());
  const uint64_t central =
      ended ? reader.centralOffset() : (archiveSize ? random % archiveSize : 0);
  std::vector<dl::CentralRecord> records;
  const dl::CentralCheck check = dl::CheckCentralDirectory(
      archive + central, archiveSize - central, central, archiveSize, central, entries, &records);
  // A longer tail may show an end record the short one cuts off, so only a broken directory
  // may read as disagreeing; never may one of them confirm alone.
  Require((check == dl::CentralCheck::kConfirmed) ==
          (dl::CheckCentralDirectory(archive, archiveSize, 0, archiveSize, central, entries,
                                     nullptr) == dl::CentralCheck::kConfirmed));
  if (check == dl::CentralCheck::kConfirmed) {
    Require(records.size() == entries.size());
    for (const dl::StreamEntry& e : entries) Require(e.headerOffset < central);
  } else {
    Require(records.empty());
  }
  return 0;
}
