// The desktop icon search against a desktop made by a second process (fake_desktop.exe) with a
// real list view, compared with what that list view itself reports, and the lines the search
// leaves in the window's debug log. The bench's own shell has no desktop windows of these
// classes; if one ever appears, the search cannot tell it from the fake and the tests skip.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "app/debug_log.h"
#include "install/desktop_icon.h"
#include "tests/support/win_test_util.h"

namespace dl {
namespace {

constexpr char kFakeMark[] = "dl_fake_desktop";

struct FakeReport {
  DWORD pid = 0;
  HWND listView = nullptr;
  std::vector<RECT> items;
};

bool ParseReport(const std::string& text, FakeReport* report) {
  std::istringstream in(text);
  std::string word;
  unsigned long long handle = 0;
  if (!(in >> word >> report->pid) || word != "pid") return false;
  if (!(in >> word >> handle) || word != "listview") return false;
  report->listView = reinterpret_cast<HWND>(static_cast<UINT_PTR>(handle));
  int index = 0;
  RECT r = {};
  while (in >> word >> index >> r.left >> r.top >> r.right >> r.bottom) {
    if (word != "item" || index != static_cast<int>(report->items.size())) return false;
    report->items.push_back(r);
  }
  return in.eof();
}

// Top-level windows of the desktop classes the search looks at.
std::vector<HWND> DesktopWindows() {
  std::vector<HWND> found;
  for (const char* cls : {"Progman", "WorkerW"}) {
    for (HWND w = FindWindowExA(nullptr, nullptr, cls, nullptr); w != nullptr;
         w = FindWindowExA(nullptr, w, cls, nullptr)) {
      found.push_back(w);
    }
  }
  return found;
}

class FakeDesktop {
 public:
  // Starts the fake with an arrangement and item texts and waits for its report.
  ::testing::AssertionResult Start(const std::wstring& folder, const char* arrangement,
                                   const std::vector<std::string>& items) {
    const std::wstring reportPath = folder + L"\\fake_desktop_report.txt";
    DeleteFileW(reportPath.c_str());
    report = FakeReport();
    std::string args =
        std::string(arrangement) + " \"" + std::string(reportPath.begin(), reportPath.end()) + "\"";
    for (const std::string& item : items) args += " \"" + item + "\"";
    if (!child_.Start(dltest::ProgramFolder() + L"fake_desktop.exe",
                      std::wstring(args.begin(), args.end()))) {
      return ::testing::AssertionFailure() << "fake_desktop.exe did not start: " << GetLastError();
    }
    for (int waited = 0; waited < 15000; waited += 20) {
      DWORD code = 0;
      if (child_.Wait(0, &code)) {
        return ::testing::AssertionFailure() << "fake_desktop.exe ended with " << code;
      }
      if (dltest::FileExists(reportPath)) {
        if (!ParseReport(dltest::ReadWholeFile(reportPath), &report)) {
          return ::testing::AssertionFailure() << "unreadable report";
        }
        if (report.items.size() != items.size()) {
          return ::testing::AssertionFailure() << report.items.size() << " items reported";
        }
        return ::testing::AssertionSuccess();
      }
      Sleep(20);
    }
    return ::testing::AssertionFailure() << "no report from fake_desktop.exe";
  }

  // Ends the fake and waits until its windows are gone.
  void Stop() {
    child_.Terminate();
    for (int waited = 0; waited < 5000 && !DesktopWindows().empty(); waited += 20) Sleep(20);
  }

  FakeReport report;

 private:
  dltest::ChildProcess child_;
};

::testing::AssertionResult SameRect(const RECT& found, const RECT& expected) {
  if (EqualRect(&found, &expected)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "(" << found.left << "," << found.top << "," << found.right << "," << found.bottom
         << ") instead of (" << expected.left << "," << expected.top << "," << expected.right << ","
         << expected.bottom << ")";
}

class DesktopIconTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A fake of an earlier test may still be going away.
    for (int waited = 0; waited < 5000 && !DesktopWindows().empty(); waited += 20) Sleep(20);
    for (HWND w : DesktopWindows()) {
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      ASSERT_EQ(GetPropA(w, kFakeMark), nullptr) << "a fake desktop of pid " << pid << " stayed";
      GTEST_SKIP() << "the bench has desktop windows of its own (pid " << pid
                   << "); the fake desktop would not be the only one";
    }

    // The window opens its log by this name in the current folder, when the file exists.
    folder_ = dltest::FreshTempFolder(L"dl_desktop_icon");
    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    oldCurrent_ = current;
    ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
    ASSERT_TRUE(dltest::WriteWholeFile(folder_ + L"\\__lobby_dl_debug.log", ""));
    ASSERT_TRUE(log_.Open());
  }
  void TearDown() override {
    fake_.Stop();
    if (!oldCurrent_.empty()) SetCurrentDirectoryW(oldCurrent_.c_str());
  }

