// The real downloader.exe as a user starts it: one instance, the share id in its name,
// no log unless prepared, crash dumps next to the program.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>

#include "tests/support/win_test_util.h"

namespace {

using dltest::ChildProcess;

const char kShareKey[] = "SOFTWARE\\QVEXGame\\Lobby\\Share\\shareid_16";

// A copy of the program under a chosen name in a fresh folder.
std::wstring CopyAs(const wchar_t* folderName, const wchar_t* fileName) {
  const std::wstring target = dltest::FreshTempFolder(folderName) + L"\\" + fileName;
  EXPECT_TRUE(
      CopyFileW((dltest::ProgramFolder() + L"downloader.exe").c_str(), target.c_str(), FALSE))
      << GetLastError();
  return target;
}

TEST(SingleInstance, SecondStartBringsTheFirstBackAndCloseEndsItWithZero) {
  const std::wstring exe = CopyAs(L"dl_instance", L"Setup.exe");
  const std::wstring cwd = dltest::FreshTempFolder(L"dl_instance_cwd");
  ChildProcess first;
  ASSERT_TRUE(first.Start(exe, L"", cwd));
  HWND window = first.WaitForWindow(15000);
  ASSERT_NE(window, nullptr) << "the first instance shows its window";
  // The window is named just after it is shown: wait for the name, not only the window.
  wchar_t title[64] = {};
  for (DWORD start = GetTickCount();
       GetWindowTextW(window, title, 64) == 0 && GetTickCount() - start < 5000;) {
    Sleep(20);
  }
  EXPECT_STREQ(title, L"客户端下载器");
  ShowWindow(window, SW_HIDE);  // as if it had gone to the tray

  ChildProcess second;
  ASSERT_TRUE(second.Start(exe));
  DWORD code = 99;
  ASSERT_TRUE(second.Wait(15000, &code)) << "the second start ends by itself";
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(dltest::CountWindowsOf(second.id(), nullptr), 0);
  for (DWORD start = GetTickCount(); !IsWindowVisible(window) && GetTickCount() - start < 5000;) {
    Sleep(50);
  }
  EXPECT_TRUE(IsWindowVisible(window)) << "the activation message brought the window back";
  EXPECT_EQ(dltest::CountWindowsOf(first.id(), L"DownloadWindow"), 1);

  PostMessageW(window, WM_CLOSE, 0, 0);
  code = 99;
  ASSERT_TRUE(first.Wait(10000, &code));
  EXPECT_EQ(code, 0u);
  // No log appears, next to the program or in its current folder, unless one was prepared.
  for (const std::wstring& folder : {exe.substr(0, exe.rfind(L'\\')), cwd}) {
    EXPECT_FALSE(dltest::FileExists(folder + L"\\__lobby_dl_debug.log"));
  }
}

TEST(ShareId, OnlyANumericSuffixOfTheFileNameIsStoredAsTheKeyDefault) {
  const std::pair<const wchar_t*, const char*> kCases[] = {
      {L"Setup_123456.exe", "123456"}, {L"Setup.exe", nullptr}, {L"Setup_12ab.exe", nullptr}};
  for (const auto& c : kCases) {
    RegDeleteKeyA(HKEY_CURRENT_USER, kShareKey);
    ChildProcess app;
    ASSERT_TRUE(app.Start(CopyAs(L"dl_share", c.first)));
    ASSERT_NE(app.WaitForWindow(15000), nullptr);
    char data[64] = {};
    DWORD type = 0, size = sizeof data;
    const LSTATUS read =
        RegGetValueA(HKEY_CURRENT_USER, kShareKey, nullptr, RRF_RT_ANY, &type, data, &size);
    if (c.second == nullptr) {
      EXPECT_NE(read, ERROR_SUCCESS) << "a share id stored for " << c.first;
    } else {
      ASSERT_EQ(read, ERROR_SUCCESS);
      EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
      EXPECT_STREQ(data, c.second);
    }
  }
  RegDeleteKeyA(HKEY_CURRENT_USER, kShareKey);
}

TEST(CrashDump, TwoCrashesLeaveOneFreshDumpNextToTheProgram) {
  const std::wstring folder = dltest::FreshTempFolder(L"dl_crash");
  const std::wstring probe = folder + L"\\crash_probe.exe";
  ASSERT_TRUE(
      CopyFileW((dltest::ProgramFolder() + L"crash_probe.exe").c_str(), probe.c_str(), FALSE));
  const std::wstring elsewhere = dltest::FreshTempFolder(L"dl_crash_cwd");
  const std::wstring dump = folder + L"\\crash.dat";
  const std::string old(4 << 20, 'o');  // recognisable, and longer than any real dump
  for (int round = 0; round < 2; ++round) {
    ChildProcess crashing;
    ASSERT_TRUE(crashing.Start(probe, L"", elsewhere));
    ASSERT_TRUE(crashing.Wait(30000, nullptr)) << "a crash ends the process without a dialog";
    const std::string written = dltest::ReadWholeFile(dump);
    EXPECT_EQ(written.substr(0, 4), "MDMP") << round;
    EXPECT_LT(written.size(), old.size()) << "replaced, not written over";
    ASSERT_TRUE(dltest::WriteWholeFile(dump, old));
  }
  EXPECT_FALSE(dltest::FileExists(elsewhere + L"\\crash.dat"));
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*.dat").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(FindNextFileW(find, &data)) << "more than one dump";
  FindClose(find);
}

}  // namespace
