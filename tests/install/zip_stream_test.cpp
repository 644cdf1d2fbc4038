// The streaming reader on archives that real tools made at test time
// (zip_stream_make_archives.py): any split of the bytes gives the entries the tool was given and
// the central directory confirms them; nothing a tool writes that cannot be followed, and no
// damaged archive, ever confirms.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "install/zip_stream.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Delivered {
  uint32_t crc;
  uint64_t size;
  std::string name;
  bool operator<(const Delivered& o) const { return name < o.name; }
  bool operator==(const Delivered& o) const {
    return crc == o.crc && size == o.size && name == o.name;
  }
};

std::string Dir() {
  const char* dir = std::getenv("DL_ZIP_STREAM_ARCHIVES");
  return dir ? dir : "";
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<Delivered> Manifest(const std::string& archive) {
  std::ifstream in(Dir() + "/" + archive + ".entries");
  std::vector<Delivered> out;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    Delivered d{};
    fields >> std::hex >> d.crc >> std::dec >> d.size;
    fields.get();
    std::getline(fields, d.name);
    out.push_back(d);
  }
  std::sort(out.begin(), out.end());
  return out;
}

// Checks the order of the sink's calls and what each entry delivered against its own claims.
class RecordingSink : public dl::ZipStreamSink {
 public:
  int stopAtEnd = -1;  // the index of the entry whose end the sink refuses
  std::vector<Delivered> ended;

  bool OnEntryBegin(const dl::StreamEntry& entry) override {
    EXPECT_FALSE(open_);
    open_ = true;
    crc_ = crc32(0, Z_NULL, 0);
    size_ = 0;
    name_ = entry.rawName;
    return true;
  }
  bool OnEntryData(const uint8_t* data, size_t size) override {
    EXPECT_TRUE(open_);
    EXPECT_GT(size, 0u);
    crc_ = crc32_z(crc_, data, size);
    size_ += size;
    return true;
  }
  bool OnEntryEnd(const dl::StreamEntry& entry) override {
    EXPECT_TRUE(open_);
    open_ = false;
    EXPECT_EQ(entry.rawName, name_);
    EXPECT_EQ(entry.crc, crc_);
    EXPECT_EQ(entry.uncompressedSize, size_);
    if (static_cast<int>(ended.size()) == stopAtEnd) return false;
    ended.push_back({crc_, size_, name_});
    return true;
  }

 private:
  bool open_ = false;
  uint32_t crc_ = 0;
  uint64_t size_ = 0;
  std::string name_;
};

struct Outcome {
  dl::ZipStreamState state;
  dl::CentralCheck check = dl::CentralCheck::kBroken;
  std::vector<Delivered> delivered;  // sorted
};

// Feeds the archive in chunks of this many bytes (0: random lengths) and checks the directory
// where the entries end.
Outcome Follow(const Bytes& archive, size_t chunk, uint32_t seed = 18, int stopAtEnd = -1) {
  RecordingSink sink;
  sink.stopAtEnd = stopAtEnd;
  dl::ZipStreamReader reader(sink);
  std::mt19937 random(seed);
  size_t fed = 0;
  while (fed < archive.size() && reader.state() == dl::ZipStreamState::kRunning) {
    // Lengths from one byte to a quarter megabyte, each order of magnitude alike.
    size_t n = chunk ? chunk : size_t{1} << (random() % 18);
    if (!chunk) n += random() % n;
    n = std::min(n, archive.size() - fed);
    reader.Feed(archive.data() + fed, n);
    fed += n;
    EXPECT_LE(reader.consumed(), fed);
  }
  Outcome o{reader.state(), dl::CentralCheck::kBroken, {}};
  EXPECT_EQ(reader.entries().size(), sink.ended.size());
  if (o.state == dl::ZipStreamState::kLocalEnd) {
    EXPECT_EQ(reader.consumed(), reader.centralOffset());
    // The tail the unpacker keeps starts at the directory; the whole archive must read alike.
    const uint64_t from = reader.centralOffset();
    std::vector<dl::CentralRecord> records;
    o.check = dl::CheckCentralDirectory(archive.data() + from, archive.size() - from, from,
                                        archive.size(), from, reader.entries(), &records);
    EXPECT_EQ(o.check, dl::CheckCentralDirectory(archive.data(), archive.size(), 0, archive.size(),
                                                 from, reader.entries(), nullptr));
    if (o.check == dl::CentralCheck::kConfirmed) {
      EXPECT_EQ(records.size(), reader.entries().size());
    }
  }
  o.delivered = sink.ended;
  std::sort(o.delivered.begin(), o.delivered.end());
  return o;
}

