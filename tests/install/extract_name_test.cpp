// Entry names from hostile or careless archives, and the paths built from them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/entry_name.h"

namespace {

using dl::NameProblem;

// A double-byte code page like the Chinese one: 0x81..0xFE start a two-byte character whose
// second byte may be 0x5C, the backslash.
bool GbkLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

struct Cleaned {
  NameProblem problem;
  std::string name;
  bool isFolder;
};

Cleaned Clean(const std::string& raw, dl::LeadBytePredicate lead = nullptr, size_t cap = 260) {
  char out[400];
  bool isFolder = false;
  NameProblem problem = dl::CleanEntryName(raw.data(), raw.size(), lead, out, cap, &isFolder);
  return {problem, out, isFolder};
}

TEST(EntryNameClean, NamesThatClimbOrAreAbsoluteLandInsideTheBase) {
  const struct {
    const char* raw;
    const char* cleaned;
  } kCases[] = {
      {"C:\\x\\y.txt", "x\\y.txt"},
      {"/x/y.txt", "x\\y.txt"},
      {"a/../../b.txt", "b.txt"},
      {"a/..\\..\\b", "b"},
      {"W:../x", "x"},
      {"\\\\server\\share\\x", "x"},
      {"//?/C:/x/y", "x\\y"},
      {"../C:/x", "x"},  // a drive that shows only after other cleaning
      {"/\\C:D:x", "x"},
      {"x/y/../z", "z"},  // everything up to the last ".." goes
      {"a/./b//c", "a\\b\\c"},
      {"..foo/..bar", "..foo\\..bar"},  // dots inside names are names
      {"//x.txt", "x.txt"},             // two separators without a share are just separators
  };
  for (const auto& c : kCases) {
    Cleaned got = Clean(c.raw);
    EXPECT_EQ(got.problem, NameProblem::kNone) << c.raw;
    EXPECT_EQ(got.name, c.cleaned) << c.raw;
    EXPECT_FALSE(got.isFolder) << c.raw;
  }
  // Folder entries keep their kind and may name the base itself; a file may not.
  Cleaned data = Clean("data/");
  EXPECT_EQ(data.name, "data");
  EXPECT_TRUE(data.isFolder);
  Cleaned base = Clean("a/../");
  EXPECT_EQ(base.problem, NameProblem::kNone);
  EXPECT_EQ(base.name, "");
  EXPECT_TRUE(base.isFolder);
  EXPECT_EQ(Clean("a/..").problem, NameProblem::kEmpty);
  EXPECT_EQ(Clean("C:").problem, NameProblem::kEmpty);
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
      {NameProblem::kNone, {"COM10", "console.txt", "nul_x", "LPT0", "COM", std::string(259, 'a')}},
  };
  for (const auto& c : kCases) {
    for (const std::string& raw : c.raws) {
      Cleaned got = Clean(raw);
      EXPECT_EQ(got.problem, c.problem) << raw;
      if (c.problem != NameProblem::kNone) {
        EXPECT_EQ(got.name, "") << raw;
      }
    }
  }
  // Cleaning may shorten a long raw name below the bound; the bound is the caller's buffer.
  EXPECT_EQ(Clean(std::string(100, 'x') + "/../" + std::string(200, 'a')).name.size(), 200u);
  EXPECT_EQ(Clean("abc/def", nullptr, 8).name, "abc\\def");
  EXPECT_EQ(Clean("abc/defg", nullptr, 8).problem, NameProblem::kTooLong);
}

TEST(EntryNameClean, SecondBytesOfDoubleByteCharactersAreNotSeparators) {
  // 0x95 0x5C is one character; read byte by byte it would be 0x95 and a backslash.
  const std::string raw = "\x95\x5C/x.txt";
  EXPECT_EQ(Clean(raw, GbkLead).name, raw.substr(0, 2) + "\\x.txt");
  EXPECT_EQ(Clean(raw).name, "\x95\\x.txt");
  // 0x81 0x7C: the second byte is "|" only when read alone.
  EXPECT_EQ(Clean("\x81\x7C.txt", GbkLead).problem, NameProblem::kNone);
  EXPECT_EQ(Clean("\x81\x7C.txt").problem, NameProblem::kBadCharacter);
  EXPECT_FALSE(Clean("\x95\x5C", GbkLead).isFolder);
  EXPECT_EQ(dl::FolderPartLength("\x95\\c.txt", GbkLead), 0u);  // 0x95 0x5C 'c' ...
  EXPECT_EQ(dl::FolderPartLength("a\\b\\c.txt", nullptr), 3u);
  EXPECT_EQ(dl::ComponentEnd("\x95\\d\\e", 0, GbkLead), 3u);
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
      {"C:\\a\\..\\b\\", "C:\\b\\x", true}, {"\\\\srv\\share\\", "\\srv\\share\\x", false},
      {"C:\\b\\", "D:\\b\\x", false},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(dl::PathStaysInside(c.base, c.path, false, nullptr), c.inside) << c.path;
  }
  EXPECT_TRUE(dl::PathStaysInside("C:\\b\\", "C:\\b\\", true, nullptr));
  // Case folding applies to single-byte letters only: 0x81 0x61 and 0x81 0x41 differ.
  EXPECT_FALSE(dl::PathStaysInside("C:\\\x81\x61\\", "C:\\\x81\x41\\x", false, GbkLead));
  EXPECT_TRUE(dl::PathStaysInside("C:\\\x81\x61\\", "C:\\\x81\x41\\x", false, nullptr));
}

TEST(EntryNamePaths, TheBaseEndsInASeparatorOrIsRefused) {
  char out[dl::kPathCap];
  ASSERT_TRUE(dl::MakeExtractionBase("C:\\x", nullptr, out, sizeof out));
  EXPECT_STREQ(out, "C:\\x\\");
  ASSERT_TRUE(dl::MakeExtractionBase("C:\\x/", nullptr, out, sizeof out));
  EXPECT_STREQ(out, "C:\\x/");
  ASSERT_TRUE(dl::MakeExtractionBase("C:\\\x95\x5C", GbkLead, out, sizeof out));
  EXPECT_STREQ(out, "C:\\\x95\x5C\\");
  EXPECT_FALSE(dl::MakeExtractionBase(std::string(259, 'd').c_str(), nullptr, out, sizeof out));
  EXPECT_STREQ(out, "");
}

}  // namespace
