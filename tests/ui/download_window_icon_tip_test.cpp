// The icon tip: the one-shot tick that looks for the lobby's desktop icon (against a desktop
// made by fake_desktop.exe, a second process with a real list view), the bubble it puts beside
// the icon, and the tick that hides it.
#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>
#include <string>

#include "install/desktop_shortcut.h"
#include "install/install_host.h"
#include "tests/support/win_test_util.h"
#include "tests/ui/installer_test_support.h"
#include "ui/installer/window_messages.h"

namespace dltest {
namespace {

bool DesktopWindowsExist() {
  return FindWindowA("Progman", nullptr) != nullptr || FindWindowA("WorkerW", nullptr) != nullptr;
}

// A desktop of one "progman" arrangement whose list view holds the given items; the report
// gives each item's rectangle in the list view's client coordinates.
class FakeDesktop {
 public:
  ::testing::AssertionResult Start(const std::wstring& folder, const std::string& item) {
    const std::wstring report = folder + L"\\fake_desktop_report.txt";
    const std::string args =
        "progman \"" + std::string(report.begin(), report.end()) + "\" \"" + item + "\"";
    if (!child_.Start(ProgramFolder() + L"fake_desktop.exe",
                      std::wstring(args.begin(), args.end()))) {
      return ::testing::AssertionFailure() << "fake_desktop.exe did not start";
    }
    for (int waited = 0; waited < 15000; waited += 20) {
      if (FileExists(report)) {
        std::istringstream in(ReadWholeFile(report));
        std::string word;
        unsigned long long skip = 0;
        int index = 0;
        if (in >> word >> skip >> word >> skip >> word >> index >> itemRect.left >> itemRect.top >>
            itemRect.right >> itemRect.bottom) {
          return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "unreadable report";
      }
      Sleep(20);
    }
    return ::testing::AssertionFailure() << "no report from fake_desktop.exe";
  }
  ~FakeDesktop() {
    child_.Terminate();
    for (int waited = 0; waited < 5000 && DesktopWindowsExist(); waited += 20) Sleep(20);
  }

  RECT itemRect = {};

 private:
  ChildProcess child_;
};

::testing::AssertionResult BubbleAt(dl::SkinWindow* bubble, LONG x, LONG y) {
  if (bubble == nullptr) return ::testing::AssertionFailure() << "no bubble";
  RECT r = {};
  GetWindowRect(bubble->GetHwnd(), &r);
  return RectIs(r, x, y, x + 209, y + 46);
}

using InstallerIconTip = InstallerWindowTest;

TEST_F(InstallerIconTip, BubbleStandsBesideTheGivenIconAndHidesOnItsTick) {
  TestWindow& w = *window_;
  RECT icon = {20, 100, 95, 170};
  SendMessageW(w.GetHwnd(), dl::WM_SHOW_ICON_TIP, 0, reinterpret_cast<LPARAM>(&icon));
  dl::SkinWindow* bubble = w.iconTipWindow();
  ASSERT_NE(bubble, nullptr);
  EXPECT_TRUE(BubbleAt(bubble, 95, 105));
  EXPECT_TRUE(IsWindowVisible(bubble->GetHwnd()));
  EXPECT_TRUE(RectIs(bubble->GetRect(), 0, 0, 209, 46)) << "its tree stays at the origin";
  ASSERT_EQ(bubble->children().size(), 1u);
  auto* greeting = static_cast<dl::Label*>(bubble->children()[0]);
  EXPECT_EQ(TextOf(greeting), L"HI，恭候您多时了！世界那么大，有您更精彩！戳我开启游戏之旅！");

  w.SetTimer(dl::TIMER_HIDE_ICON_TIP, dl::TIMER_HIDE_ICON_TIP_MS);
  w.OnTimer(dl::TIMER_HIDE_ICON_TIP);
  EXPECT_EQ(w.iconTipWindow(), bubble) << "hidden, not destroyed";
  EXPECT_FALSE(IsWindowVisible(bubble->GetHwnd()));
  EXPECT_FALSE(TimerRunning(w, dl::TIMER_HIDE_ICON_TIP, dl::TIMER_HIDE_ICON_TIP_MS));
}

TEST_F(InstallerIconTip, WithoutTheIconTheTickOnlyLogs) {
  ASSERT_FALSE(DesktopWindowsExist()) << "the bench has no desktop windows";
  TestWindow& w = *window_;
  w.SetTimer(dl::TIMER_ICON_TIP, dl::kIconTipDelayMs);
  w.OnTimer(dl::TIMER_ICON_TIP);
  EXPECT_FALSE(TimerRunning(w, dl::TIMER_ICON_TIP, dl::kIconTipDelayMs)) << "it fires once";
  EXPECT_EQ(w.iconTipWindow(), nullptr);
  const std::string log = Log();
  EXPECT_NE(log.find("IsRectEmpty() = true\r\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("sendmessage WM_APP+2"), std::string::npos);
  // Hiding a bubble that never came is harmless.
  w.OnTimer(dl::TIMER_HIDE_ICON_TIP);
}

TEST_F(InstallerIconTip, TickFindsTheIconOnTheDesktopAndPutsTheBubbleThere) {
  if (DesktopWindowsExist()) GTEST_SKIP() << "the bench has desktop windows of its own";
  FakeDesktop desktop;
  ASSERT_TRUE(desktop.Start(folder_, "Tavoro"));
  TestWindow& w = *window_;
  w.OnTimer(dl::TIMER_ICON_TIP);
  const std::string log = Log();
  EXPECT_NE(log.find("sendmessage WM_APP+2\r\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("IsRectEmpty() = true"), std::string::npos);
  EXPECT_TRUE(BubbleAt(w.iconTipWindow(), desktop.itemRect.right, desktop.itemRect.top + 5));
}

}  // namespace
}  // namespace dltest
