// The real downloader.exe as a user starts it: one instance, the share id in its name,
// no log unless prepared, crash dumps next to the program.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/support/win_test_util.h"

namespace {

using dltest::ChildProcess;

const wchar_t kShareKey[] = L"SOFTWARE\\QVEXGame\\Lobby\\Share\\shareid_16";

std::wstring Downloader() { return dltest::ProgramFolder() + L"downloader.exe"; }

// A copy of the program under a chosen name in a fresh folder.
std::wstring CopyAs(const wchar_t* folderName, const wchar_t* fileName) {
  std::wstring folder = dltest::FreshTempFolder(folderName);
  std::wstring target = folder + L"\\" + fileName;
  EXPECT_TRUE(CopyFileW(Downloader().c_str(), target.c_str(), FALSE)) << GetLastError();
  return target;
}

void ForgetShareId() { RegDeleteKeyW(HKEY_CURRENT_USER, kShareKey); }

TEST(SingleInstance, SecondStartBringsTheFirstBackAndExitsWithZero) {
  std::wstring exe = CopyAs(L"dl_instance", L"Setup.exe");
  ChildProcess first;
  ASSERT_TRUE(first.Start(exe));
  HWND window = first.WaitForWindow(15000);
  ASSERT_NE(window, nullptr) << "the first instance shows its window";
  wchar_t title[64] = {};
  GetWindowTextW(window, title, 64);
  EXPECT_STREQ(title, L"客户端下载器");

  ShowWindow(window, SW_HIDE);  // as if it had gone to the tray
  ASSERT_FALSE(IsWindowVisible(window));

  ChildProcess second;
  ASSERT_TRUE(second.Start(exe));
  DWORD code = 99;
  ASSERT_TRUE(second.Wait(15000, &code)) << "the second start ends by itself";
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(dltest::CountWindowsOf(second.id(), nullptr), 0);

  DWORD start = GetTickCount();
  while (!IsWindowVisible(window) && GetTickCount() - start < 5000) Sleep(50);
  EXPECT_TRUE(IsWindowVisible(window)) << "the activation message brought the window back";
  EXPECT_EQ(dltest::CountWindowsOf(first.id(), L"DownloadWindow"), 1);
}

TEST(SingleInstance, CloseEndsTheProcessWithZero) {
  std::wstring exe = CopyAs(L"dl_close", L"Setup.exe");
  ChildProcess app;
  ASSERT_TRUE(app.Start(exe));
  HWND window = app.WaitForWindow(15000);
  ASSERT_NE(window, nullptr);
  PostMessageW(window, WM_CLOSE, 0, 0);
  DWORD code = 99;
  ASSERT_TRUE(app.Wait(10000, &code));
  EXPECT_EQ(code, 0u);
}

TEST(ShareId, NumericSuffixOfTheFileNameIsStoredAsTheKeyDefault) {
  ForgetShareId();
  std::wstring exe = CopyAs(L"dl_share", L"Setup_123456.exe");
  ChildProcess app;
  ASSERT_TRUE(app.Start(exe));
  ASSERT_NE(app.WaitForWindow(15000), nullptr);

  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kShareKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  char data[64] = {};
  DWORD type = 0, size = sizeof data;
  ASSERT_EQ(RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(data), &size),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::string(data), "123456");
  ForgetShareId();
}

TEST(ShareId, NameWithoutNumericSuffixStoresNothing) {
  ForgetShareId();
  for (const wchar_t* name : {L"Setup.exe", L"Setup_12ab.exe"}) {
    std::wstring exe = CopyAs(L"dl_noshare", name);
    ChildProcess app;
    ASSERT_TRUE(app.Start(exe));
    ASSERT_NE(app.WaitForWindow(15000), nullptr);
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, kShareKey, 0, KEY_READ, &key), ERROR_SUCCESS)
        << "no share key for " << std::string(name, name + wcslen(name));
    if (key) RegCloseKey(key);
  }
}

TEST(DebugLog, ProgramWritesNoLogThatWasNotPrepared) {
  std::wstring exe = CopyAs(L"dl_nolog", L"Setup.exe");
  std::wstring folder = exe.substr(0, exe.rfind(L'\\'));
  ChildProcess app;
  ASSERT_TRUE(app.Start(exe, L"", dltest::FreshTempFolder(L"dl_nolog_cwd")));
  ASSERT_NE(app.WaitForWindow(15000), nullptr);
  app.Terminate();
  EXPECT_FALSE(dltest::FileExists(folder + L"\\__lobby_dl_debug.log"));
}

TEST(CrashDump, TwoCrashesLeaveOneFreshDumpNextToTheProgram) {
  std::wstring folder = dltest::FreshTempFolder(L"dl_crash");
  std::wstring probe = folder + L"\\crash_probe.exe";
  ASSERT_TRUE(
      CopyFileW((dltest::ProgramFolder() + L"crash_probe.exe").c_str(), probe.c_str(), FALSE));
  std::wstring elsewhere = dltest::FreshTempFolder(L"dl_crash_cwd");
  std::wstring dump = folder + L"\\crash.dat";

  ChildProcess first;
  ASSERT_TRUE(first.Start(probe, L"", elsewhere));
  ASSERT_TRUE(first.Wait(30000, nullptr)) << "a crash ends the process without a dialog";
  ASSERT_TRUE(dltest::FileExists(dump));
  EXPECT_EQ(dltest::ReadWholeFile(dump).substr(0, 4), "MDMP");

  // Make the first dump recognisable (and longer than any real one) to see it replaced.
  const std::string old(4 << 20, 'o');
  ASSERT_TRUE(dltest::WriteWholeFile(dump, old));
  ChildProcess second;
  ASSERT_TRUE(second.Start(probe, L"", elsewhere));
  ASSERT_TRUE(second.Wait(30000, nullptr));
  std::string after = dltest::ReadWholeFile(dump);
  EXPECT_EQ(after.substr(0, 4), "MDMP") << "the later crash replaced the earlier dump";
  EXPECT_LT(after.size(), old.size()) << "replaced, not written over";
  EXPECT_FALSE(dltest::FileExists(elsewhere + L"\\crash.dat"));

  int dumps = 0;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*.dat").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do ++dumps;
    while (FindNextFileW(find, &data));
    FindClose(find);
  }
  EXPECT_EQ(dumps, 1);
}

}  // namespace
