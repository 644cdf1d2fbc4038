// The installer window as built: native window and tray icon, every row of its face with place,
// text, font, colour and state, the hidden failure notice, the drag handles, and the banner
// joining the tree from its own thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <gdiplus.h>

#include <string>

#include "app/site_config.h"
#include "app/site_record.h"
#include "install/install_host.h"
#include "tests/ui/installer_test_support.h"
#include "ui/installer/window_messages.h"

namespace dltest {
namespace {

namespace gdip = Gdiplus::DllExports;

float PointsOf(dl::Label* label) {
  Gdiplus::REAL size = 0;
  gdip::GdipGetFontSize(label->font()->handle(), &size);
  return size;
}

uint32_t ColourOf(dl::Label* label) {
  Gdiplus::ARGB argb = 0;
  gdip::GdipGetSolidFillColor(reinterpret_cast<Gdiplus::GpSolidFill*>(label->brush()->handle()),
                              &argb);
  return argb;
}

using InstallerLayout = InstallerWindowTest;

TEST_F(InstallerLayout, CentredTitledWindowWithItsTrayIconAndTipTimer) {
  HWND hwnd = window_->GetHwnd();
  wchar_t title[64] = {};
  GetWindowTextW(hwnd, title, 64);
  EXPECT_STREQ(title, L"客户端下载器");
  EXPECT_TRUE(IsWindowVisible(hwnd));
  RECT area = {}, placed = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  GetWindowRect(hwnd, &placed);
  const LONG left = area.left + (area.right - area.left - 600) / 2;
  const LONG top = area.top + (area.bottom - area.top - 350) / 2;
  EXPECT_TRUE(RectIs(placed, left, top, left + 600, top + 350));

  // The icon waits for the close button; its identifier is the menu a right click opens.
  const NOTIFYICONDATAA* icon = window_->trayIcon().iconData();
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(window_->trayIcon().iconShown(), 0);
  EXPECT_STREQ(icon->szTip, "Tavoro");
  HMENU menu = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(icon->uID));
  ASSERT_TRUE(IsMenu(menu));
  EXPECT_EQ(GetMenuItemCount(menu), 1);
  EXPECT_EQ(GetMenuItemID(menu, 0), dl::ID_TRAY_EXIT);