  std::string Log() const { return dltest::ReadWholeFile(folder_ + L"\\__lobby_dl_debug.log"); }

  std::wstring folder_;
  std::wstring oldCurrent_;
  DebugLog log_;
  FakeDesktop fake_;
};

TEST_F(DesktopIconTest, FindsEachItemUnderProgmanFirstMatchRegardlessOfCase) {
  ASSERT_TRUE(fake_.Start(folder_, "progman", {"Readme", "TAVORO", "Notes", "Tavoro", "Tavoro2"}));
  const FakeReport& fake = fake_.report;
  ASSERT_NE(fake.listView, nullptr);

  HWND listView = nullptr;
  RECT found = FindDesktopIcon(log_, "Tavoro", &listView);
  EXPECT_EQ(listView, fake.listView);
  EXPECT_FALSE(IsRectEmpty(&found));
  EXPECT_TRUE(SameRect(found, fake.items[1]));
  EXPECT_FALSE(EqualRect(&found, &fake.items[3])) << "a later match won";

  // Client coordinates of the list view: it does not sit at the screen's origin, so screen
  // coordinates would differ.
  POINT origin = {0, 0};
  ClientToScreen(fake.listView, &origin);
  EXPECT_TRUE(origin.x != 0 && origin.y != 0);

  // Every index reaches its own item; the handle output is optional.
  const char* names[] = {"readme", "tavoro", "NOTES", "tavoro", "Tavoro2"};
  for (int i : {0, 2, 4}) {
    EXPECT_TRUE(SameRect(FindDesktopIcon(log_, names[i], nullptr), fake.items[i])) << names[i];
  }
  EXPECT_EQ(Log(), "IsWow64 = true\r\nIsWow64 = true\r\nIsWow64 = true\r\nIsWow64 = true\r\n");
}

TEST_F(DesktopIconTest, FindsTheListViewUnderAWorkerWFurtherDownTheZOrder) {
  ASSERT_TRUE(fake_.Start(folder_, "workerw", {"Readme", "Tavoro"}));
  const FakeReport& fake = fake_.report;
  // The first worker has no view, and "Progman" none either: only the walk reaches the list.
  HWND first = FindWindowA("WorkerW", nullptr);
  ASSERT_NE(first, nullptr);
  ASSERT_EQ(FindWindowExA(first, nullptr, "SHELLDLL_DefView", nullptr), nullptr);
  ASSERT_NE(GetWindow(first, GW_HWNDNEXT), GetParent(GetParent(fake.listView)));
  ASSERT_EQ(FindWindowExA(FindWindowA("Progman", "Program Manager"), nullptr, "SHELLDLL_DefView",
                          nullptr),
            nullptr);

  HWND listView = nullptr;
  RECT found = FindDesktopIcon(log_, "tavoro", &listView);
  EXPECT_EQ(listView, fake.listView);
  EXPECT_TRUE(SameRect(found, fake.items[1]));
  EXPECT_EQ(Log(), "IsWow64 = true\r\n");
}

TEST_F(DesktopIconTest, FallsBackToProgmanWhenTheWorkerWViewHoldsNoList) {
  ASSERT_TRUE(fake_.Start(folder_, "workerw-noview", {"Tavoro"}));
  HWND listView = nullptr;
  RECT found = FindDesktopIcon(log_, "Tavoro", &listView);
  EXPECT_EQ(listView, fake_.report.listView);
  EXPECT_TRUE(SameRect(found, fake_.report.items[0]));
  EXPECT_EQ(Log(), "IsWow64 = true\r\n");
}

TEST_F(DesktopIconTest, NoItemOfThatNameLogsTheNameAndTheLayout) {
  ASSERT_TRUE(fake_.Start(folder_, "progman", {"Tavoro2", "Tavor", "Tavoro.lnk", "Readme"}));
  HWND listView = nullptr;
  RECT found = FindDesktopIcon(log_, "Tavoro", &listView);
  EXPECT_EQ(listView, fake_.report.listView) << "the list view is handed back all the same";
  EXPECT_TRUE(IsRectEmpty(&found));
  EXPECT_EQ(found.left | found.top | found.right | found.bottom, 0);

  // A desktop without any item.
  fake_.Stop();
  ASSERT_TRUE(fake_.Start(folder_, "progman", {}));
  found = FindDesktopIcon(log_, "Tavoro", &listView);
  EXPECT_EQ(listView, fake_.report.listView);
  EXPECT_EQ(found.left | found.top | found.right | found.bottom, 0);
  EXPECT_EQ(Log(),
            "IsWow64 = true\r\nnot found x64 'Tavoro'\r\n"
            "IsWow64 = true\r\nnot found x64 'Tavoro'\r\n");
}

TEST_F(DesktopIconTest, WithoutAListViewLogsItAndHandsBackNone) {
  ASSERT_TRUE(fake_.Start(folder_, "nolist", {}));
  HWND listView = reinterpret_cast<HWND>(1);
  RECT found = FindDesktopIcon(log_, "Tavoro", &listView);
  EXPECT_EQ(listView, nullptr);
  EXPECT_EQ(found.left | found.top | found.right | found.bottom, 0);

  // No desktop windows at all, as the bench's shell has it.
  fake_.Stop();
  ASSERT_TRUE(DesktopWindows().empty());
  listView = reinterpret_cast<HWND>(1);
  found = FindDesktopIcon(log_, "Tavoro", &listView);
  EXPECT_EQ(listView, nullptr);
  EXPECT_EQ(found.left | found.top | found.right | found.bottom, 0);
  EXPECT_EQ(Log(), "hwndSysListView32 = NULL\r\nhwndSysListView32 = NULL\r\n");
}

// Committed private memory of a process, summed over its address space.
SIZE_T CommittedPrivateBytes(HANDLE process) {
  SIZE_T total = 0;
  MEMORY_BASIC_INFORMATION info;
  for (char* at = nullptr; VirtualQueryEx(process, at, &info, sizeof info) == sizeof info;
       at = static_cast<char*>(info.BaseAddress) + info.RegionSize) {
    if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
  }
  return total;
}

// The highest of eight handles opened at once. New handles fill the free slots from the
// lowest up, so handles that searches left open push it up. (wine counts no handles per
// process, and a single probe would just take the slot below the leaked ones.)
UINT_PTR HighestOfEightNewHandles() {
  HANDLE probes[8];
  UINT_PTR highest = 0;
  for (HANDLE& probe : probes) {
    probe = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, GetCurrentProcessId());
    if (reinterpret_cast<UINT_PTR>(probe) > highest) highest = reinterpret_cast<UINT_PTR>(probe);
  }
  for (HANDLE probe : probes) CloseHandle(probe);
  return highest;
}

