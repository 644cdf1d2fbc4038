// Follows a zip archive in file order as its bytes arrive, and afterwards holds what was
// followed against the central directory. Every number read here comes from the archive.
#include "install/zip_stream.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace dl {
namespace {

constexpr uint32_t kLocalSig = 0x04034b50;
constexpr uint32_t kCentralSig = 0x02014b50;
constexpr uint32_t kEndSig = 0x06054b50;
constexpr uint32_t kZip64EndSig = 0x06064b50;
constexpr uint32_t kZip64LocatorSig = 0x07064b50;
constexpr uint32_t kDigitalSignatureSig = 0x05054b50;
constexpr uint32_t kArchiveExtraSig = 0x08064b50;
constexpr uint32_t kDescriptorSig = 0x08074b50;

constexpr size_t kLocalFixed = 30;
constexpr size_t kCentralFixed = 46;
constexpr size_t kEndFixed = 22;
constexpr size_t kZip64LocatorSize = 20;
constexpr size_t kZip64EndFixed = 56;
constexpr uint16_t kZip64Tag = 0x0001;
constexpr uint32_t kMax32 = 0xFFFFFFFF;
constexpr uint16_t kMax16 = 0xFFFF;

constexpr uint16_t kFlagEncrypted = 1 << 0;
constexpr uint16_t kFlagDescriptor = 1 << 3;
constexpr uint16_t kFlagPatched = 1 << 5;
constexpr uint16_t kFlagStrongEncryption = 1 << 6;
constexpr uint16_t kFlagUtf8 = 1 << 11;
constexpr uint16_t kFlagMaskedHeader = 1 << 13;
// Bits 1-2 (deflate level) and the unused ones differ between writers' two copies of the flags
// without changing how an entry is read; these three do change it.
constexpr uint16_t kFlagsCompared = kFlagEncrypted | kFlagDescriptor | kFlagUtf8;

constexpr uint16_t kStored = 0;
constexpr uint16_t kDeflated = 8;

// Large enough that a block costs the sink one call per 64 KiB, small enough to sit on any
// thread's heap without notice.
constexpr size_t kOutBlock = 64 * 1024;

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Get32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
uint64_t Get64(const uint8_t* p) { return Get32(p) | static_cast<uint64_t>(Get32(p + 4)) << 32; }

bool AddOverflows(uint64_t a, uint64_t b) { return a > std::numeric_limits<uint64_t>::max() - b; }

// The body of the first zip64 field of an extra block, if any. A truncated block at the end
// is what some aligning tools leave behind; it only matters if the zip64 field was needed.
bool FindZip64(const uint8_t* extra, size_t size, const uint8_t** body, size_t* bodySize) {
  size_t pos = 0;
  while (size - pos >= 4) {
    const uint16_t tag = Get16(extra + pos);
    const size_t length = Get16(extra + pos + 2);
    if (length > size - pos - 4) return false;
    if (tag == kZip64Tag) {
      *body = extra + pos + 4;
      *bodySize = length;
      return true;
    }
    pos += 4 + length;
  }
  return false;
}

// Reads the zip64 values of the fields whose 32-bit copy is saturated, in their fixed order
// (uncompressed size, compressed size, header offset, disk): values[i] changes only where
// saturated[i].
bool ReadZip64(const uint8_t* body, size_t bodySize, const bool* saturated, uint64_t* values,
               size_t count) {
  size_t pos = 0;
  for (size_t i = 0; i < count; ++i) {
    if (!saturated[i]) continue;
    const size_t width = i == 3 ? 4 : 8;  // the fourth field, the disk number, is 32-bit
    if (bodySize - pos < width) return false;
    values[i] = width == 8 ? Get64(body + pos) : Get32(body + pos);
    pos += width;
  }
  return true;
}

bool IsEndOfEntries(uint32_t sig) {
  return sig == kCentralSig || sig == kZip64EndSig || sig == kDigitalSignatureSig ||
         sig == kArchiveExtraSig || sig == kEndSig;
}

}  // namespace

struct ZipStreamReader::Impl {
  enum class Phase { kHeader, kData, kDescriptor };

  explicit Impl(ZipStreamSink& s) : sink(s) {}
  ~Impl() {
    if (inflateReady) inflateEnd(&zs);
  }

  ZipStreamSink& sink;
  ZipStreamState state = ZipStreamState::kRunning;
  Phase phase = Phase::kHeader;
  uint64_t consumed = 0;
  uint64_t centralOffset = 0;
  std::vector<StreamEntry> entries;

