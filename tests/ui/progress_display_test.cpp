// The progress display's arithmetic: single-precision fractions, the speed held in 16 bits
// after a division that comes first, the text forms, and a total of 0.
#include "ui/installer/progress_display.h"

#include <gtest/gtest.h>

#include <string>

namespace dl {
namespace {

ProgressView View(uint32_t downloaded, uint32_t total, uint32_t ms, uint64_t received) {
  return ComputeProgressView(ProgressFigures{downloaded, total, ms, received});
}

std::wstring Speed(uint64_t received, uint32_t ms) { return View(0, 1, ms, received).speedText; }

TEST(ProgressDisplay, SpeedCountsWholeBytesPerMillisecondAndWrapsIn16Bits) {
  EXPECT_EQ(SpeedKibPerSecond(5000000, 4000), 1220);
  EXPECT_EQ(Speed(5000000, 4000), L"当前下载速度：1M/S");
  EXPECT_EQ(SpeedKibPerSecond(1048000, 1000), 1023);
  EXPECT_EQ(Speed(1048000, 1000), L"当前下载速度：1023K/S");
  EXPECT_EQ(SpeedKibPerSecond(1049000, 1000), 1024);
  EXPECT_EQ(Speed(1049000, 1000), L"当前下载速度：1M/S");
  // The division comes first: 1999 bytes in a second count as 1000 bytes per second.
  EXPECT_EQ(SpeedKibPerSecond(1999, 1000), 0);
  EXPECT_EQ(SpeedKibPerSecond(2048000, 1000), 2000);
  // 65536 KiB/s is 0 in 16 bits; 65537 is 1.
  EXPECT_EQ(Speed(67109000, 1000), L"当前下载速度：0K/S");
  EXPECT_EQ(SpeedKibPerSecond(67110000, 1000), 1);
  EXPECT_EQ(Speed(41943040, 1000), L"当前下载速度：39M/S");
  EXPECT_EQ(SpeedKibPerSecond(123456789, 0), 0) << "no time: no speed, no fault";
}

TEST(ProgressDisplay, CompleteDownloadRoundsToJustUnderOneHundredPercent) {
  ProgressView done = View(3000000, 3000000, 1000, 3000000);
  EXPECT_EQ(std::wstring(done.sizeText), L"2.86M/2.86M");
  EXPECT_EQ(std::wstring(done.percentText), L"99%");
  EXPECT_EQ(done.fillWidth, 536);

  ProgressView half = View(1048576, 2097152, 1, 0);
  EXPECT_EQ(std::wstring(half.sizeText), L"1.00M/2.00M");
  EXPECT_EQ(std::wstring(half.percentText), L"50%");
  EXPECT_EQ(half.fillWidth, 268);

  ProgressView third = View(1000, 3000, 1, 0);
  EXPECT_EQ(std::wstring(third.percentText), L"33%");
  EXPECT_EQ(third.fillWidth, 178) << "178.666 truncated";

  ProgressView power = View(4194304, 4194304, 1, 0);
  EXPECT_EQ(std::wstring(power.percentText), L"100%") << "exact for powers of two";
  EXPECT_EQ(power.fillWidth, 536);
}

TEST(ProgressDisplay, BeforeAnyReportAndWithoutATotalTheBarStaysEmpty) {
  ProgressView start = View(0, 1, 1, 0);
  EXPECT_EQ(std::wstring(start.sizeText), L"0.00M/0.00M");
  EXPECT_EQ(std::wstring(start.speedText), L"当前下载速度：0K/S");
  EXPECT_EQ(std::wstring(start.percentText), L"0%");
  EXPECT_EQ(start.fillWidth, 0);

  ProgressView noTotal = View(5000000, 0, 1000, 5000000);
  EXPECT_EQ(std::wstring(noTotal.sizeText), L"4.77M/0.00M");
  EXPECT_EQ(std::wstring(noTotal.percentText), L"0%");
  EXPECT_EQ(noTotal.fillWidth, 0);

  // Low halves of a size that wrapped: more downloaded than the total says.
  ProgressView wrapped = View(4000000, 10, 1, 0);
  EXPECT_EQ(std::wstring(wrapped.percentText), L"100%");
  EXPECT_EQ(wrapped.fillWidth, 536);
  ProgressView largest = View(0xFFFFFFFFu, 0xFFFFFFFFu, 1, 0);
  EXPECT_EQ(std::wstring(largest.sizeText), L"4096.00M/4096.00M");
}

TEST(ProgressDisplay, RunnerCyclesThroughFramesOneToSeventeen) {
  EXPECT_EQ(NextRunnerColumn(0), 1);
  EXPECT_EQ(NextRunnerColumn(16), 17);
  EXPECT_EQ(NextRunnerColumn(17), 1);
  EXPECT_EQ(NextRunnerColumn(40), 1);
}

}  // namespace
}  // namespace dl
