// Entry names from hostile or careless archives, and the paths built from them.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "install/entry_name.h"

namespace {

using dl::NameProblem;

// Like the Chinese code page: a lead byte whose second byte may be 0x5C, the backslash.
bool GbkLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// "<problem> <name>" plus " folder" for a folder entry.
std::string Clean(const std::string& raw, dl::LeadBytePredicate lead = nullptr, size_t cap = 260) {
  char out[400] = "untouched";
  bool isFolder = false;
  const NameProblem problem = dl::CleanEntryName(raw.data(), raw.size(), lead, out, cap, &isFolder);
  return std::to_string(static_cast<int>(problem)) + " " + out + (isFolder ? " folder" : "");
}
std::string Fine(const std::string& name) { return "0 " + name; }
std::string Refused(NameProblem problem) { return std::to_string(static_cast<int>(problem)) + " "; }

TEST(EntryNameClean, NamesThatClimbOrAreAbsoluteLandInsideTheBase) {
  EXPECT_EQ(Clean("//?/C:/x/y"), Fine("x\\y"));
  EXPECT_EQ(Clean("/\\C:D:x"), Fine("x"));
  EXPECT_EQ(Clean("x/y/../z"), Fine("z"));
  EXPECT_EQ(Clean("a/./b//c"), Fine("a\\b\\c"));
  EXPECT_EQ(Clean("..foo/..bar"), Fine("..foo\\..bar"));
  EXPECT_EQ(Clean("//x.txt"), Fine("x.txt"));
  // Folder entries may name the base itself; a file may not.
  EXPECT_EQ(Clean("data/"), Fine("data folder"));
  EXPECT_EQ(Clean("a/../"), Fine(" folder"));
  EXPECT_EQ(Clean("a/.."), Refused(NameProblem::kEmpty));
  EXPECT_EQ(Clean("C:"), Refused(NameProblem::kEmpty));
}

TEST(EntryNameClean, NamesTheFileSystemWouldReadOtherwiseAreRefused) {
  const struct {
    NameProblem problem;
    std::vector<std::string> raws;
  } kCases[] = {
      {NameProblem::kStream, {"stream.txt:evil", "a/b:c/d.txt"}},
      {NameProblem::kDevice, {"CON", "sub/nul.txt", "Com1/x", "LPT9.log", "aux .txt", "CONOUT$"}},
      {NameProblem::kBadCharacter,
       {"ctl\x01.txt", "del\x7f", "pipe|x.txt", "what?.txt", std::string("a\0b", 3)}},
      {NameProblem::kTrailingDotOrSpace, {"...", "a /b", "file."}},
      {NameProblem::kTooLong, {std::string(260, 'a')}},
  };
  for (const auto& c : kCases)
    for (const std::string& raw : c.raws) EXPECT_EQ(Clean(raw), Refused(c.problem)) << raw;
  for (const char* raw : {"COM10", "console.txt", "nul_x", "LPT0", "COM"})
    EXPECT_EQ(Clean(raw), Fine(raw)) << raw;
  EXPECT_EQ(Clean("abc/def", nullptr, 8), Fine("abc\\def"));  // the bound is the caller's buffer
  EXPECT_EQ(Clean("abc/defg", nullptr, 8), Refused(NameProblem::kTooLong));
}

TEST(EntryNameClean, SecondBytesOfDoubleByteCharactersAreNotSeparators) {
  EXPECT_EQ(Clean("\x95\x5C/x.txt", GbkLead), Fine("\x95\x5C\\x.txt"));  // one character
  EXPECT_EQ(Clean("\x95\x5C/x.txt"), Fine("\x95\\x.txt"));
  EXPECT_EQ(Clean("\x81\x7C.txt", GbkLead), Fine("\x81\x7C.txt"));  // "|" only when alone
  EXPECT_EQ(Clean("\x95\x5C", GbkLead), Fine("\x95\x5C"));
}

TEST(EntryNamePaths, ContainmentIsCheckedComponentByComponent) {
  const struct {
    const char* base;
    const char* path;
    bool inside;
  } kCases[] = {
      {"C:\\b\\", "c:\\B\\x\\y", true},     {"C:\\b\\", "C:\\bx\\y", false},  // not a prefix test
      {"C:\\b\\", "C:\\b\\..\\x", false},   {"C:\\b\\", "C:\\b\\.\\x\\..\\..\\y", false},
      {"C:\\b\\", "C:\\b\\x\\..\\y", true}, {"C:\\b\\", "C:\\b\\", false},
      {"C:\\a\\..\\b\\", "C:\\b\\x", true}, {"C:\\b\\", "D:\\b\\x", false}};
  for (const auto& c : kCases)
    EXPECT_EQ(dl::PathStaysInside(c.base, c.path, false, nullptr), c.inside) << c.path;
  // Case folding applies to single-byte letters only: 0x81 0x61 and 0x81 0x41 differ.
  EXPECT_FALSE(dl::PathStaysInside("C:\\\x81\x61\\", "C:\\\x81\x41\\x", false, GbkLead));
  char out[dl::kPathCap];
  ASSERT_TRUE(dl::MakeExtractionBase("C:\\\x95\x5C", GbkLead, out, sizeof out));
  EXPECT_STREQ(out, "C:\\\x95\x5C\\");
  EXPECT_FALSE(dl::MakeExtractionBase(std::string(259, 'd').c_str(), nullptr, out, sizeof out));
}

}  // namespace