// Archive names from cases.txt with the outcome the maker expects of them.
std::vector<std::string> Cases(const std::string& expect) {
  std::ifstream in(Dir() + "/cases.txt");
  std::vector<std::string> names;
  std::string name, what;
  while (in >> name >> what) {
    if (what == expect) names.push_back(name);
  }
  return names;
}

class ZipStreamTools : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Dir().empty()) << "DL_ZIP_STREAM_ARCHIVES must name the maker's folder";
  }
};

TEST_F(ZipStreamTools, EveryToolsArchiveConfirmsInRandomAndOneByteSplits) {
  const std::vector<std::string> names = Cases("confirmed");
  ASSERT_EQ(names.size(), 13u);
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const Bytes archive = ReadFile(Dir() + "/" + name);
    const std::vector<Delivered> expected = Manifest(name);
    for (size_t chunk : {0, 1}) {
      const Outcome o = Follow(archive, chunk);
      EXPECT_EQ(o.state, dl::ZipStreamState::kLocalEnd) << "chunk " << chunk;
      EXPECT_EQ(o.check, dl::CentralCheck::kConfirmed) << "chunk " << chunk;
      EXPECT_TRUE(o.delivered == expected) << "chunk " << chunk;
    }
  }
}

TEST_F(ZipStreamTools, UnfollowableDisagreeingAndDamagedArchivesNeverConfirm) {
  for (const std::string& name : Cases("cannot_follow")) {
    SCOPED_TRACE(name);
    const Bytes archive = ReadFile(Dir() + "/" + name);
    EXPECT_EQ(Follow(archive, 0).state, dl::ZipStreamState::kCannotFollow);
    EXPECT_EQ(Follow(archive, 1).state, dl::ZipStreamState::kCannotFollow);
  }
  for (const std::string& name : Cases("disagrees")) {
    SCOPED_TRACE(name);
    const Outcome o = Follow(ReadFile(Dir() + "/" + name), 0);
    EXPECT_EQ(o.state, dl::ZipStreamState::kLocalEnd);
    EXPECT_EQ(o.check, dl::CentralCheck::kDisagrees);
  }
  const std::vector<std::string> broken = Cases("broken");
  ASSERT_FALSE(broken.empty());
  for (const std::string& name : broken) {
    SCOPED_TRACE(name);
    const std::vector<Delivered> expected = Manifest(name);
    for (size_t chunk : {0, 1}) {
      const Outcome o = Follow(ReadFile(Dir() + "/" + name), chunk);
      EXPECT_EQ(o.state, dl::ZipStreamState::kBroken);
      // Whatever ended before the damage is the tool's bytes, never the damaged entry.
      for (const Delivered& d : o.delivered) {
        const auto it = std::lower_bound(expected.begin(), expected.end(), d);
        EXPECT_TRUE(it != expected.end() && *it == d) << d.name;
      }
    }
  }
}

TEST_F(ZipStreamTools, TruncatedPrefixedOrOverflowingArchivesNeverConfirm) {
  for (const char* name : {"infozip.zip", "python_zip64.zip", "infozip_stdin_pipe.zip"}) {
    SCOPED_TRACE(name);
    const Bytes whole = ReadFile(Dir() + "/" + name);
    for (size_t cut = 1; cut < 40; ++cut) {
      const Bytes part(whole.begin(), whole.end() - whole.size() * cut / 40 - 1);
      const Outcome o = Follow(part, 0, static_cast<uint32_t>(cut));
      EXPECT_NE(o.check, dl::CentralCheck::kConfirmed) << part.size();
    }
    // A self-extractor's stub, or any prefix the directory's offsets do not count.
    Bytes prefixed(100, 'M');
    prefixed.insert(prefixed.end(), whole.begin(), whole.end());
    EXPECT_EQ(Follow(prefixed, 0).state, dl::ZipStreamState::kCannotFollow);
  }

  // A zip64 compressed size that runs past every offset.
  Bytes zip64 = ReadFile(Dir() + "/python_zip64.zip");
  const size_t extra = 30 + (zip64[26] | zip64[27] << 8);
  ASSERT_EQ(zip64[extra], 1);
  ASSERT_EQ(zip64[extra + 2], 16);
  std::fill(zip64.begin() + extra + 12, zip64.begin() + extra + 20, 0xFF);
  EXPECT_EQ(Follow(zip64, 0).state, dl::ZipStreamState::kBroken);
}

TEST_F(ZipStreamTools, AnEntryTheSinkRefusesStopsTheReaderAndIsNotRecorded) {
  const Bytes archive = ReadFile(Dir() + "/infozip_pipe.zip");
  const Outcome o = Follow(archive, 0, 18, 2);
  EXPECT_EQ(o.state, dl::ZipStreamState::kStopped);
  EXPECT_EQ(o.delivered.size(), 2u);
}

}  // namespace
