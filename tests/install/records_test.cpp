// The channel profile beside the installed lobby, through the platform's own profile writer.
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
    folder_ = dltest::FreshTempFolder(L"dl-records-test") + L"\\";
    saved_ = dl::g_channelId;
  }
  void TearDown() override {
    dl::g_channelId = saved_;
    dltest::RemoveTree(folder_);
  }
  std::wstring Profile() const { return folder_ + L"IsLobbyLogin.dat"; }

  std::wstring folder_;
  int saved_ = 0;
};

TEST_F(ChannelProfileTest, WritesTheChannelAndKeepsOtherSections) {
  dl::g_channelId = 200019;
  ASSERT_TRUE(dl::WriteChannelProfile(folder_.c_str()));
  EXPECT_EQ(dltest::ReadWholeFile(Profile()), "[ChannelID]\r\nChannelID=200019\r\n");

  ASSERT_TRUE(dltest::WriteWholeFile(
      Profile(), "[Login]\r\nUser=abc\r\n[ChannelID]\r\nChannelID=7\r\nOther=1\r\n"));
  dl::g_channelId = 42;
  ASSERT_TRUE(dl::WriteChannelProfile(folder_.c_str()));
  EXPECT_EQ(dltest::ReadWholeFile(Profile()),
            "[Login]\r\nUser=abc\r\n[ChannelID]\r\nChannelID=42\r\nOther=1\r\n");
}

TEST_F(ChannelProfileTest, NoChannelOrNoFolderWritesNothing) {
  dl::g_channelId = 0;
  EXPECT_FALSE(dl::WriteChannelProfile(folder_.c_str()));
  dl::g_channelId = -5;
  EXPECT_FALSE(dl::WriteChannelProfile(folder_.c_str()));
  EXPECT_FALSE(dltest::FileExists(Profile()));

  dl::g_channelId = 200019;
  const std::wstring missing = folder_ + L"not-there\\";
  EXPECT_FALSE(dl::WriteChannelProfile(missing.c_str()));
  EXPECT_FALSE(dltest::FileExists(missing));

  // A folder beyond the path buffer is refused, not cut to another folder's name.
  const std::wstring overlong = folder_ + std::wstring(1100, L'x') + L"\\";
  EXPECT_FALSE(dl::WriteChannelProfile(overlong.c_str()));
}

}  // namespace
