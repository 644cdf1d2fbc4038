// The item records placed in the shell's memory, read at the offsets the shell's list view reads.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <cstring>

#include "ui/installer/list_view_layout.h"

namespace dl {
namespace {

// The little-endian field at offset, cleared once read: what stays must all be zero.
uint64_t Take(RemoteItemRecord& record, size_t offset, size_t width) {
  uint64_t value = 0;
  for (size_t i = 0; i < width; ++i) value |= uint64_t{record.bytes[offset + i]} << (8 * i);
  std::memset(record.bytes + offset, 0, width);
  return value;
}
bool AllZero(const RemoteItemRecord& r) {
  return std::all_of(std::begin(r.bytes), std::end(r.bytes), [](unsigned char b) { return !b; });
}

TEST(ListViewLayout, RecordsPointAtTheTextRightAfterThemAndCarryNothingElse) {
  // A 64-bit program hears "no" from the emulation question yet meets a 64-bit shell.
  EXPECT_EQ(ChooseListViewLayout(true, false), ListViewLayout::k64Bit);
  EXPECT_EQ(ChooseListViewLayout(false, true), ListViewLayout::k64Bit);
  EXPECT_EQ(ChooseListViewLayout(false, false), ListViewLayout::k32Bit);

  RemoteItemRecord record;
  const uint64_t high = 0x000001F712340000ull;  // above 4 GB, so a cut pointer shows
  ASSERT_TRUE(BuildRemoteItemRecord(ListViewLayout::k64Bit, high, &record));
  EXPECT_EQ(record.size, 48u);
  EXPECT_EQ(Take(record, 24, 8), high + 48);
  EXPECT_EQ(Take(record, 32, 4), 1024u);
  EXPECT_TRUE(AllZero(record));
  EXPECT_FALSE(BuildRemoteItemRecord(ListViewLayout::k64Bit, UINT64_MAX - 100, &record));

  // The last 32-bit block that still ends within 4 GB, and the first that does not.
  const uint64_t last = (uint64_t{1} << 32) - RemoteBlockSize(ListViewLayout::k32Bit);
  ASSERT_TRUE(BuildRemoteItemRecord(ListViewLayout::k32Bit, last, &record));
  EXPECT_EQ(record.size, 40u);
  EXPECT_EQ(Take(record, 20, 4), last + 40);
  EXPECT_EQ(Take(record, 24, 4), 1024u);
  EXPECT_TRUE(AllZero(record));
  EXPECT_FALSE(BuildRemoteItemRecord(ListViewLayout::k32Bit, last + 1, &record));
}

}  // namespace
}  // namespace dl
