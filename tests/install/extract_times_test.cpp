// What entry headers say besides the name, in the forms the tool-made archives under wine do
// not show: Unix modes, impossible DOS dates, short or broken time blocks.
#include <gtest/gtest.h>

#include <vector>

#include "install/zip_times.h"

namespace {

using Bytes = std::vector<unsigned char>;

uint32_t Dos(int year, int month, int day, int hour, int minute, int second) {
  uint32_t date = static_cast<uint32_t>(((year - 1980) << 9) | (month << 5) | day);
  uint32_t time = static_cast<uint32_t>((hour << 11) | (minute << 5) | (second / 2));
  return (date << 16) | time;
}

TEST(ZipAttributes, OnlyFatHostsKeepTheirBitsOthersMapUnixModes) {
  EXPECT_EQ(dl::EntryFileAttributes(14u << 8 | 20, 0xFFFFFFFFu), 0x37u);  // the five FAT bits
  const uint32_t unix = 3u << 8 | 30;
  EXPECT_EQ(dl::EntryFileAttributes(unix, 0100444u << 16), 0x21u);
  EXPECT_EQ(dl::EntryFileAttributes(unix, (040755u << 16) | 0x10), 0x30u);
  // Never hidden or system from a Unix mode, whatever the low byte says.
  EXPECT_EQ(dl::EntryFileAttributes(unix, (0100644u << 16) | 0x06), 0x20u);
  // NTFS (10) is not in the FAT list: its FAT bits alone give no owner-write bit.
  EXPECT_EQ(dl::EntryFileAttributes(10u << 8, 0x20u), 0x21u);
}

TEST(ZipTimes, OnlyRealMomentsBecomeCalendarFields) {
  dl::CivilTime t;
  EXPECT_TRUE(dl::DosDateTimeToCivil(Dos(2107, 12, 31, 23, 59, 58), &t));
  EXPECT_EQ(t.year, 2107);
  EXPECT_TRUE(dl::DosDateTimeToCivil(Dos(2020, 2, 29, 0, 0, 0), &t));
  for (uint32_t bad : {Dos(2021, 2, 29, 0, 0, 0), Dos(2100, 2, 29, 0, 0, 0), 0u,  // 0: "none"
                       Dos(2021, 13, 1, 0, 0, 0), Dos(2021, 4, 31, 0, 0, 0),
                       Dos(2021, 1, 1, 24, 0, 0), (Dos(2021, 1, 1, 0, 0, 0) & ~0x1Fu) | 30u}) {
    EXPECT_FALSE(dl::DosDateTimeToCivil(bad, &t)) << std::hex << bad;
  }
}

Bytes Block(uint16_t id, Bytes body) {
  body.insert(body.begin(), {static_cast<unsigned char>(id), static_cast<unsigned char>(id >> 8),
                             static_cast<unsigned char>(body.size()), 0});
  return body;
}
Bytes Ut(unsigned char flags, uint32_t time) {
  Bytes body = {flags};
  for (int shift = 0; shift < 32; shift += 8)
    body.push_back(static_cast<unsigned char>(time >> shift));
  return Block(0x5455, body);
}

TEST(ZipTimes, UnixTimeBlocksThatAreShortBrokenOrMissing) {
  dl::UnixTimes times;
  // The central directory's short form: flags announce two times, one is there.
  Bytes shortForm = Ut(3, 77);
  ASSERT_TRUE(dl::FindUnixTimes(shortForm.data(), shortForm.size(), &times));
  EXPECT_EQ(times.present, dl::kUnixTimeModification);
  EXPECT_EQ(times.modification, 77u);
  // Only creation flagged: its value is the first after the flags.
  Bytes creation = Ut(4, 1300000000);
  ASSERT_TRUE(dl::FindUnixTimes(creation.data(), creation.size(), &times));
  EXPECT_EQ(times.present, dl::kUnixTimeCreation);
  EXPECT_EQ(times.creation, 1300000000u);

  Bytes none = Block(0x7875, {1, 4, 0, 0, 0, 0});
  EXPECT_FALSE(dl::FindUnixTimes(none.data(), none.size(), &times));
  // A block that claims more bytes than the field holds ends the search.
  Bytes broken = Block(0x000A, {1, 2});
  broken[2] = 200;
  const Bytes after = Ut(1, 5);
  broken.insert(broken.end(), after.begin(), after.end());
  EXPECT_FALSE(dl::FindUnixTimes(broken.data(), broken.size(), &times));
  EXPECT_EQ(times.present, 0u);
  EXPECT_EQ(dl::UnixSecondsToFileTimeTicks(0xFFFFFFFFu), 159394408950000000ull);  // unsigned
}

}  // namespace
