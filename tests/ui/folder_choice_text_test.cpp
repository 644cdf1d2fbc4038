// The folder choice's texts: drive roots and folders, and texts that do not fit.
#include "ui/installer/folder_choice_text.h"

#include <gtest/gtest.h>

#include <string>

namespace dl {
namespace {

TEST(FolderChoiceText, DriveRootAndFolderFormsAndTextsThatDoNotFit) {
  wchar_t base[260], label[320];
  ASSERT_TRUE(ChosenFolderTexts(L"E:\\", L"Tavoro", base, 260, label, 320));
  EXPECT_EQ(std::wstring(base), L"E:\\");
  EXPECT_EQ(std::wstring(label), L"安装路径：E:\\Tavoro\\");
  ASSERT_TRUE(ChosenFolderTexts(L"E:\\Games", L"Tavoro", base, 260, label, 320));
  EXPECT_EQ(std::wstring(base), L"E:\\Games\\");
  EXPECT_EQ(std::wstring(label), L"安装路径：E:\\Games\\Tavoro\\");
  // A folder of three characters, in any language, is not a drive's root.
  ASSERT_TRUE(ChosenFolderTexts(L"E:\\游", L"Tavoro", base, 260, label, 320));
  EXPECT_EQ(std::wstring(base), L"E:\\游\\");
  EXPECT_EQ(std::wstring(label), L"安装路径：E:\\游\\Tavoro\\");
  // Texts that do not fit leave both empty.
  EXPECT_FALSE(ChosenFolderTexts(L"E:\\Games", L"Tavoro", base, 8, label, 320));
  EXPECT_TRUE(base[0] == L'\0' && label[0] == L'\0');
  EXPECT_FALSE(ChosenFolderTexts(L"E:\\Games", L"Tavoro", base, 260, label, 12));
  EXPECT_TRUE(base[0] == L'\0' && label[0] == L'\0');
}

}  // namespace
}  // namespace dl
