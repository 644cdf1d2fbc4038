#include <gtest/gtest.h>

#include <vector>

#include "install/zip_times.h"

namespace {

uint32_t Dos(int year, int month, int day, int hour, int minute, int second) {
  uint32_t date = static_cast<uint32_t>(((year - 1980) << 9) | (month << 5) | day);
  uint32_t time = static_cast<uint32_t>((hour << 11) | (minute << 5) | (second / 2));
  return (date << 16) | time;
}

TEST(ZipAttributes, FatHostsKeepTheirBitsOthersMapUnixModes) {
  // FAT-like hosts: only the five meaningful bits survive.
  for (uint32_t host : {0u, 7u, 11u, 14u}) {
    EXPECT_EQ(dl::EntryFileAttributes(host << 8 | 20, 0xFFFFFFFFu), 0x37u) << host;
    EXPECT_EQ(dl::EntryFileAttributes(host << 8 | 20, 0x22u), 0x22u) << host;
    EXPECT_EQ(dl::EntryFileAttributes(host << 8 | 20, 0u), 0u) << host;
  }
  const uint32_t unix = 3u << 8 | 30;
  EXPECT_EQ(dl::EntryFileAttributes(unix, 0100644u << 16), 0x20u);
  EXPECT_EQ(dl::EntryFileAttributes(unix, 0100444u << 16), 0x21u);
  EXPECT_EQ(dl::EntryFileAttributes(unix, (040755u << 16) | 0x10), 0x30u);
  // Never hidden or system from a Unix mode, whatever the low byte says.
  EXPECT_EQ(dl::EntryFileAttributes(unix, (0100644u << 16) | 0x06), 0x20u);
  // NTFS (10) is not in the FAT list: its FAT bits alone give no owner-write bit.
  EXPECT_EQ(dl::EntryFileAttributes(10u << 8, 0x20u), 0x21u);
}

TEST(ZipTimes, DosDateAndTimeBecomeCalendarFields) {
  dl::CivilTime t;
  ASSERT_TRUE(dl::DosDateTimeToCivil(Dos(2021, 6, 15, 10, 20, 30), &t));
  EXPECT_EQ(t.year, 2021);
  EXPECT_EQ(t.month, 6);
  EXPECT_EQ(t.day, 15);
  EXPECT_EQ(t.hour, 10);
  EXPECT_EQ(t.minute, 20);
  EXPECT_EQ(t.second, 30);
  ASSERT_TRUE(dl::DosDateTimeToCivil(Dos(2107, 12, 31, 23, 59, 58), &t));
  EXPECT_EQ(t.year, 2107);
  EXPECT_TRUE(dl::DosDateTimeToCivil(Dos(2020, 2, 29, 0, 0, 0), &t));
  EXPECT_FALSE(dl::DosDateTimeToCivil(Dos(2021, 2, 29, 0, 0, 0), &t));
  EXPECT_FALSE(dl::DosDateTimeToCivil(Dos(2100, 2, 29, 0, 0, 0), &t));
  EXPECT_FALSE(dl::DosDateTimeToCivil(0, &t));  // month and day 0: tools write it for "none"
  EXPECT_FALSE(dl::DosDateTimeToCivil(Dos(2021, 13, 1, 0, 0, 0), &t));
  EXPECT_FALSE(dl::DosDateTimeToCivil(Dos(2021, 4, 31, 0, 0, 0), &t));
  EXPECT_FALSE(dl::DosDateTimeToCivil(Dos(2021, 1, 1, 24, 0, 0), &t));
  EXPECT_FALSE(dl::DosDateTimeToCivil((Dos(2021, 1, 1, 0, 0, 0) & ~0x1Fu) | 30u, &t));  // 60 s
}

std::vector<unsigned char> Block(uint16_t id, std::vector<unsigned char> body) {
  std::vector<unsigned char> out = {
      static_cast<unsigned char>(id), static_cast<unsigned char>(id >> 8),
      static_cast<unsigned char>(body.size()), static_cast<unsigned char>(body.size() >> 8)};
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

std::vector<unsigned char> Le32(uint32_t v) {
  return {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
          static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
}

std::vector<unsigned char> Join(std::initializer_list<std::vector<unsigned char>> parts) {
  std::vector<unsigned char> out;
  for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

TEST(ZipTimes, TheFirstUnixTimeBlockSaysWhichTimesItCarries) {
  dl::UnixTimes times;
  // Behind another block, all three times in their fixed order.
  auto all = Join({Block(0x000A, std::vector<unsigned char>(32, 0xEE)),
                   Block(0x5455, Join({{7}, Le32(1000000000), Le32(1100000000), Le32(1200000000)})),
                   Block(0x5455, Join({{1}, Le32(42)}))});
  ASSERT_TRUE(dl::FindUnixTimes(all.data(), all.size(), &times));
  EXPECT_EQ(times.present, 7u);
  EXPECT_EQ(times.modification, 1000000000u);
  EXPECT_EQ(times.access, 1100000000u);
  EXPECT_EQ(times.creation, 1200000000u);

  // Only creation flagged: its value is the first after the flags.
  auto creation = Block(0x5455, Join({{4}, Le32(1300000000)}));
  ASSERT_TRUE(dl::FindUnixTimes(creation.data(), creation.size(), &times));
  EXPECT_EQ(times.present, dl::kUnixTimeCreation);
  EXPECT_EQ(times.creation, 1300000000u);
  EXPECT_EQ(times.modification, 0u);

  // The central directory's short form: flags announce two times, one is there.
  auto shortForm = Block(0x5455, Join({{3}, Le32(77)}));
  ASSERT_TRUE(dl::FindUnixTimes(shortForm.data(), shortForm.size(), &times));
  EXPECT_EQ(times.present, dl::kUnixTimeModification);
  EXPECT_EQ(times.modification, 77u);

  auto none = Block(0x7875, {1, 4, 0, 0, 0, 0});
  EXPECT_FALSE(dl::FindUnixTimes(none.data(), none.size(), &times));
  // A block that claims more bytes than the field holds ends the search.
  auto broken = Join({Block(0x000A, {1, 2}), Block(0x5455, Join({{1}, Le32(5)}))});
  broken[2] = 200;
  EXPECT_FALSE(dl::FindUnixTimes(broken.data(), broken.size(), &times));
  EXPECT_EQ(times.present, 0u);
}

TEST(ZipTimes, UnixSecondsCountFromTheFileTimeEpoch) {
  EXPECT_EQ(dl::UnixSecondsToFileTimeTicks(0), 116444736000000000ull);
  EXPECT_EQ(dl::UnixSecondsToFileTimeTicks(1590000000), 132344736000000000ull);
  // Past 2038: the block's value is unsigned.
  EXPECT_EQ(dl::UnixSecondsToFileTimeTicks(0xFFFFFFFFu), 159394408950000000ull);
}

}  // namespace
