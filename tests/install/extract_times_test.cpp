// Entry headers in forms the tool-made archives do not show.
#include <gtest/gtest.h>
#include <vector>

#include "install/zip_times.h"

namespace {

using Bytes = std::vector<unsigned char>;

uint32_t Dos(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  return static_cast<uint32_t>(((year - 1980) << 25) | (month << 21) | (day << 16) | (hour << 11) |
                               (minute << 5) | (second / 2));
}

TEST(ZipAttributes, OnlyFatHostsKeepTheirBitsUnixModesNeverGiveHiddenOrSystem) {
  const uint32_t unix = 3u << 8 | 30;
  EXPECT_EQ(dl::EntryFileAttributes(14u << 8 | 20, 0xFFFFFFFFu), 0x37u);  // the five FAT bits
  EXPECT_EQ(dl::EntryFileAttributes(unix, 0100444u << 16), 0x21u);
  EXPECT_EQ(dl::EntryFileAttributes(unix, (040755u << 16) | 0x10), 0x30u);
  EXPECT_EQ(dl::EntryFileAttributes(unix, (0100644u << 16) | 0x06), 0x20u);
}

TEST(ZipTimes, OnlyRealMomentsAndWellFormedBlocksCount) {
  dl::CivilTime t;
  for (uint32_t fine : {Dos(2107, 12, 31, 23, 59, 58), Dos(2000, 2, 29), Dos(2020, 2, 29)}) {
    EXPECT_TRUE(dl::DosDateTimeToCivil(fine, &t)) << std::hex << fine;
  }
  EXPECT_EQ(t.year, 2020);
  for (uint32_t bad : {Dos(2021, 2, 29), Dos(2100, 2, 29), 0u, Dos(2021, 13, 1), Dos(2021, 4, 31),
                       Dos(2021, 1, 1, 24), Dos(2021, 1, 1) | 30u}) {
    EXPECT_FALSE(dl::DosDateTimeToCivil(bad, &t)) << std::hex << bad;
  }

  dl::UnixTimes times;
  // The central directory's short form: two times flagged, one there.
  const Bytes shortForm = {0x55, 0x54, 5, 0, 3, 77, 0, 0, 0};
  ASSERT_TRUE(dl::FindUnixTimes(shortForm.data(), shortForm.size(), &times));
  EXPECT_EQ(times.present, dl::kUnixTimeModification);
  EXPECT_EQ(times.modification, 77u);
  // A block claiming more bytes than the field holds is not read.
  const Bytes broken = {0x55, 0x54, 9, 0, 1, 5, 0, 0, 0};
  EXPECT_FALSE(dl::FindUnixTimes(broken.data(), broken.size(), &times));
  EXPECT_EQ(times.present, 0u);
  EXPECT_EQ(dl::UnixSecondsToFileTimeTicks(0xFFFFFFFFu), 159394408950000000ull);  // unsigned
}

}  // namespace
