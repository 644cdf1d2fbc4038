#include "install/zip_times.h"

namespace dl {

uint32_t EntryFileAttributes(uint32_t versionMadeBy, uint32_t externalAttributes) {
  uint32_t host = (versionMadeBy >> 8) & 0xFF;
  if (host == 0 || host == 7 || host == 11 || host == 14) {
    return externalAttributes &
           (kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrDirectory | kAttrArchive);
  }
  uint32_t attributes = kAttrArchive;
  if (externalAttributes & (1u << 30)) attributes |= kAttrDirectory;
  if ((externalAttributes & (1u << 23)) == 0) attributes |= kAttrReadOnly;
  return attributes;
}

namespace {
bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

uint32_t ReadLe16(const unsigned char* p) { return p[0] | (static_cast<uint32_t>(p[1]) << 8); }

uint32_t ReadLe32(const unsigned char* p) {
  return ReadLe16(p) | (static_cast<uint32_t>(ReadLe16(p + 2)) << 16);
}
}  // namespace

bool DosDateTimeToCivil(uint32_t dosDateTime, CivilTime* out) {
  uint32_t date = dosDateTime >> 16;
  uint32_t time = dosDateTime & 0xFFFF;
  out->year = 1980 + static_cast<int>(date >> 9);
  out->month = static_cast<int>((date >> 5) & 0x0F);
  out->day = static_cast<int>(date & 0x1F);
  out->hour = static_cast<int>(time >> 11);
  out->minute = static_cast<int>((time >> 5) & 0x3F);
  out->second = static_cast<int>((time & 0x1F) * 2);
  return out->month >= 1 && out->month <= 12 && out->day >= 1 &&
         out->day <= DaysInMonth(out->year, out->month) && out->hour < 24 && out->minute < 60 &&
         out->second < 60;
}

bool FindUnixTimes(const unsigned char* extra, size_t length, UnixTimes* out) {
  *out = UnixTimes();
  size_t i = 0;
  while (i + 4 <= length) {
    uint32_t id = ReadLe16(extra + i);
    size_t size = ReadLe16(extra + i + 2);
    const unsigned char* data = extra + i + 4;
    if (i + 4 + size > length) return false;
    if (id == 0x5455) {
      if (size < 1) return true;
      unsigned flags = data[0];
      size_t at = 1;
      uint32_t* slots[] = {&out->modification, &out->access, &out->creation};
      for (unsigned bit = 0; bit < 3; ++bit) {
        if ((flags & (1u << bit)) == 0) continue;
        if (at + 4 > size) break;
        *slots[bit] = ReadLe32(data + at);
        out->present |= 1u << bit;
        at += 4;
      }
      return true;
    }
    i += 4 + size;
  }
  return false;
}

uint64_t UnixSecondsToFileTimeTicks(uint32_t seconds) {
  constexpr uint64_t kTicksPerSecond = 10000000;
  constexpr uint64_t kSecondsFrom1601To1970 = 11644473600ull;
  return (kSecondsFrom1601To1970 + seconds) * kTicksPerSecond;
}

}  // namespace dl
