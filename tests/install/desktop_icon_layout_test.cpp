// The item records placed in the shell's memory, decoded byte by byte at the offsets the
// shell's list view reads, independently of the structures that build them.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>

#include "install/list_view_layout.h"

namespace dl {
namespace {

uint64_t ReadLittle(const unsigned char* bytes, size_t offset, size_t width) {
  uint64_t value = 0;
  for (size_t i = 0; i < width; ++i) value |= uint64_t{bytes[offset + i]} << (8 * i);
  return value;
}

// Every byte outside the named fields (offset, width) must be zero.
void ExpectZeroOutside(const RemoteItemRecord& record, std::set<size_t> used) {
  for (size_t i = 0; i < sizeof record.bytes; ++i) {
    if (used.count(i) == 0) {
      EXPECT_EQ(record.bytes[i], 0) << "byte " << i;
    }
  }
}

std::set<size_t> Span(size_t offset, size_t width, std::set<size_t> into = {}) {
  for (size_t i = 0; i < width; ++i) into.insert(offset + i);
  return into;
}

TEST(ListViewLayout, FollowsTheShellsBitnessNotTheProgramsAnswer) {
  // A 64-bit program hears "no" from the emulation question yet sees a 64-bit shell.
  EXPECT_EQ(ChooseListViewLayout(true, false), ListViewLayout::k64Bit);
  EXPECT_EQ(ChooseListViewLayout(false, true), ListViewLayout::k64Bit);
  EXPECT_EQ(ChooseListViewLayout(false, false), ListViewLayout::k32Bit);
  EXPECT_EQ(RemoteRecordSize(ListViewLayout::k64Bit), 48u);
  EXPECT_EQ(RemoteBlockSize(ListViewLayout::k64Bit), 1072u);
  EXPECT_EQ(RemoteRecordSize(ListViewLayout::k32Bit), 40u);
  EXPECT_EQ(RemoteBlockSize(ListViewLayout::k32Bit), 1064u);
}

TEST(ListViewLayout, The64BitRecordPointsAtTheTextAfterIt) {
  RemoteItemRecord record;
  // Above 4 GB, so a pointer cut to 32 bits shows.
  const uint64_t block = 0x000001F712340000ull;
  ASSERT_TRUE(BuildRemoteItemRecord(ListViewLayout::k64Bit, block, &record));
  EXPECT_EQ(record.size, 48u);
  EXPECT_EQ(ReadLittle(record.bytes, 24, 8), block + 48);
  EXPECT_EQ(ReadLittle(record.bytes, 32, 4), 1024u);
  ExpectZeroOutside(record, Span(24, 8, Span(32, 4)));

  EXPECT_FALSE(BuildRemoteItemRecord(ListViewLayout::k64Bit, UINT64_MAX - 100, &record));
}

TEST(ListViewLayout, The32BitRecordPointsAtTheTextAfterItBelow4GB) {
  RemoteItemRecord record;
  ASSERT_TRUE(BuildRemoteItemRecord(ListViewLayout::k32Bit, 0x7FFD0000u, &record));
  EXPECT_EQ(record.size, 40u);
  EXPECT_EQ(ReadLittle(record.bytes, 20, 4), 0x7FFD0000u + 40);
  EXPECT_EQ(ReadLittle(record.bytes, 24, 4), 1024u);
  ExpectZeroOutside(record, Span(20, 4, Span(24, 4)));

  // The last block that still ends within 4 GB, and the first that does not.
  const uint64_t last = (uint64_t{1} << 32) - 1064;
  ASSERT_TRUE(BuildRemoteItemRecord(ListViewLayout::k32Bit, last, &record));
  EXPECT_EQ(ReadLittle(record.bytes, 20, 4), last + 40);
  EXPECT_FALSE(BuildRemoteItemRecord(ListViewLayout::k32Bit, last + 1, &record));
  EXPECT_FALSE(BuildRemoteItemRecord(ListViewLayout::k32Bit, 0x000001F712340000ull, &record));
}

}  // namespace
}  // namespace dl
