// The item records placed in the shell's memory, decoded byte by byte at the offsets the
// shell's list view reads, independently of the structures that build them.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <utility>

#include "install/list_view_layout.h"

namespace dl {
namespace {

// The little-endian field of the given width at offset.
uint64_t Field(const RemoteItemRecord& record, size_t offset, size_t width) {
  uint64_t value = 0;
  for (size_t i = 0; i < width; ++i) value |= uint64_t{record.bytes[offset + i]} << (8 * i);
  return value;
}
// Whether every byte outside the given (offset, width) fields is zero.
bool ZeroOutside(RemoteItemRecord record, std::initializer_list<std::pair<size_t, size_t>> fields) {
  for (const auto& f : fields) std::memset(record.bytes + f.first, 0, f.second);
  for (unsigned char b : record.bytes) {
    if (b != 0) return false;
  }
  return true;
}

TEST(ListViewLayout, FollowsTheShellsBitnessNotTheProgramsAnswer) {
  // A 64-bit program hears "no" from the emulation question yet sees a 64-bit shell.
  EXPECT_EQ(ChooseListViewLayout(true, false), ListViewLayout::k64Bit);
  EXPECT_EQ(ChooseListViewLayout(false, true), ListViewLayout::k64Bit);
  EXPECT_EQ(ChooseListViewLayout(false, false), ListViewLayout::k32Bit);
}

TEST(ListViewLayout, RecordsPointAtTheTextRightAfterThemAndCarryNothingElse) {
  RemoteItemRecord record;
  const uint64_t high = 0x000001F712340000ull;  // above 4 GB, so a cut pointer shows
  ASSERT_TRUE(BuildRemoteItemRecord(ListViewLayout::k64Bit, high, &record));
  EXPECT_EQ(record.size, 48u);
  EXPECT_EQ(Field(record, 24, 8), high + 48);
  EXPECT_EQ(Field(record, 32, 4), 1024u);
  EXPECT_TRUE(ZeroOutside(record, {{24, 8}, {32, 4}}));
  EXPECT_FALSE(BuildRemoteItemRecord(ListViewLayout::k64Bit, UINT64_MAX - 100, &record));

  ASSERT_TRUE(BuildRemoteItemRecord(ListViewLayout::k32Bit, 0x7FFD0000u, &record));
  EXPECT_EQ(record.size, 40u);
  EXPECT_EQ(Field(record, 20, 4), 0x7FFD0000u + 40);
  EXPECT_EQ(Field(record, 24, 4), 1024u);
  EXPECT_TRUE(ZeroOutside(record, {{20, 4}, {24, 4}}));
  // The last block that still ends within 4 GB, and the first that does not.
  const uint64_t last = (uint64_t{1} << 32) - RemoteBlockSize(ListViewLayout::k32Bit);
  ASSERT_TRUE(BuildRemoteItemRecord(ListViewLayout::k32Bit, last, &record));
  EXPECT_EQ(Field(record, 20, 4), last + 40);
  EXPECT_FALSE(BuildRemoteItemRecord(ListViewLayout::k32Bit, last + 1, &record));
  EXPECT_FALSE(BuildRemoteItemRecord(ListViewLayout::k32Bit, high, &record));
}

}  // namespace
}  // namespace dl
