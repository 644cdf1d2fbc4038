// The real downloader.exe as users start it: one instance, the share id, crash dumps.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>

#include "tests/support/win_test_util.h"

namespace {

std::wstring CopyAs(const wchar_t* program, const wchar_t* folder, const wchar_t* name) {
  const std::wstring target = dltest::FreshTempFolder(folder) + L"\\" + name;
  EXPECT_TRUE(CopyFileW((dltest::ProgramFolder() + program).c_str(), target.c_str(), FALSE));
  return target;
}

TEST(SingleInstance, SecondStartBringsTheFirstBackAndCloseEndsItWithZero) {
  const std::wstring exe = CopyAs(L"downloader.exe", L"dl_instance", L"Setup.exe");
  dltest::ChildProcess first, second;
  ASSERT_TRUE(first.Start(exe));
  HWND window = first.WaitForWindow(15000);
  ASSERT_NE(window, nullptr);
  ShowWindow(window, SW_HIDE);  // as if it had gone to the tray
  ASSERT_TRUE(second.Start(exe));
  DWORD code = 99;
  ASSERT_TRUE(second.Wait(15000, &code)) << "the second start ends by itself";
  EXPECT_EQ(code, 0u);
  for (DWORD start = GetTickCount(); !IsWindowVisible(window) && GetTickCount() - start < 5000;) {
    Sleep(50);
  }
  EXPECT_TRUE(IsWindowVisible(window)) << "the first instance was not brought back";
  PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(first.Wait(10000, &code));
  EXPECT_EQ(code, 0u);
}

TEST(ShareId, OnlyANumericSuffixOfTheFileNameIsStoredAsTheKeyDefault) {
  const char kKey[] = "SOFTWARE\\QVEXGame\\Lobby\\Share\\shareid_16";
  const std::pair<const wchar_t*, const char*> kCases[] = {
      {L"Setup_123456.exe", "123456"}, {L"Setup.exe", "<none>"}, {L"Setup_12ab.exe", "<none>"}};
  for (const auto& c : kCases) {
    RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    dltest::ChildProcess app;
    ASSERT_TRUE(app.Start(CopyAs(L"downloader.exe", L"dl_share", c.first)));
    ASSERT_NE(app.WaitForWindow(15000), nullptr);
    char data[64] = "<none>";
    DWORD type = REG_NONE, size = sizeof data;
    RegGetValueA(HKEY_CURRENT_USER, kKey, nullptr, RRF_RT_ANY, &type, data, &size);
    EXPECT_STREQ(data, c.second);
    EXPECT_EQ(type, std::string(c.second) == "<none>" ? REG_NONE : REG_SZ) << "a string value";
  }
  RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
}

TEST(CrashDump, EachCrashReplacesTheDumpNextToTheProgram) {
  const std::wstring probe = CopyAs(L"crash_probe.exe", L"dl_crash", L"crash_probe.exe");
  const std::wstring dump = probe.substr(0, probe.rfind(L'\\')) + L"\\crash.dat";
  const std::wstring elsewhere = dltest::FreshTempFolder(L"dl_crash_cwd");
  const std::string old(4 << 20, 'o');  // longer than any real dump
  for (int round = 0; round < 2; ++round) {
    dltest::ChildProcess crashing;
    ASSERT_TRUE(crashing.Start(probe, L"", elsewhere));
    ASSERT_TRUE(crashing.Wait(30000, nullptr)) << "a crash ends the process without a dialog";
    const std::string written = dltest::ReadWholeFile(dump);
    EXPECT_EQ(written.substr(0, 4), "MDMP") << round;
    EXPECT_LT(written.size(), old.size()) << "written over, not replaced";
    ASSERT_TRUE(dltest::WriteWholeFile(dump, old));
  }
  EXPECT_FALSE(dltest::FileExists(elsewhere + L"\\crash.dat"));
}

}  // namespace
