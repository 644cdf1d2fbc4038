// Reading a zip archive in file order while it is still arriving: local headers, entry data
// (stored or deflated, inflated here), data descriptors and zip64 sizes, and afterwards the
// cross-check of everything read against the central directory. Pure code: the bytes come from
// the caller, so nothing here can read past what has been written so far.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dl {

// One entry as its local header (and data descriptor, when it has one) describes it.
struct StreamEntry {
  uint64_t headerOffset = 0;  // archive offset of the local header's signature
  uint64_t dataOffset = 0;    // archive offset of the first data byte
  uint16_t versionNeeded = 0;
  uint16_t flags = 0;        // general-purpose bits (bit 3: data descriptor, bit 11: UTF-8 name)
  uint16_t method = 0;       // 0 stored, 8 deflated: nothing else is followed
  uint32_t dosDateTime = 0;  // DOS time in the low 16 bits, DOS date in the high 16 bits
  // From the header, or from the descriptor once the entry ended (then also checked).
  uint32_t crc = 0;
  uint64_t compressedSize = 0;
  uint64_t uncompressedSize = 0;
  std::string rawName;              // the name's bytes as stored
  std::vector<uint8_t> localExtra;  // the local header's extra field as stored
};

// Told of every entry as the reader follows it. Returning false stops the reader (state
// kStopped): the caller cannot use this entry, and nothing after it is read.
class ZipStreamSink {
 public:
  virtual ~ZipStreamSink() = default;
  // A local header was read whole (name and extra field included). Sizes and CRC are the
  // header's; with a data descriptor they are known only at OnEntryEnd.
  virtual bool OnEntryBegin(const StreamEntry& entry) = 0;
  // The entry's next uncompressed bytes, in order.
  virtual bool OnEntryData(const uint8_t* data, size_t size) = 0;
  // The entry's data ended where its header or descriptor says, and the CRC and both sizes of
  // what was delivered match them.
  virtual bool OnEntryEnd(const StreamEntry& entry) = 0;
};

enum class ZipStreamState {
  kRunning,       // more bytes are welcome
  kLocalEnd,      // the entries ended: the central directory (or another record) begins at
                  // centralOffset()
  kCannotFollow,  // an archive this reader does not follow in stream order: an encrypted
                  // entry, a stored entry with a data descriptor (unless it is empty and its
                  // descriptor follows the header at once), another method, a patched or
                  // strong-encryption flag, data that does not start with a local header
  kBroken,        // the bytes are not what their headers say: bad inflate data, a CRC or size
                  // that does not match, a descriptor that disagrees
  kStopped,       // the sink returned false
};

// Feeds a zip archive through in file order; one per archive. Holds at most one local header,
// zlib's inflate state and one output block, whatever the archive's size.
class ZipStreamReader {
 public:
  explicit ZipStreamReader(ZipStreamSink& sink);
  ~ZipStreamReader();
  ZipStreamReader(const ZipStreamReader&) = delete;
  ZipStreamReader& operator=(const ZipStreamReader&) = delete;

  // The archive's next bytes (any split, even one byte at a time). Returns the state after
  // them; once it is not kRunning, further calls change nothing and return it again.
  ZipStreamState Feed(const uint8_t* data, size_t size);
  ZipStreamState state() const;
  // Archive bytes taken so far (never more than were fed).
  uint64_t consumed() const;
  // Where the local entries ended; meaningful in kLocalEnd.
  uint64_t centralOffset() const;
  // Every entry that reached OnEntryEnd, in archive order, with descriptor values applied.
  const std::vector<StreamEntry>& entries() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// One central directory record, as much of it as the unpacker needs after the cross-check.
struct CentralRecord {
  uint16_t versionMadeBy = 0;
  uint32_t externalAttributes = 0;
  uint32_t dosDateTime = 0;
  std::vector<uint8_t> extra;  // the central extra field (Unicode path fields live there too)
};

enum class CentralCheck {
  kConfirmed,  // every record matches one streamed entry, in order, and none is left over
  kDisagrees,  // the directory is readable but names other entries, sizes, CRCs, offsets,
               // methods, flags or another count
  kBroken,     // no end record, a truncated or malformed directory, offsets outside the bytes
};

// Cross-checks the streamed entries against the archive's central directory. tail holds the
// archive's last bytes, from archive offset tailOffset to the end (archiveSize); it must reach
// back to the directory's start, which must be the reader's centralOffset(). Records, when
// confirmed, go to records (one per entry, in order); records may be null.
CentralCheck CheckCentralDirectory(const uint8_t* tail, size_t tailSize, uint64_t tailOffset,
                                   uint64_t archiveSize, uint64_t centralOffset,
                                   const std::vector<StreamEntry>& entries,
                                   std::vector<CentralRecord>* records);

}  // namespace dl
