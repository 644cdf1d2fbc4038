// The channel profile through the platform's own profile writer, in a temp install folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/site_config.h"
#include "install/channel_profile.h"
#include "tests/support/win_test_util.h"

namespace {

class ChannelProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = dltest::FreshTempFolder(L"dl-records-profile");
    folder_ = root_ + L"\\";
    savedChannel_ = dl::g_channelId;
  }
  void TearDown() override {
    dl::g_channelId = savedChannel_;
    dltest::RemoveTree(root_);
  }
  std::wstring Profile() const { return folder_ + L"IsLobbyLogin.dat"; }
  std::string Value(const char* section, const char* key) const {
    char path[MAX_PATH], value[64] = {};
    WideCharToMultiByte(CP_ACP, 0, Profile().c_str(), -1, path, sizeof path, nullptr, nullptr);
    GetPrivateProfileStringA(section, key, "<none>", value, sizeof value, path);
    return value;
  }
  // Names in the folder besides "." and "..".
  int Entries() const {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder_ + L"*").c_str(), &data);
    int count = 0;
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &data)) {
      count += wcscmp(data.cFileName, L".") != 0 && wcscmp(data.cFileName, L"..") != 0;
    }
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    return count;
  }

  std::wstring root_, folder_;
  int savedChannel_ = 0;
};

TEST_F(ChannelProfileTest, WritesTheChannelAndKeepsTheRestOfAnExistingProfile) {
  dl::g_channelId = 200019;
  ASSERT_TRUE(dl::WriteChannelProfile(folder_.c_str()));
  EXPECT_EQ(dltest::ReadWholeFile(Profile()), "[ChannelID]\r\nChannelID=200019\r\n");
  ASSERT_TRUE(dltest::WriteWholeFile(
      Profile(),
      "[Login]\r\nUser=abc\r\n[ChannelID]\r\nChannelID=7\r\nOther=1\r\n[Tail]\r\nX=2\r\n"));
  dl::g_channelId = 42;
  ASSERT_TRUE(dl::WriteChannelProfile(folder_.c_str()));
  EXPECT_EQ(Value("ChannelID", "ChannelID"), "42");
  EXPECT_EQ(Value("ChannelID", "Other"), "1");
  EXPECT_EQ(Value("Login", "User"), "abc");
  EXPECT_EQ(Value("Tail", "X"), "2");
}

TEST_F(ChannelProfileTest, WritesNothingWithoutAChannelOrAUsableFolder) {
  for (int channel : {0, -3}) {
    dl::g_channelId = channel;
    EXPECT_FALSE(dl::WriteChannelProfile(folder_.c_str())) << channel;
  }
  dl::g_channelId = 200019;
  const std::wstring missing = folder_ + L"Tavoro\\";
  EXPECT_FALSE(dl::WriteChannelProfile(missing.c_str()));
  EXPECT_FALSE(dltest::FileExists(missing));

  // A bare file name would send the profile writer to the Windows folder.
  wchar_t windows[MAX_PATH];
  ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
  const std::wstring stray = std::wstring(windows) + L"\\IsLobbyLogin.dat";
  DeleteFileW(stray.c_str());
  EXPECT_FALSE(dl::WriteChannelProfile(L""));
  EXPECT_FALSE(dltest::FileExists(stray));
  DeleteFileW(stray.c_str());

  // Still this folder after any cut of the padding: a path cut to fit would leave a stray file.
  std::wstring overlong = folder_;
  for (int i = 0; i < 520; ++i) overlong += L".\\";
  EXPECT_FALSE(dl::WriteChannelProfile(overlong.c_str()));
  EXPECT_EQ(Entries(), 0);
}

}  // namespace
