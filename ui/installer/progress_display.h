// What the installer window shows for a download: the figures the worker stores turned into
// the bar's fill width, the size, speed and percentage texts, and the runner's next frame.
// Pure arithmetic and formatting, so that the rounding can be checked on any machine.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dl {

// Width in pixels of the bar's fill image when the download is complete.
constexpr int kProgressFillWidth = 536;
// Frames of the runner's strip; frame 0 is only its resting picture.
constexpr int kRunnerFrames = 18;

struct ProgressFigures {
  uint32_t downloadedBytes;  // low 32 bits of what the local file holds
  uint32_t totalBytes;       // low 32 bits of the package size; 0 when the server gave none
  uint32_t transferMs;       // time spent receiving, never 0 in practice
  uint64_t receivedBytes;    // bytes received since the connection was made
};

struct ProgressView {
  wchar_t sizeText[48];     // "12.34M/56.78M"
  wchar_t speedText[32];    // "当前下载速度：37K/S" or "...：2M/S"
  wchar_t percentText[16];  // "37%"
  int fillWidth;            // 0 .. kProgressFillWidth
};

// The display for one refresh. Fractions are taken in single precision the way the bar has
// always been drawn (a complete download of most sizes shows 99%; the worker writes the final
// 100% itself). A total of 0 shows an empty bar and 0%; a fraction above one (sizes whose low
// 32 bits wrapped) shows a full bar and 100%.
ProgressView ComputeProgressView(const ProgressFigures& figures);

// "%.02fM/%.02fM" of the two byte counts in MiB; also what the worker writes at the end.
void FormatSizeText(uint32_t downloadedBytes, uint32_t totalBytes, wchar_t* out, size_t cap);

// KiB per second as the speed text counts it: whole bytes per millisecond times 1000, then
// divided by 1024 and held in 16 bits (so it wraps at 64 MiB/s).
uint16_t SpeedKibPerSecond(uint64_t receivedBytes, uint32_t transferMs);

// The runner's next strip column: 1 .. kRunnerFrames - 1, round and round.
int NextRunnerColumn(int column);

}  // namespace dl
