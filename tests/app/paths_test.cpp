// Paths the shell builds itself: the default install base, the path line, files that
// live next to the program, and the bounded text they are built with.
#include <gtest/gtest.h>

#include <string>

#include "app/install_base.h"
#include "app/program_path.h"
#include "base/bounded_text.h"

namespace dl {
namespace {

TEST(InstallBase, OnlyAMissingDriveDFallsBackToCAndTheLabelIsRefusedNotCut) {
  EXPECT_EQ(std::wstring(InstallBaseForDriveType(kDriveNoRootDir)), L"C:\\Program Files\\");
  for (unsigned type : {0u, 2u, 3u, 4u, 5u, 6u}) {  // unknown, removable, fixed, remote, cd, ram
    EXPECT_EQ(std::wstring(InstallBaseForDriveType(type)), L"D:\\Program Files\\") << type;
  }
  wchar_t label[300];
  ASSERT_TRUE(FormatPathLabel(L"D:\\Program Files\\", L"Tavoro", label, 300));
  EXPECT_EQ(std::wstring(label).substr(kPathLabelPrefixLength), L"D:\\Program Files\\Tavoro\\");
  EXPECT_FALSE(FormatPathLabel(L"D:\\Program Files\\", L"Tavoro", label, 20));
  EXPECT_EQ(label[0], L'\0');
}

TEST(SiblingPath, ReplacesTheProgramNameWhateverTheFolderAndRefusesWhatDoesNotFit) {
  char out[260];
  for (const char* program : {"C:\\Apps\\Setup.exe", "C:\\Setup.exe", "Setup.exe"}) {
    ASSERT_TRUE(SiblingPath(program, "crash.dat", out, sizeof out)) << program;
    const std::string folder(program, std::string(program).rfind('\\') + 1);
    EXPECT_EQ(std::string(out), folder + "crash.dat");
  }
  EXPECT_FALSE(SiblingPath("C:\\Apps\\Setup.exe", "crash.dat", out, 16));
  EXPECT_STREQ(out, "");
  const std::string longFolder = "C:\\" + std::string(300, 'f') + "\\Setup.exe";
  EXPECT_FALSE(SiblingPath(longFolder.c_str(), "crash.dat", out, sizeof out));
}

TEST(BoundedText, ReportsTruncationInsteadOfOverflowing) {
  char buf[8];
  EXPECT_TRUE(FormatBounded(buf, sizeof buf, "%d", 1234567));
  EXPECT_FALSE(FormatBounded(buf, sizeof buf, "%d", 12345678));
  EXPECT_STREQ(buf, "1234567");
  EXPECT_FALSE(FormatBounded(buf, 0, "x"));
  char a[6] = "ab";
  EXPECT_TRUE(AppendBounded(a, sizeof a, "cde"));
  EXPECT_FALSE(AppendBounded(a, sizeof a, "f"));
  EXPECT_STREQ(a, "abcde");
  char unterminated[3] = {'x', 'y', 'z'};
  EXPECT_FALSE(AppendBounded(unterminated, sizeof unterminated, ""));
  wchar_t w[4];
  EXPECT_TRUE(CopyBounded(w, 4, L"abc"));
  EXPECT_FALSE(CopyBounded(w, 4, L"abcd"));
  EXPECT_EQ(w[0], L'\0');
}

}  // namespace
}  // namespace dl
