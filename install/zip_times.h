// What an entry's headers say about its file besides the name: the file attributes (from
// the host system that made the entry and its external attributes) and the times (the DOS
// date and time, and the Unix time block of an extra field). Pure; the conversion of local
// time to UTC is the platform's, done by the caller.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dl {

// Platform attribute bits the mapping produces.
constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrHidden = 0x02;
constexpr uint32_t kAttrSystem = 0x04;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;

// versionMadeBy is the central header's field (host number in its high byte).
// FAT-like hosts (0, 7, 11, 14): the low byte's read-only, hidden, system, directory and
// archive bits. Any other host: directory from the Unix type bit (bit 30), read-only when the
// owner may not write (bit 23 clear), archive always.
uint32_t EntryFileAttributes(uint32_t versionMadeBy, uint32_t externalAttributes);

struct CivilTime {
  int year;
  int month;  // 1..12
  int day;    // 1..31
  int hour;
  int minute;
  int second;
};

// The DOS date (high 16 bits) and time (low 16 bits) as calendar fields. False when they do
// not name a real moment (month 0, 30 February, second 60, ...); *out is filled anyway.
bool DosDateTimeToCivil(uint32_t dosDateTime, CivilTime* out);

// The extended timestamp block ("UT", id 0x5455): its flag bits say which times follow.
constexpr unsigned kUnixTimeModification = 1;
constexpr unsigned kUnixTimeAccess = 2;
constexpr unsigned kUnixTimeCreation = 4;

struct UnixTimes {
  unsigned present = 0;  // kUnixTime* bits of the times actually carried
  uint32_t modification = 0;
  uint32_t access = 0;
  uint32_t creation = 0;
};

// Finds the first UT block in an extra field and reads the times its flags announce, in the
// order modification, access, creation. A flagged time the block is too short to hold is not
// present. False when there is no UT block (or the field's block list is broken before it).
bool FindUnixTimes(const unsigned char* extra, size_t length, UnixTimes* out);

// Seconds since 1970-01-01 UTC as 100-nanosecond ticks since 1601-01-01 UTC (FILETIME).
uint64_t UnixSecondsToFileTimeTicks(uint32_t seconds);

}  // namespace dl