  // The current local header (or data descriptor) while it is incomplete.
  std::vector<uint8_t> pending;
  size_t pendingWanted = 4;

  StreamEntry entry;
  bool zip64Local = false;  // the local header carried a zip64 field: 8-byte descriptor sizes
  uint64_t inTaken = 0;     // compressed bytes taken by this entry so far
  uint64_t outGiven = 0;    // uncompressed bytes handed to the sink so far
  uint32_t crc = 0;

  z_stream zs{};
  bool inflateReady = false;
  std::unique_ptr<uint8_t[]> out;

  ZipStreamState Fail(ZipStreamState s) { return state = s; }

  // Takes up to what the current piece still lacks from the input; true once it is whole.
  bool Collect(const uint8_t*& data, size_t& size) {
    const size_t take = std::min(size, pendingWanted - pending.size());
    pending.insert(pending.end(), data, data + take);
    data += take;
    size -= take;
    consumed += take;
    return pending.size() == pendingWanted;
  }

  void Header(const uint8_t*& data, size_t& size);
  void BeginEntry();
  void Stored(const uint8_t*& data, size_t& size);
  void Deflated(const uint8_t*& data, size_t& size);
  bool Deliver(const uint8_t* bytes, size_t count);
  void DataEnded();
  void Descriptor(const uint8_t*& data, size_t& size);
  void EndEntry();
};

void ZipStreamReader::Impl::Header(const uint8_t*& data, size_t& size) {
  if (!Collect(data, size)) return;
  if (pending.size() == 4) {
    const uint32_t sig = Get32(pending.data());
    if (IsEndOfEntries(sig)) {
      // These four bytes belong to the directory, not to the entries.
      consumed -= 4;
      centralOffset = consumed;
      Fail(ZipStreamState::kLocalEnd);
      return;
    }
    // A split archive's marker, a self-extractor's stub or garbage: none of it is followed.
    if (sig != kLocalSig) {
      Fail(ZipStreamState::kCannotFollow);
      return;
    }
    pendingWanted = kLocalFixed;
    return;
  }
  if (pending.size() == kLocalFixed) {
    pendingWanted = kLocalFixed + Get16(&pending[26]) + Get16(&pending[28]);
    if (pending.size() < pendingWanted) return;
  }
  BeginEntry();
}

void ZipStreamReader::Impl::BeginEntry() {
  const uint8_t* h = pending.data();
  const size_t nameLength = Get16(h + 26);
  const size_t extraLength = Get16(h + 28);
  entry = StreamEntry();
  entry.headerOffset = consumed - pending.size();
  entry.dataOffset = consumed;
  entry.versionNeeded = Get16(h + 4);
  entry.flags = Get16(h + 6);
  entry.method = Get16(h + 8);
  entry.dosDateTime = Get32(h + 10);
  entry.crc = Get32(h + 14);
  entry.rawName.assign(reinterpret_cast<const char*>(h + kLocalFixed), nameLength);
  entry.localExtra.assign(h + kLocalFixed + nameLength, h + kLocalFixed + nameLength + extraLength);
  pending.clear();
  pendingWanted = 4;

  const bool descriptor = (entry.flags & kFlagDescriptor) != 0;
  if ((entry.flags & (kFlagEncrypted | kFlagPatched | kFlagStrongEncryption | kFlagMaskedHeader)) ||
      (entry.method != kStored && entry.method != kDeflated)) {
    Fail(ZipStreamState::kCannotFollow);
    return;
  }

  const uint32_t compressed32 = Get32(h + 18);
  const uint32_t uncompressed32 = Get32(h + 22);
  const uint8_t* z64 = nullptr;
  size_t z64Size = 0;
  zip64Local = FindZip64(entry.localExtra.data(), entry.localExtra.size(), &z64, &z64Size);
  entry.compressedSize = compressed32;
  entry.uncompressedSize = uncompressed32;
  if (!descriptor && (compressed32 == kMax32 || uncompressed32 == kMax32)) {
    if (!zip64Local) {
      Fail(ZipStreamState::kBroken);
      return;
    }
    // A local zip64 field should hold both sizes; some writers put only the saturated one.
    // Reading the saturated ones in order covers both, except a lone compressed size after a
    // present uncompressed one, which sits at 8 when the field has room for both.
    if (uncompressed32 == kMax32 || z64Size < 16) {
      const bool saturated[2] = {uncompressed32 == kMax32, compressed32 == kMax32};
      uint64_t values[2] = {entry.uncompressedSize, entry.compressedSize};
      if (!ReadZip64(z64, z64Size, saturated, values, 2)) {
        Fail(ZipStreamState::kBroken);
        return;
      }
      entry.uncompressedSize = values[0];
      entry.compressedSize = values[1];
    } else {
      entry.compressedSize = Get64(z64 + 8);
    }
  }
  if (!descriptor &&
      (AddOverflows(entry.dataOffset, entry.compressedSize) ||
       (entry.method == kStored && entry.compressedSize != entry.uncompressedSize))) {
    Fail(ZipStreamState::kBroken);
    return;
  }

  inTaken = 0;
  outGiven = 0;
  crc = crc32(0L, Z_NULL, 0);
  if (entry.method == kDeflated) {
    if (!inflateReady) {
      if (inflateInit2(&zs, -MAX_WBITS) != Z_OK) {
        Fail(ZipStreamState::kBroken);
        return;
      }
      inflateReady = true;
      out.reset(new uint8_t[kOutBlock]);
    } else if (inflateReset(&zs) != Z_OK) {
      Fail(ZipStreamState::kBroken);
      return;
    }
  }
  if (!sink.OnEntryBegin(entry)) {
    Fail(ZipStreamState::kStopped);
    return;
  }
  phase = Phase::kData;
  // Stored data has no end marker of its own: with a descriptor only the directory could say
  // where it stops. Streaming writers store empty files that way, so such an entry is taken as
  // empty, and is followed only if an empty entry's descriptor comes right after the header.
  if (entry.method == kStored && (descriptor || entry.compressedSize == 0)) {
    entry.compressedSize = 0;
    DataEnded();
  }
}

