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
  EXPECT_EQ(Speed(1048000, 1000), L"当前下载速度：1023K/S");
  EXPECT_EQ(Speed(1049000, 1000), L"当前下载速度：1M/S") << "1024 KiB/s";
  EXPECT_EQ(Speed(41943040, 1000), L"当前下载速度：39M/S") << "40.96 MiB/s, truncated";
  // The division comes first: 1999 bytes in a second count as 1000 bytes per second.
  EXPECT_EQ(SpeedKibPerSecond(1999, 1000), 0);
  EXPECT_EQ(SpeedKibPerSecond(2048000, 1000), 2000);
  // 65536 KiB/s is 0 in 16 bits; 65537 is 1.
  EXPECT_EQ(Speed(67109000, 1000), L"当前下载速度：0K/S");
  EXPECT_EQ(SpeedKibPerSecond(67110000, 1000), 1);
  EXPECT_EQ(SpeedKibPerSecond(123456789, 0), 0) << "no time: no speed, no fault";
}

TEST(ProgressDisplay, FractionsTruncateAndACompleteDownloadShowsJustUnderOneHundred) {
  struct Case {
    uint32_t downloaded, total;
    const wchar_t *size, *percent;
    int fill;
  };
  const Case cases[] = {
      {3000000, 3000000, L"2.86M/2.86M", L"99%", 536},
      {1048576, 2097152, L"1.00M/2.00M", L"50%", 268},
      {1000, 3000, L"0.00M/0.00M", L"33%", 178},         // 178.666 truncated
      {4194304, 4194304, L"4.00M/4.00M", L"100%", 536},  // exact for powers of two
      {0, 1, L"0.00M/0.00M", L"0%", 0},                  // before any report
      {5000000, 0, L"4.77M/0.00M", L"0%", 0},            // a server without a length
      {4000000, 10, L"3.81M/0.00M", L"100%", 536},       // low halves of a size that wrapped
      {0xFFFFFFFFu, 0xFFFFFFFFu, L"4096.00M/4096.00M", L"100%", 536},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    const ProgressView view = View(c.downloaded, c.total, 1, 0);
    EXPECT_EQ(std::wstring(view.sizeText), c.size);
    EXPECT_EQ(std::wstring(view.percentText), c.percent);
    EXPECT_EQ(view.fillWidth, c.fill);
  }
}

}  // namespace
}  // namespace dl
