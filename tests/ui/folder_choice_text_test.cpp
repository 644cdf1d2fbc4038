// The folder choice's texts: drive roots and folders, the free-space threshold, and texts that
// do not fit.
#include "ui/installer/folder_choice_text.h"

#include <gtest/gtest.h>

#include <string>

namespace dl {
namespace {

TEST(FolderChoiceText, DriveRootAndFolderForms) {
  wchar_t base[260];
  wchar_t label[320];
  ASSERT_TRUE(ChosenFolderTexts(L"E:\\", 3, L"Tavoro", base, 260, label, 320));
  EXPECT_EQ(std::wstring(base), L"E:\\");
  EXPECT_EQ(std::wstring(label), L"安装路径：E:\\Tavoro\\");

  ASSERT_TRUE(ChosenFolderTexts(L"E:\\Games", 8, L"Tavoro", base, 260, label, 320));
  EXPECT_EQ(std::wstring(base), L"E:\\Games\\");
  EXPECT_EQ(std::wstring(label), L"安装路径：E:\\Games\\Tavoro\\");

  // Three characters that take more than three bytes in the ANSI code page are a folder.
  ASSERT_TRUE(ChosenFolderTexts(L"E:\\游", 4, L"Tavoro", base, 260, label, 320));
  EXPECT_EQ(std::wstring(base), L"E:\\游\\");
}

TEST(FolderChoiceText, TextsThatDoNotFitLeaveBothEmpty) {
  wchar_t base[8];
  wchar_t label[320];
  EXPECT_FALSE(ChosenFolderTexts(L"E:\\Games", 8, L"Tavoro", base, 8, label, 320));
  EXPECT_EQ(base[0], L'\0');
  EXPECT_EQ(label[0], L'\0');
  wchar_t roomyBase[260];
  wchar_t shortLabel[12];
  EXPECT_FALSE(ChosenFolderTexts(L"E:\\Games", 8, L"Tavoro", roomyBase, 260, shortLabel, 12));
  EXPECT_EQ(roomyBase[0], L'\0');
  EXPECT_EQ(shortLabel[0], L'\0');
}

TEST(FolderChoiceText, FiveHundredFiftyMebibytesAreEnough) {
  EXPECT_FALSE(HasRoomForInstall(0));
  EXPECT_FALSE(HasRoomForInstall(549));
  EXPECT_TRUE(HasRoomForInstall(550));
  EXPECT_TRUE(HasRoomForInstall(0xFFFFFFFFu));
}

}  // namespace
}  // namespace dl