bool ZipStreamReader::Impl::Deliver(const uint8_t* bytes, size_t count) {
  if (count == 0) return true;
  crc = crc32_z(crc, bytes, count);
  outGiven += count;
  if (!sink.OnEntryData(bytes, count)) {
    Fail(ZipStreamState::kStopped);
    return false;
  }
  return true;
}

void ZipStreamReader::Impl::Stored(const uint8_t*& data, size_t& size) {
  const size_t take = static_cast<size_t>(std::min<uint64_t>(size, entry.compressedSize - inTaken));
  const uint8_t* bytes = data;
  data += take;
  size -= take;
  consumed += take;
  inTaken += take;
  if (!Deliver(bytes, take)) return;
  if (inTaken == entry.compressedSize) DataEnded();
}

void ZipStreamReader::Impl::Deflated(const uint8_t*& data, size_t& size) {
  const bool descriptor = (entry.flags & kFlagDescriptor) != 0;
  // Without a descriptor the header's size is the data's end: inflate never sees a byte past it.
  const size_t offered =
      descriptor ? size
                 : static_cast<size_t>(std::min<uint64_t>(size, entry.compressedSize - inTaken));
  zs.next_in = const_cast<Bytef*>(data);
  zs.avail_in = static_cast<uInt>(std::min<size_t>(offered, std::numeric_limits<uInt>::max()));
  const uInt availIn = zs.avail_in;
  int result = Z_OK;
  for (;;) {
    zs.next_out = out.get();
    zs.avail_out = kOutBlock;
    result = inflate(&zs, Z_NO_FLUSH);
    const size_t produced = kOutBlock - zs.avail_out;
    if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) break;
    if (!descriptor && produced > entry.uncompressedSize - outGiven) {
      result = Z_DATA_ERROR;  // more than the header promised
      break;
    }
    if (!Deliver(out.get(), produced)) return;
    if (result == Z_STREAM_END || (zs.avail_out != 0 && zs.avail_in == 0)) break;
    if (result == Z_BUF_ERROR) break;  // no progress possible: wants input it was not given
  }
  const size_t taken = availIn - zs.avail_in;
  data += taken;
  size -= taken;
  consumed += taken;
  inTaken += taken;
  if (result == Z_STREAM_END) {
    if (!descriptor && inTaken != entry.compressedSize) {
      Fail(ZipStreamState::kBroken);
      return;
    }
    DataEnded();
    return;
  }
  if ((result != Z_OK && result != Z_BUF_ERROR) ||
      (!descriptor && inTaken == entry.compressedSize)) {
    Fail(ZipStreamState::kBroken);  // bad deflate data, or its end is not where the header says
  }
}

void ZipStreamReader::Impl::DataEnded() {
  if (entry.flags & kFlagDescriptor) {
    phase = Phase::kDescriptor;
    pendingWanted = 4;
    return;
  }
  if (crc != entry.crc || outGiven != entry.uncompressedSize) {
    Fail(ZipStreamState::kBroken);
    return;
  }
  EndEntry();
}

