// Paths the shell builds itself: the default install base, the path line, files that
// live next to the program.
#include <gtest/gtest.h>

#include <string>

#include "app/install_base.h"
#include "app/program_path.h"
#include "base/bounded_text.h"

namespace dl {
namespace {

TEST(InstallBase, OnlyAMissingDriveDFallsBackToC) {
  EXPECT_EQ(std::wstring(InstallBaseForDriveType(kDriveNoRootDir)), L"C:\\Program Files\\");
  for (unsigned type : {0u, 2u, 3u, 4u, 5u, 6u}) {  // unknown, removable, fixed, remote, cd, ram
    EXPECT_EQ(std::wstring(InstallBaseForDriveType(type)), L"D:\\Program Files\\") << type;
  }
}

TEST(InstallBase, PathLabelNamesTheSiteFolderWithTrailingSeparator) {
  wchar_t label[300];
  ASSERT_TRUE(FormatPathLabel(L"D:\\Program Files\\", L"Tavoro", label, 300));
  EXPECT_EQ(std::wstring(label), L"安装路径：D:\\Program Files\\Tavoro\\");
  EXPECT_EQ(std::wstring(label).substr(kPathLabelPrefixLength), L"D:\\Program Files\\Tavoro\\");
}

TEST(InstallBase, PathLabelThatDoesNotFitIsRefusedNotCut) {
  wchar_t label[20];
  EXPECT_FALSE(FormatPathLabel(L"D:\\Program Files\\", L"Tavoro", label, 20));
  EXPECT_EQ(label[0], L'\0');
}

TEST(SiblingPath, ReplacesTheProgramNameWhateverTheFolder) {
  char out[260];
  ASSERT_TRUE(SiblingPath("C:\\Apps\\Setup.exe", "crash.dat", out, sizeof out));
  EXPECT_STREQ(out, "C:\\Apps\\crash.dat");
  ASSERT_TRUE(SiblingPath("C:\\Setup.exe", "crash.dat", out, sizeof out));
  EXPECT_STREQ(out, "C:\\crash.dat");
  ASSERT_TRUE(SiblingPath("Setup.exe", "crash.dat", out, sizeof out));
  EXPECT_STREQ(out, "crash.dat");
}

TEST(SiblingPath, RefusesWhatDoesNotFit) {
  char out[16];
  EXPECT_FALSE(SiblingPath("C:\\Apps\\Setup.exe", "crash.dat", out, sizeof out));
  EXPECT_STREQ(out, "");
  std::string longFolder = "C:\\" + std::string(300, 'f') + "\\Setup.exe";
  char big[260];
  EXPECT_FALSE(SiblingPath(longFolder.c_str(), "crash.dat", big, sizeof big));
}

TEST(BoundedText, ReportsTruncationInsteadOfOverflowing) {
  char buf[8];
  EXPECT_TRUE(FormatBounded(buf, sizeof buf, "%d", 1234567));
  EXPECT_FALSE(FormatBounded(buf, sizeof buf, "%d", 12345678));
  EXPECT_STREQ(buf, "1234567");
  EXPECT_FALSE(FormatBounded(buf, 0, "x"));

  char a[6] = "ab";
  EXPECT_TRUE(AppendBounded(a, sizeof a, "cde"));
  EXPECT_STREQ(a, "abcde");
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
