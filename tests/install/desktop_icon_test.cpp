// The desktop icon search against a desktop made by a second process (fake_desktop.exe) with a
// real list view, compared with what that list view itself reports, and the lines the search
// leaves in the window's debug log. The bench's own shell has no desktop windows of these
// classes; if one ever appears, the search cannot tell it from the fake and the tests skip.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "app/debug_log.h"
#include "install/desktop_icon.h"
#include "tests/support/win_test_util.h"

namespace dl {
namespace {

using Items = std::vector<std::string>;

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
void WaitForNoDesktopWindows() {
  for (int waited = 0; waited < 5000 && !DesktopWindows().empty(); waited += 20) Sleep(20);
}

std::string Text(const RECT& r) {
  std::ostringstream out;
  out << r.left << "," << r.top << "," << r.right << "," << r.bottom;
  return out.str();
}

// The fake's report: "pid N listview HANDLE" and "item INDEX LEFT TOP RIGHT BOTTOM" per item.
struct FakeReport {
  DWORD pid = 0;
  HWND listView = nullptr;
  std::vector<std::string> items;  // as Text() writes them
};

class FakeDesktop {
 public:
  // Starts the fake with an arrangement and item texts and waits for its report.
  ::testing::AssertionResult Start(const std::wstring& folder, const char* arrangement,
                                   const Items& items) {
    const std::wstring reportPath = folder + L"\\fake_desktop_report.txt";
    DeleteFileW(reportPath.c_str());
    std::string args =
        std::string(arrangement) + " \"" + std::string(reportPath.begin(), reportPath.end()) + "\"";
    for (const std::string& item : items) args += " \"" + item + "\"";
    if (!child_.Start(dltest::ProgramFolder() + L"fake_desktop.exe",
                      std::wstring(args.begin(), args.end()))) {
      return ::testing::AssertionFailure() << "fake_desktop.exe did not start: " << GetLastError();
    }
    for (int waited = 0; waited < 15000; waited += 20, Sleep(20)) {
      DWORD code = 0;
      if (child_.Wait(0, &code)) return ::testing::AssertionFailure() << "it ended with " << code;
      if (!dltest::FileExists(reportPath)) continue;
      std::istringstream in(dltest::ReadWholeFile(reportPath));
      std::string pid, list, item;
      unsigned long long handle = 0;
      report = FakeReport();
      in >> pid >> report.pid >> list >> handle;
      report.listView = reinterpret_cast<HWND>(static_cast<UINT_PTR>(handle));
      RECT r;
      for (int index; in >> item >> index >> r.left >> r.top >> r.right >> r.bottom;) {
        report.items.push_back(Text(r));
      }
      if (pid != "pid" || list != "listview" || report.items.size() != items.size()) {
        return ::testing::AssertionFailure() << "unreadable report";
      }
      return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "no report from fake_desktop.exe";
  }
  void Stop() {
    child_.Terminate();
    WaitForNoDesktopWindows();
  }

  FakeReport report;

 private:
  dltest::ChildProcess child_;
};

class DesktopIconTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WaitForNoDesktopWindows();  // a fake of an earlier test may still be going away
    for (HWND w : DesktopWindows()) {
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      ASSERT_EQ(GetPropA(w, "dl_fake_desktop"), nullptr)
          << "a fake desktop of " << pid << " stayed";
      GTEST_SKIP() << "the bench has desktop windows of its own (pid " << pid << ")";
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
  std::string Find(const char* name, HWND* listView = nullptr) {
    return Text(FindDesktopIcon(log_, name, listView));
  }

  std::wstring folder_, oldCurrent_;
  DebugLog log_;
  FakeDesktop fake_;
};

TEST_F(DesktopIconTest, FindsEachItemUnderProgmanFirstMatchRegardlessOfCase) {
  ASSERT_TRUE(fake_.Start(folder_, "progman", {"Readme", "TAVORO", "Notes", "Tavoro", "Tavoro2"}));
  const FakeReport& fake = fake_.report;
  HWND listView = nullptr;
  EXPECT_EQ(Find("Tavoro", &listView), fake.items[1]) << "not the first match";
  EXPECT_EQ(listView, fake.listView);
  // Client coordinates of the list view, which does not sit at the screen's origin.
  POINT origin = {0, 0};
  ClientToScreen(fake.listView, &origin);
  EXPECT_TRUE(origin.x != 0 && origin.y != 0);
  EXPECT_EQ(Find("readme"), fake.items[0]);
  EXPECT_EQ(Find("NOTES"), fake.items[2]);
  EXPECT_EQ(Find("Tavoro2"), fake.items[4]);
  EXPECT_EQ(Log(), "IsWow64 = true\r\nIsWow64 = true\r\nIsWow64 = true\r\nIsWow64 = true\r\n");
}

// The list view may sit under a "WorkerW" further down the Z order than an empty one, or only
// under "Progman" when the WorkerW's view holds none.
TEST_F(DesktopIconTest, FindsTheListViewInTheOtherShellArrangements) {
  for (const char* arrangement : {"workerw", "workerw-noview"}) {
    SCOPED_TRACE(arrangement);
    ASSERT_TRUE(fake_.Start(folder_, arrangement, {"Readme", "Tavoro"}));
    HWND listView = nullptr;
    EXPECT_EQ(Find("tavoro", &listView), fake_.report.items[1]);
    EXPECT_EQ(listView, fake_.report.listView);
    fake_.Stop();
  }
  EXPECT_EQ(Log(), "IsWow64 = true\r\nIsWow64 = true\r\n");
}

TEST_F(DesktopIconTest, NoMatchingItemOrNoListViewGivesAnEmptyRectAndALogLine) {
  const struct {
    const char* arrangement;  // null: no desktop windows at all, as the bench's shell has it
    Items items;
  } kCases[] = {{"progman", {"Tavoro2", "Tavor", "Tavoro.lnk", "Readme"}},
                {"progman", {}},
                {"nolist", {}},
                {nullptr, {}}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.arrangement ? c.arrangement : "none");
    if (c.arrangement != nullptr) {
      ASSERT_TRUE(fake_.Start(folder_, c.arrangement, c.items));
    }
    HWND listView = reinterpret_cast<HWND>(1);
    EXPECT_EQ(Find("Tavoro", &listView), "0,0,0,0");
    // The list view is handed back all the same when there is one.
    EXPECT_EQ(listView, c.arrangement ? fake_.report.listView : nullptr);
    fake_.Stop();
  }
  EXPECT_EQ(
      Log(),
      "IsWow64 = true\r\nnot found x64 'Tavoro'\r\nIsWow64 = true\r\nnot found x64 'Tavoro'\r\n"
      "hwndSysListView32 = NULL\r\nhwndSysListView32 = NULL\r\n");
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
    highest = std::max(highest, reinterpret_cast<UINT_PTR>(probe));
  }
  for (HANDLE probe : probes) CloseHandle(probe);
  return highest;
}

TEST_F(DesktopIconTest, RepeatedSearchesLeaveNoBlockInTheShellAndNoHandleHere) {
  ASSERT_TRUE(fake_.Start(folder_, "progman", {"Readme", "Tavoro"}));
  HANDLE shell = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, fake_.report.pid);
  ASSERT_NE(shell, nullptr);
  Find("Tavoro");  // first-use allocations on both sides
  Find("Nobody");
  constexpr int kRounds = 64;
  const UINT_PTR handlesBefore = HighestOfEightNewHandles();
  const SIZE_T memoryBefore = CommittedPrivateBytes(shell);
  ASSERT_GT(memoryBefore, 0u);
  for (int i = 0; i < kRounds; ++i) {
    ASSERT_EQ(Find("Tavoro"), fake_.report.items[1]);
    Find("Nobody");
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