  EXPECT_TRUE(TimerRunning(*window_, dl::TIMER_TIPS, dl::TIMER_TIPS_MS));
  EXPECT_FALSE(TimerRunning(*window_, dl::TIMER_PROGRESS, dl::TIMER_PROGRESS_MS));
}

TEST_F(InstallerLayout, EveryRowInPaintingOrderWithItsPlaceTextAndState) {
  const dl::MainControls& ui = window_->controls();
  const auto& rows = window_->children();
  ASSERT_EQ(rows.size(), 18u) << "eleven images and buttons, seven labels";
  // Rows 1-11: images at their skins' natural sizes, or the two explicit rectangles.
  const RECT expected[] = {{1, 1, 599, 201},     {1, 1, 599, 431},   {30, 250, 570, 268},
                           {0, 0, 598, 37},      {31, 252, 31, 266}, {11, 237, 36, 278},
                           {565, 1, 599, 35},    {530, 1, 564, 35},  {543, 225, 568, 237},
                           {425, 275, 573, 325}, {91, 326, 507, 344}};
  for (size_t i = 0; i < 11; ++i) {
    const RECT& e = expected[i];
    EXPECT_TRUE(RectIs(rows[i]->GetRect(), e.left, e.top, e.right, e.bottom)) << "row " << i + 1;
    EXPECT_NE(rows[i]->image(), nullptr) << "row " << i + 1 << " has its skin";
  }
  const dl::Control* named[] = {ui.titleBar,
                                ui.progressFill,
                                ui.runner,
                                FindById(window_.get(), dl::ID_CLOSE),
                                FindById(window_.get(), dl::ID_MINIMIZE),
                                ui.modifyButton,
                                ui.installButton};
  for (size_t i = 0; i < 7; ++i) EXPECT_EQ(rows[3 + i], named[i]) << "row " << 4 + i;
  EXPECT_EQ(ui.modifyButton->GetId(), dl::ID_MODIFY_PATH);
  EXPECT_EQ(ui.installButton->GetId(), dl::ID_INSTALL);

  // Before any download: an empty bar, the runner hidden on frame 0.
  EXPECT_EQ(ui.runner->IsVisible(), 0);
  int col = -1, row = -1;
  ui.runner->GetFrame(&col, &row);
  EXPECT_EQ(col, 0);

  struct Expect {
    dl::Label* label;
    RECT rect;
    std::wstring text;
    float points;
    uint32_t colour;
    int enabled;
  };
  const std::wstring path = std::wstring(L"安装路径：") + dl::g_installBase + L"Tavoro\\";
  const Expect labels[] = {
      {ui.versionLabel, {105, 13, 500, 35}, L"完整版 2.1", 9, 0xFEC8C8C8, 1},
      {ui.pathLabel, {30, 225, 400, 250}, path, 9, 0xFEFFFFFF, 1},
      {ui.sizeLabel, {30, 280, 400, 305}, L"", 9, 0xFEC8C8C8, 0},
      {ui.speedLabel, {240, 280, 650, 305}, L"", 9, 0xFEC8C8C8, 0},
      {ui.installLabel, {469, 289, 625, 311}, L"点击安装", 10, 0xFEFFFFFF, 0},
      {ui.percentLabel, {280, 253, 430, 278}, L"", 9, 0xFEC8C8C8, 1},
      {static_cast<dl::Label*>(rows[16]), {130, 329, 300, 360}, L"新手提示：", 9, 0xFEFFB23E, 0},
      {ui.tipLabel, {190, 329, 600, 360}, dl::kSite.tips[0], 9, 0x50FFFFFF, 0},
  };
  for (const Expect& e : labels) {
    ASSERT_NE(e.label, nullptr);
    SCOPED_TRACE(std::string(e.text.begin(), e.text.end()));
    EXPECT_TRUE(RectIs(e.label->GetRect(), e.rect.left, e.rect.top, e.rect.right, e.rect.bottom));
    EXPECT_EQ(TextOf(e.label), e.text);
    EXPECT_FLOAT_EQ(PointsOf(e.label), e.points);
    EXPECT_EQ(ColourOf(e.label), e.colour);
    EXPECT_EQ(e.label->IsEnabled(), e.enabled);
  }
  EXPECT_EQ(ui.installLabel->parent(), ui.installButton);
}

TEST_F(InstallerLayout, NoticeWindowLiesHiddenOverTheWindow) {
  dl::SkinWindow* notice = window_->noticeWindow();
  ASSERT_NE(notice, nullptr);
  HWND hwnd = notice->GetHwnd();
  EXPECT_FALSE(IsWindowVisible(hwnd));
  EXPECT_EQ(GetWindow(hwnd, GW_OWNER), window_->GetHwnd());
  EXPECT_NE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
  RECT over = {}, under = {};
  GetWindowRect(hwnd, &over);
  GetWindowRect(window_->GetHwnd(), &under);
  EXPECT_TRUE(RectIs(over, under.left, under.top, under.right, under.bottom));

  const dl::NoticeControls& n = window_->notice();
  EXPECT_TRUE(RectIs(n.noticeImage->GetRect(), 80, 60, 520, 244));
  EXPECT_TRUE(RectIs(n.noticeOkButton->GetRect(), 425, 205, 514, 237));
  EXPECT_TRUE(RectIs(n.noticeRetryButton->GetRect(), 330, 205, 419, 237));
  EXPECT_TRUE(RectIs(n.noticeReasons->GetRect(), 105, 150, 500, 360));
  EXPECT_FLOAT_EQ(PointsOf(n.noticeTitle), 12);
  EXPECT_EQ(ColourOf(n.noticeTitle), 0xFEFF0000u);
}

TEST_F(InstallerLayout, OnlyTheTitleBarAndTheEditionTextDragTheWindows) {
  const dl::MainControls& ui = window_->controls();
  RECT drag = {};
  // What the mouse finds at each point, and whether a press there drags.
  struct Probe {
    int x, y;
    dl::Control* expected;
    int drags;
  };
  const Probe probes[] = {
      {50, 20, ui.titleBar, 1},    {300, 20, ui.versionLabel, 1},  {300, 120, nullptr, 0},
      {100, 235, ui.pathLabel, 0}, {300, 262, ui.percentLabel, 0}, {15, 340, nullptr, 0},
  };
  for (const Probe& p : probes) {
    SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
    dl::Control* hit = window_->HitTest(p.x, p.y);
    ASSERT_NE(hit, nullptr);
    if (p.expected != nullptr) {
      EXPECT_EQ(hit, p.expected);
    }
    EXPECT_EQ(window_->GetDragRect(&drag, hit), p.drags);
    if (p.drags == 1) {
      EXPECT_TRUE(RectIs(drag, 0, 0, 600, 350));
    }
  }

  dl::SkinWindow* notice = window_->noticeWindow();
  EXPECT_EQ(notice->GetDragRect(&drag, window_->notice().noticeImage), 1);
  EXPECT_TRUE(RectIs(drag, 0, 0, 600, 350));
  EXPECT_EQ(notice->GetDragRect(&drag, window_->notice().noticeOkButton), 0);
}

TEST_F(InstallerLayout, ClickOnTheInstallButtonsTextClicksTheButton) {
  EXPECT_EQ(window_->HitTest(499, 300), window_->controls().installButton);
  ClickAt(window_->GetHwnd(), 499, 300);
  PumpFor(100);
  EXPECT_EQ(dl::g_installState.load(), dl::Downloading);
  EXPECT_EQ(TextOf(window_->controls().installLabel), L"暂停安装");
}

// A banner thread as the browser's: builds its control without parent and asks the window's
// thread to take it into the tree.
std::atomic<dl::Control*> g_banner{nullptr};
DWORD WINAPI FakeBannerThread(void* window) {
  HWND host = static_cast<dl::SkinWindow*>(window)->GetHwnd();
  auto* banner =
      new dl::Control(RECT{2, 37, 597, 211}, nullptr, nullptr, 0, host, nullptr, nullptr);
  g_banner.store(banner);
  SendMessageW(host, dl::WM_ATTACH_BANNER, 0, reinterpret_cast<LPARAM>(banner));
  return 0;
}

TEST(InstallerBanner, JoinsTheTreeOnTheWindowsThreadAboveEverything) {
  g_banner.store(nullptr);
  TestWindow window(&FakeBannerThread);
  for (int waited = 0;
       waited < 5000 && (g_banner.load() == nullptr || g_banner.load()->parent() == nullptr);
       waited += 20) {
    PumpFor(20);
  }
  dl::Control* banner = g_banner.load();
  ASSERT_NE(banner, nullptr);
  EXPECT_EQ(window.children().back(), banner);
  EXPECT_EQ(window.HitTest(300, 120), banner);
  RECT drag = {};
  EXPECT_EQ(window.GetDragRect(&drag, banner), 0) << "the banner does not drag";
}

}  // namespace
}  // namespace dltest
