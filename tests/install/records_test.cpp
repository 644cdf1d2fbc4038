// The channel profile through the platform's own profile writer, in a temp install folder.
#include <windows.h>
#include <gtest/gtest.h>
#include <string>

#include "install/channel_profile.h"
#include "tests/support/win_test_util.h"

namespace {

TEST(ChannelProfile, WritesTheChannelKeepsTheRestAndWritesNothingWithoutAChannelOrFolder) {
  const std::wstring folder = dltest::FreshTempFolder(L"dl-records-profile") + L"\\";
  const std::wstring profile = folder + L"IsLobbyLogin.dat";
  EXPECT_FALSE(dl::WriteChannelProfile(folder.c_str(), 0));
  EXPECT_FALSE(dl::WriteChannelProfile((folder + L"Tavoro\\").c_str(), 200019));
  // A bare file name would send the profile writer to the Windows folder.
  wchar_t stray[MAX_PATH];
  ASSERT_GT(GetWindowsDirectoryW(stray, MAX_PATH), 0u);
  wcscat(stray, L"\\IsLobbyLogin.dat");
  DeleteFileW(stray);
  EXPECT_FALSE(dl::WriteChannelProfile(L"", 200019));
  EXPECT_FALSE(dltest::FileExists(stray));
  // Still this folder after any cut of the padding: a path cut to fit would leave a stray file.
  std::wstring overlong = folder;
  for (int i = 0; i < 520; ++i) overlong += L".\\";
  EXPECT_FALSE(dl::WriteChannelProfile(overlong.c_str(), 200019));
  ASSERT_TRUE(RemoveDirectoryW(folder.c_str())) << "something was written into the folder";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));

  ASSERT_TRUE(dl::WriteChannelProfile(folder.c_str(), 200019));
  EXPECT_EQ(dltest::ReadWholeFile(profile), "[ChannelID]\r\nChannelID=200019\r\n");
  ASSERT_TRUE(
      dltest::WriteWholeFile(profile, "[A]\r\nX=1\r\n[ChannelID]\r\nChannelID=7\r\nY=2\r\n"));
  ASSERT_TRUE(dl::WriteChannelProfile(folder.c_str(), 42));
  EXPECT_EQ(dltest::ReadWholeFile(profile), "[A]\r\nX=1\r\n[ChannelID]\r\nChannelID=42\r\nY=2\r\n");
  dltest::RemoveTree(folder);
}

}  // namespace
