// The installer window's face and its failure notice: every control with its skin, place,
// font, colour and state, in painting order, and the tray icon the close button hides into.
#include <memory>

#include "config/site_record.h"
#include "ui/controls/skin_preload.h"
#include "ui/installer/download_window.h"
#include "ui/installer/notice_window.h"
#include "base/text_convert.h"
#include "config/install_base.h"
#include "ui/installer/window_messages.h"

namespace dl {

namespace {

// Skins of the main window ("IMAGE" resources of the program).
constexpr int kBannerOverlaySkin = 1102;
constexpr int kGlowSkin = 1103;
constexpr int kTitleBarSkin = 1106;
constexpr int kCloseSkin = 1107;
constexpr int kMinimizeSkin = 1108;
constexpr int kInstallSkin = 1110;
constexpr int kTrackSkin = 1111;
constexpr int kModifySkin = 1112;
constexpr int kFillSkin = 1113;
constexpr int kRunnerSkin = 1114;
constexpr int kTipLineSkin = 1115;
// Skins of the notice.
constexpr int kNoticePanelSkin = 1117;
constexpr int kNoticeOkSkin = 1118;
constexpr int kNoticeRetrySkin = 1119;

constexpr int kTrayMenu = 119;
constexpr int kProgramIcon = 1100;

constexpr unsigned kRunnerFrameCount = 18;

constexpr wchar_t kSong[] = L"新宋体";
constexpr wchar_t kYaHei[] = L"微软雅黑";
constexpr uint32_t kGrey = 0xFEC8C8C8;
constexpr uint32_t kWhite = 0xFEFFFFFF;

constexpr LabelStyle kSmallGrey = {kSong, 9, kGrey};
constexpr LabelStyle kSmallWhite = {kSong, 9, kWhite};
constexpr LabelStyle kButtonText = {kYaHei, 10, kWhite};
constexpr LabelStyle kTipHeading = {kSong, 9, 0xFEFFB23E};
constexpr LabelStyle kTipText = {kSong, 9, 0x50FFFFFF};
constexpr LabelStyle kNoticeTitleStyle = {kYaHei, 12, 0xFEFF0000};
constexpr LabelStyle kNoticeSubtitleStyle = {kYaHei, 10, 0xFEE6E6E6};
constexpr LabelStyle kNoticeReasonsStyle = {kYaHei, 9, 0xFEB4B4B4};

constexpr bool kEnabled = true;
constexpr bool kDisabled = false;

}  // namespace

std::unique_ptr<SkinPreload> DownloadWindow::PreloadSkins() {
  // The order in which construction asks for them.
  static const int kSkins[] = {kBackgroundSkin,  kBannerOverlaySkin, kGlowSkin,       kTrackSkin,
                               kTitleBarSkin,    kFillSkin,          kRunnerSkin,     kCloseSkin,
                               kMinimizeSkin,    kModifySkin,        kInstallSkin,    kTipLineSkin,
                               kNoticePanelSkin, kNoticeOkSkin,      kNoticeRetrySkin};
  return std::make_unique<SkinPreload>(GetModuleHandleW(nullptr), L"IMAGE", kSkins,
                                       sizeof kSkins / sizeof kSkins[0]);
}

void DownloadWindow::CreateTrayIcon() {
  HMODULE module = GetModuleHandleW(nullptr);
  trayMenu_.Reset(LoadMenuW(module, MAKEINTRESOURCEW(kTrayMenu)));
  HMENU submenu = trayMenu_ ? GetSubMenu(trayMenu_.Get(), 0) : nullptr;
  HICON icon = LoadIconW(module, MAKEINTRESOURCEW(kProgramIcon));
  char tip[128];
  ToNarrow(kSite.displayName, CodePage::kAnsi, tip, sizeof tip);
  // The icon's identifier is its menu: the icon's callback hands it back to open it.
  trayIcon_.Create(GetHwnd(), icon, static_cast<UINT>(reinterpret_cast<UINT_PTR>(submenu)), tip, 1,
                   WM_LBUTTONUP, WM_RBUTTONUP);
  trayIcon_.FollowDpi(module, kProgramIcon);
}

void DownloadWindow::StartBannerThread(WindowParts::ThreadStart bannerThread) {
  if (bannerThread == nullptr) return;
  // The thread lives as long as the process; its handle is not needed.
  UniqueHandle banner(CreateThread(nullptr, 0, bannerThread, &bannerStart_, 0, nullptr));
}

void DownloadWindow::BuildMainControls() {
  AddImage(this, kBannerOverlaySkin, 1, 1);
  AddImage(this, kGlowSkin, 1, 1);
  ui_.progressTrack = AddImage(this, kTrackSkin, 30, 250);
  ui_.titleBar = AddImage(this, kTitleBarSkin, 0, 0);
  // The fill grows from zero width; it shows its skin's left part unscaled.
  ui_.progressFill = AddImage(this, kFillSkin, RECT{31, 252, 31, 266});
  ui_.runner = AddImage(this, kRunnerSkin, RECT{11, 237, 461, 278});
  ui_.runner->Show(0);
  ui_.runner->SetFrameGrid(kRunnerFrameCount, 1);
  ui_.closeButton = AddButton(this, kCloseSkin, 565, 1, ID_CLOSE);
  ui_.minimizeButton = AddButton(this, kMinimizeSkin, 530, 1, ID_MINIMIZE);
  ui_.modifyButton = AddButton(this, kModifySkin, 543, 225, ID_MODIFY_PATH);
  ui_.installButton = AddButton(this, kInstallSkin, 425, 275, ID_INSTALL);
  AddImage(this, kTipLineSkin, 91, 326);

  ui_.versionLabel = AddLabel(this, {105, 13, 500, 35}, kSmallGrey, kSite.editionText, kEnabled);
  ui_.pathLabel = AddLabel(this, {30, 225, 400, 250}, kSmallWhite, nullptr, kEnabled);
  wchar_t pathText[kPathLabelCap];
  if (FormatPathLabel(installBase_.c_str(), kSite.displayName, pathText,
                      sizeof pathText / sizeof pathText[0])) {
    ui_.pathLabel->SetText(pathText);
  }
  ui_.sizeLabel = AddLabel(this, {30, 280, 400, 305}, kSmallGrey, nullptr, kDisabled);
  ui_.speedLabel = AddLabel(this, {240, 280, 650, 305}, kSmallGrey, nullptr, kDisabled);
  // Disabled, the button's text never takes the mouse: a press on it presses the button.
  ui_.installLabel =
      AddLabel(ui_.installButton, {44, 14, 200, 36}, kButtonText, L"点击安装", kDisabled);
  ui_.percentLabel = AddLabel(this, {280, 253, 430, 278}, kSmallGrey, nullptr, kEnabled);
  AddLabel(this, {130, 329, 300, 360}, kTipHeading, L"新手提示：", kDisabled);
  ui_.tipLabel = AddLabel(this, {190, 329, 600, 360}, kTipText, kSite.tips[0], kDisabled);
}

void DownloadWindow::BuildNoticeWindow() {
  RECT client = {};
  GetLayoutClientRect(&client);
  noticeWindow_ = std::make_unique<NoticeWindow>(client, GetHwnd());
  noticeWindow_->Center(nullptr);

  NoticeWindow* notice = noticeWindow_.get();
  notice_.noticeImage = AddImage(notice, kNoticePanelSkin, 80, 60);
  notice->set_drag_handle(notice_.noticeImage);
  notice_.noticeOkButton = AddButton(notice, kNoticeOkSkin, 425, 205, ID_NOTICE_OK);
  notice_.noticeRetryButton = AddButton(notice, kNoticeRetrySkin, 330, 205, ID_NOTICE_RETRY);
  notice_.noticeTitle =
      AddLabel(notice, {102, 100, 300, 360}, kNoticeTitleStyle, nullptr, kDisabled);
  notice_.noticeSubtitle =
      AddLabel(notice, {105, 125, 500, 360}, kNoticeSubtitleStyle, nullptr, kDisabled);
  notice_.noticeReasons =
      AddLabel(notice, {105, 150, 500, 360}, kNoticeReasonsStyle, nullptr, kDisabled);
}

}  // namespace dl