TEST_F(DesktopIconTest, RepeatedSearchesLeaveNoBlockInTheShellAndNoHandleHere) {
  ASSERT_TRUE(fake_.Start(folder_, "progman", {"Readme", "Tavoro"}));
  HANDLE shell = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, fake_.report.pid);
  ASSERT_NE(shell, nullptr);
  FindDesktopIcon(log_, "Tavoro", nullptr);  // first-use allocations on both sides
  FindDesktopIcon(log_, "Nobody", nullptr);

  constexpr int kRounds = 64;
  const UINT_PTR handlesBefore = HighestOfEightNewHandles();
  const SIZE_T memoryBefore = CommittedPrivateBytes(shell);
  ASSERT_GT(memoryBefore, 0u);
  for (int i = 0; i < kRounds; ++i) {
    const RECT found = FindDesktopIcon(log_, "Tavoro", nullptr);
    ASSERT_FALSE(IsRectEmpty(&found));
    FindDesktopIcon(log_, "Nobody", nullptr);
  }
  const UINT_PTR handlesAfter = HighestOfEightNewHandles();
  const SIZE_T memoryAfter = CommittedPrivateBytes(shell);
  CloseHandle(shell);

  EXPECT_EQ(handlesAfter, handlesBefore);
  // A block left behind per search costs at least a page each.
  EXPECT_LT(memoryAfter, memoryBefore + kRounds * 4096 / 4)
      << memoryBefore << " -> " << memoryAfter << " bytes";
}

}  // namespace
}  // namespace dl
