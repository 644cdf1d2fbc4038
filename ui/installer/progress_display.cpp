#include "ui/installer/progress_display.h"

#include <cwchar>

namespace dl {

namespace {

constexpr uint32_t kSpeedMegaThreshold = 1024;  // KiB/s from which the text counts in MiB

// A value rounded to single precision even where the compiler would keep it wider (x87).
float ToSingle(double value) {
  volatile float rounded = static_cast<float>(value);
  return rounded;
}

float Kibibytes(uint32_t bytes) { return ToSingle(static_cast<float>(bytes) / 1024.0f); }

}  // namespace

void FormatSizeText(uint32_t downloadedBytes, uint32_t totalBytes, wchar_t* out, size_t cap) {
  if (cap == 0) return;
  const float d = Kibibytes(downloadedBytes);
  const float t = Kibibytes(totalBytes);
  if (std::swprintf(out, cap, L"%.02fM/%.02fM", static_cast<double>(ToSingle(d / 1024.0f)),
                    static_cast<double>(ToSingle(t / 1024.0f))) < 0) {
    out[0] = L'\0';
  }
}

uint16_t SpeedKibPerSecond(uint64_t receivedBytes, uint32_t transferMs) {
  if (transferMs == 0) return 0;
  const uint64_t bytesPerSecond = receivedBytes / transferMs * 1000;
  return static_cast<uint16_t>(bytesPerSecond / 1024);
}

int NextRunnerColumn(int column) {
  const int next = column + 1;
  return next >= kRunnerFrames ? 1 : next;
}

ProgressView ComputeProgressView(const ProgressFigures& figures) {
  ProgressView view = {};
  FormatSizeText(figures.downloadedBytes, figures.totalBytes, view.sizeText,
                 sizeof view.sizeText / sizeof view.sizeText[0]);

  const unsigned k = SpeedKibPerSecond(figures.receivedBytes, figures.transferMs);
  const size_t speedCap = sizeof view.speedText / sizeof view.speedText[0];
  if (k >= kSpeedMegaThreshold) {
    std::swprintf(view.speedText, speedCap, L"当前下载速度：%dM/S",
                  static_cast<int>(k / kSpeedMegaThreshold));
  } else {
    std::swprintf(view.speedText, speedCap, L"当前下载速度：%dK/S", static_cast<int>(k));
  }

  int percent = 0;
  if (figures.totalBytes != 0) {
    const float d = Kibibytes(figures.downloadedBytes);
    const float q = ToSingle(1.0 / static_cast<double>(Kibibytes(figures.totalBytes)));
    const double fraction = static_cast<double>(q) * static_cast<double>(d);
    if (fraction >= 1.0) {
      view.fillWidth = kProgressFillWidth;
      percent = 100;
    } else {
      view.fillWidth = static_cast<int>(ToSingle(fraction * kProgressFillWidth));
      percent = static_cast<int>(fraction * 100.0);
    }
  }
  std::swprintf(view.percentText, sizeof view.percentText / sizeof view.percentText[0], L"%d%%",
                percent);
  return view;
}

}  // namespace dl
