// The failure notice over the installer window: what went wrong, why it may have, and whether
// downloading again is offered.
#include "ui/installer/download_window.h"
#include "ui/installer/notice_window.h"

namespace dl {

namespace {

struct NoticeTexts {
  const wchar_t* title;
  const wchar_t* subtitle;
  const wchar_t* reasons;
  int offersRetry;
};

// By kind: 0 the download failed, 1 the installation failed (downloading again would not
// help, so only 确定 is offered).
constexpr NoticeTexts kNotices[] = {
    {L"下载失败：", L"以下问题可能是造成您下载失败的主要原因：",
     L"1.网络不稳定造成。\n2.安全软件或防火墙阻挡了本次下载。\n3.检查客户端下载器是否是最新版本。",
     1},
    {L"安装失败：", L"以下问题可能是造成您安装失败的主要原因：",
     L"1.硬盘空间不足或被写保护。\n2.退出正在运行的游戏。\n3.防火墙阻挡导致安装失败。", 0},
};

}  // namespace

void DownloadWindow::PutUpFailureNotice(FailureKind kind) {
  const NoticeTexts& texts = kNotices[kind == FailureKind::kDownload ? 0 : 1];
  notice_.noticeTitle->SetText(texts.title);
  notice_.noticeSubtitle->SetText(texts.subtitle);
  notice_.noticeReasons->SetText(texts.reasons);
  notice_.noticeRetryButton->Show(texts.offersRetry);
  noticeWindow_->Show(1);
  // A keyboard user finds the ring on the notice at once.
  if (keys_.cuesShown()) noticeWindow_->keys().ShowCues();
}

}  // namespace dl