void ZipStreamReader::Impl::Descriptor(const uint8_t*& data, size_t& size) {
  if (!Collect(data, size)) return;
  // The signature is optional; a CRC that happens to equal it is read as the signature and ends
  // in kBroken, which costs a fallback and nothing else.
  const size_t sigLength = Get32(pending.data()) == kDescriptorSig ? 4 : 0;
  const size_t sizesLength = zip64Local ? 16 : 8;
  const size_t whole = sigLength + 4 + sizesLength;
  if (pending.size() < whole) {
    pendingWanted = whole;
    return;
  }
  const uint8_t* d = pending.data() + sigLength;
  entry.crc = Get32(d);
  entry.compressedSize = zip64Local ? Get64(d + 4) : Get32(d + 4);
  entry.uncompressedSize = zip64Local ? Get64(d + 12) : Get32(d + 8);
  pending.clear();
  pendingWanted = 4;
  if (entry.crc != crc || entry.compressedSize != inTaken || entry.uncompressedSize != outGiven) {
    Fail(entry.method == kStored ? ZipStreamState::kCannotFollow : ZipStreamState::kBroken);
    return;
  }
  EndEntry();
}

void ZipStreamReader::Impl::EndEntry() {
  phase = Phase::kHeader;
  if (!sink.OnEntryEnd(entry)) {
    Fail(ZipStreamState::kStopped);
    return;
  }
  entries.push_back(std::move(entry));
}

ZipStreamReader::ZipStreamReader(ZipStreamSink& sink) : impl_(new Impl(sink)) {}
ZipStreamReader::~ZipStreamReader() = default;

ZipStreamState ZipStreamReader::Feed(const uint8_t* data, size_t size) {
  Impl& m = *impl_;
  while (m.state == ZipStreamState::kRunning && size > 0) {
    switch (m.phase) {
      case Impl::Phase::kHeader:
        m.Header(data, size);
        break;
      case Impl::Phase::kData:
        if (m.entry.method == kStored) {
          m.Stored(data, size);
        } else {
          m.Deflated(data, size);
        }
        break;
      case Impl::Phase::kDescriptor:
        m.Descriptor(data, size);
        break;
    }
  }
  return m.state;
}

ZipStreamState ZipStreamReader::state() const { return impl_->state; }
uint64_t ZipStreamReader::consumed() const { return impl_->consumed; }
uint64_t ZipStreamReader::centralOffset() const { return impl_->centralOffset; }
const std::vector<StreamEntry>& ZipStreamReader::entries() const { return impl_->entries; }

namespace {

// Where the central directory lies, as its end record (and zip64 end record) say.
struct DirectoryPlace {
  uint64_t offset = 0;
  uint64_t size = 0;
  uint64_t count = 0;
  uint64_t limit = 0;  // the first byte after the room the directory may use
};

// Finds the end record searching back from the archive's end and reads the directory's place
// from it, or from the zip64 end record where its fields are saturated.
bool FindDirectory(const uint8_t* tail, size_t tailSize, uint64_t tailOffset,
                   DirectoryPlace* place) {
  if (tailSize < kEndFixed) return false;
  const size_t lowest = tailSize - kEndFixed > kMax16 ? tailSize - kEndFixed - kMax16 : 0;
  size_t end = tailSize - kEndFixed;
  for (;; --end) {
    // Bytes after the comment are tolerated: a tool writing to a pipe may pad its last block
    // with zeros (bsdtar pads to 10 KiB), and the unzip library tolerates them likewise.
    if (Get32(tail + end) == kEndSig && Get16(tail + end + 20) <= tailSize - end - kEndFixed) {
      break;
    }
    if (end == lowest) return false;
  }
  const uint8_t* e = tail + end;
  const uint16_t disk = Get16(e + 4);
  const uint16_t directoryDisk = Get16(e + 6);
  const uint16_t countHere = Get16(e + 8);
  const uint16_t count = Get16(e + 10);
  const uint32_t size = Get32(e + 12);
  const uint32_t offset = Get32(e + 16);
  place->count = count;
  place->size = size;
  place->offset = offset;
  place->limit = tailOffset + end;
  const bool zip64 = disk == kMax16 || directoryDisk == kMax16 || countHere == kMax16 ||
                     count == kMax16 || size == kMax32 || offset == kMax32;
  if (!zip64) return disk == 0 && directoryDisk == 0 && countHere == count;

  if (end < kZip64LocatorSize) return false;
  const uint8_t* locator = e - kZip64LocatorSize;
  if (Get32(locator) != kZip64LocatorSig || Get32(locator + 4) != 0 || Get32(locator + 16) > 1) {
    return false;
  }
  const uint64_t recordOffset = Get64(locator + 8);
  if (recordOffset < tailOffset || recordOffset > tailOffset + end - kZip64LocatorSize ||
      tailOffset + end - kZip64LocatorSize - recordOffset < kZip64EndFixed) {
    return false;
  }
  const uint8_t* r = tail + (recordOffset - tailOffset);
  if (Get32(r) != kZip64EndSig || Get32(r + 16) != 0 || Get32(r + 20) != 0 ||
      Get64(r + 24) != Get64(r + 32)) {
    return false;
  }
  if (count == kMax16) place->count = Get64(r + 32);
  if (size == kMax32) place->size = Get64(r + 40);
  if (offset == kMax32) place->offset = Get64(r + 48);
  place->limit = recordOffset;
  return true;
}

}  // namespace

