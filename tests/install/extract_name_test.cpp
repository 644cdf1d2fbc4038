#include <gtest/gtest.h>

#include <string>

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
      {"..\\..\\evil.txt", "evil.txt"},
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
}

TEST(EntryNameClean, FolderNamesKeepTheirKindAndMayNameTheBase) {
  Cleaned data = Clean("data/");
  EXPECT_EQ(data.problem, NameProblem::kNone);
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
    const char* raw;
    NameProblem problem;
  } kCases[] = {
      {"stream.txt:evil", NameProblem::kStream},
      {"a/b:c/d.txt", NameProblem::kStream},
      {"CON", NameProblem::kDevice},
      {"sub/nul.txt", NameProblem::kDevice},
      {"Com1/x", NameProblem::kDevice},
      {"LPT9.log", NameProblem::kDevice},
      {"aux .txt", NameProblem::kDevice},
      {"CONOUT$", NameProblem::kDevice},
      {"ctl\x01.txt", NameProblem::kBadCharacter},
      {"del\x7f", NameProblem::kBadCharacter},
      {"pipe|x.txt", NameProblem::kBadCharacter},
      {"what?.txt", NameProblem::kBadCharacter},
      {"...", NameProblem::kTrailingDotOrSpace},
      {"a /b", NameProblem::kTrailingDotOrSpace},
      {"file.", NameProblem::kTrailingDotOrSpace},
  };
  for (const auto& c : kCases) {
    Cleaned got = Clean(c.raw);
    EXPECT_EQ(got.problem, c.problem) << c.raw;
    EXPECT_EQ(got.name, "") << c.raw;
  }
  // A NUL inside the raw name would cut the path the platform sees.
  EXPECT_EQ(Clean(std::string("a\0b", 3)).problem, NameProblem::kBadCharacter);
  for (const char* fine : {"COM10", "console.txt", "nul_x", "LPT0", "COM"}) {
    EXPECT_EQ(Clean(fine).problem, NameProblem::kNone) << fine;
  }
}

TEST(EntryNameClean, LengthIsBoundedByTheRecord) {
  EXPECT_EQ(Clean(std::string(259, 'a')).name.size(), 259u);
  EXPECT_EQ(Clean(std::string(260, 'a')).problem, NameProblem::kTooLong);
  // Cleaning may shorten a long raw name below the bound.
  EXPECT_EQ(Clean(std::string(100, 'x') + "/../" + std::string(200, 'a')).name.size(), 200u);
  EXPECT_EQ(Clean("abc/def", nullptr, 8).problem, NameProblem::kNone);
  EXPECT_EQ(Clean("abc/def", nullptr, 8).name, "abc\\def");
  EXPECT_EQ(Clean("abc/defg", nullptr, 8).problem, NameProblem::kTooLong);
}

TEST(EntryNameClean, SecondBytesOfDoubleByteCharactersAreNotSeparators) {
  // 0x95 0x5C is one character; read byte by byte it would be 0x95 and a backslash.
  std::string raw = "\x95\x5C/x.txt";
  EXPECT_EQ(Clean(raw, GbkLead).name, raw.substr(0, 2) + "\\x.txt");
  EXPECT_EQ(Clean(raw).name, "\x95\\x.txt");
  // 0x81 0x7C: the second byte is "|" only when read alone.
  EXPECT_EQ(Clean("\x81\x7C.txt", GbkLead).problem, NameProblem::kNone);
  EXPECT_EQ(Clean("\x81\x7C.txt").problem, NameProblem::kBadCharacter);
  // A folder name ending in such a character does not end with a separator.
  EXPECT_FALSE(Clean("\x95\x5C", GbkLead).isFolder);
}

TEST(EntryNamePaths, ContainmentIsCheckedComponentByComponent) {
  EXPECT_TRUE(dl::PathStaysInside("C:\\b\\", "C:\\b\\x", false, nullptr));
  EXPECT_TRUE(dl::PathStaysInside("C:\\b\\", "c:\\B\\x\\y", false, nullptr));
  EXPECT_FALSE(dl::PathStaysInside("C:\\b\\", "C:\\bx\\y", false, nullptr));  // not a prefix test
  EXPECT_FALSE(dl::PathStaysInside("C:\\b\\", "C:\\b\\..\\x", false, nullptr));
  EXPECT_FALSE(dl::PathStaysInside("C:\\b\\", "C:\\b\\.\\x\\..\\..\\y", false, nullptr));
  EXPECT_TRUE(dl::PathStaysInside("C:\\b\\", "C:\\b\\x\\..\\y", false, nullptr));
  EXPECT_FALSE(dl::PathStaysInside("C:\\b\\", "C:\\b\\", false, nullptr));
  EXPECT_TRUE(dl::PathStaysInside("C:\\b\\", "C:\\b\\", true, nullptr));
  EXPECT_TRUE(dl::PathStaysInside("C:\\a\\..\\b\\", "C:\\b\\x", false, nullptr));
  EXPECT_FALSE(dl::PathStaysInside("\\\\srv\\share\\", "\\srv\\share\\x", false, nullptr));
  EXPECT_FALSE(dl::PathStaysInside("C:\\b\\", "D:\\b\\x", false, nullptr));
  // Case folding applies to single-byte letters only.
  EXPECT_FALSE(
      dl::PathStaysInside("C:\\\x81"
                          "a\\",
                          "C:\\\x81"
                          "A\\x",
                          false, GbkLead));
  EXPECT_TRUE(
      dl::PathStaysInside("C:\\\x81"
                          "a\\",
                          "C:\\\x81"
                          "A\\x",
                          false, nullptr));
}

TEST(EntryNamePaths, BaseAndComposedPathsRespectTheLimit) {
  char out[dl::kPathCap];
  ASSERT_TRUE(dl::MakeExtractionBase("C:\\x", nullptr, out, sizeof out));
  EXPECT_STREQ(out, "C:\\x\\");
  ASSERT_TRUE(dl::MakeExtractionBase("C:\\x/", nullptr, out, sizeof out));
  EXPECT_STREQ(out, "C:\\x/");
  ASSERT_TRUE(dl::MakeExtractionBase("C:\\\x95\x5C", GbkLead, out, sizeof out));
  EXPECT_STREQ(out, "C:\\\x95\x5C\\");
  EXPECT_FALSE(dl::MakeExtractionBase(std::string(259, 'd').c_str(), nullptr, out, sizeof out));
  EXPECT_STREQ(out, "");

  std::string base = "C:\\" + std::string(56, 'b') + "\\";  // 60 characters
  ASSERT_TRUE(dl::ComposeTargetPath(base.c_str(), std::string(199, 'n').c_str(), out, sizeof out));
  EXPECT_EQ(std::string(out).size(), 259u);
  EXPECT_FALSE(dl::ComposeTargetPath(base.c_str(), std::string(200, 'n').c_str(), out, sizeof out));
  EXPECT_STREQ(out, "");
}

TEST(EntryNamePaths, FolderPartsAndComponents) {
  EXPECT_EQ(dl::FolderPartLength("a\\b\\c.txt", nullptr), 3u);
  EXPECT_EQ(dl::FolderPartLength("c.txt", nullptr), 0u);
  EXPECT_EQ(dl::FolderPartLength("\x95\x5C"
                                 "c.txt",
                                 GbkLead),
            0u);
  EXPECT_EQ(dl::ComponentEnd("ab\\cd/e", 3, nullptr), 5u);
  EXPECT_EQ(dl::ComponentEnd("\x95\x5C"
                             "d\\e",
                             0, GbkLead),
            3u);
}

}  // namespace