CentralCheck CheckCentralDirectory(const uint8_t* tail, size_t tailSize, uint64_t tailOffset,
                                   uint64_t archiveSize, uint64_t centralOffset,
                                   const std::vector<StreamEntry>& entries,
                                   std::vector<CentralRecord>* records) {
  if (AddOverflows(tailOffset, tailSize) || tailOffset + tailSize != archiveSize ||
      centralOffset < tailOffset || centralOffset > archiveSize) {
    return CentralCheck::kBroken;
  }
  DirectoryPlace place;
  if (!FindDirectory(tail, tailSize, tailOffset, &place)) return CentralCheck::kBroken;
  if (place.offset > place.limit || place.limit - place.offset < place.size) {
    return CentralCheck::kBroken;
  }
  // A directory elsewhere would mean the entries were read at shifted offsets (a prefix the
  // directory does not count): nothing read in stream order can be trusted then.
  if (place.offset != centralOffset) return CentralCheck::kDisagrees;

  std::vector<CentralRecord> found;
  const uint8_t* p = tail + (place.offset - tailOffset);
  const uint8_t* const end = p + place.size;
  uint64_t index = 0;
  for (; p != end; ++index) {
    if (static_cast<size_t>(end - p) < kCentralFixed || Get32(p) != kCentralSig) {
      return CentralCheck::kBroken;
    }
    const size_t nameLength = Get16(p + 28);
    const size_t extraLength = Get16(p + 30);
    const size_t commentLength = Get16(p + 32);
    if (static_cast<size_t>(end - p) - kCentralFixed < nameLength + extraLength + commentLength) {
      return CentralCheck::kBroken;
    }
    const uint8_t* name = p + kCentralFixed;
    const uint8_t* extra = name + nameLength;
    const bool saturated[4] = {Get32(p + 24) == kMax32, Get32(p + 20) == kMax32,
                               Get32(p + 42) == kMax32, Get16(p + 34) == kMax16};
    uint64_t values[4] = {Get32(p + 24), Get32(p + 20), Get32(p + 42), Get16(p + 34)};
    if (saturated[0] || saturated[1] || saturated[2] || saturated[3]) {
      const uint8_t* body = nullptr;
      size_t bodySize = 0;
      if (!FindZip64(extra, extraLength, &body, &bodySize) ||
          !ReadZip64(body, bodySize, saturated, values, 4)) {
        return CentralCheck::kBroken;
      }
    }
    if (values[3] != 0) return CentralCheck::kBroken;  // another disk

    if (index >= entries.size()) return CentralCheck::kDisagrees;
    const StreamEntry& e = entries[index];
    if (e.rawName.size() != nameLength || std::memcmp(e.rawName.data(), name, nameLength) != 0 ||
        (e.flags & kFlagsCompared) != (Get16(p + 8) & kFlagsCompared) ||
        e.method != Get16(p + 10) || e.crc != Get32(p + 16) || e.uncompressedSize != values[0] ||
        e.compressedSize != values[1] || e.headerOffset != values[2]) {
      return CentralCheck::kDisagrees;
    }
    CentralRecord record;
    record.versionMadeBy = Get16(p + 4);
    record.dosDateTime = Get32(p + 12);
    record.externalAttributes = Get32(p + 38);
    record.extra.assign(extra, extra + extraLength);
    found.push_back(std::move(record));
    p += kCentralFixed + nameLength + extraLength + commentLength;
  }
  if (index != place.count) return CentralCheck::kBroken;
  if (index != entries.size()) return CentralCheck::kDisagrees;
  if (records) records->swap(found);
  return CentralCheck::kConfirmed;
}

}  // namespace dl
