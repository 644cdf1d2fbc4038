// The diagnostic text of an installation report.
#include <gtest/gtest.h>

#include <string>

#include "net/diagnostic_text.h"

namespace {

std::wstring Build(const dl::ExtractionDiagnostics& values, size_t cap = dl::kDiagnosticTextCap) {
  std::wstring out(cap, L'x');
  if (!dl::BuildDiagnosticText(values, &out[0], cap)) {
    EXPECT_EQ(out[0], L'\0') << "a failed text must be empty";
    return L"<failed>";
  }
  return out.c_str();
}

TEST(DiagnosticText, SuccessAtTheFirstTry) {
  dl::ExtractionDiagnostics values;
  values.installFolder = L"D:\\Program Files\\Tavoro\\";
  values.lastError = 183;
  EXPECT_EQ(Build(values), L"D:\\Program Files\\Tavoro\\|0|attr:0|create:0|errid:183|size:0");
}

// The result is printed unsigned, the four measurements signed, whatever their bits.
TEST(DiagnosticText, FailureMeasurementsKeepTheirSigns) {
  dl::ExtractionDiagnostics values;
  values.installFolder = L"C:\\游戏\\Tavoro\\";
  values.extractResult = 0xFFFFFFFFu;
  values.attributes = 0xFFFFFFFFu;  // the attribute query failed
  values.createResult = 183;
  values.lastError = 0x80070005u;
  values.packageSize = 3000000000u;
  EXPECT_EQ(Build(values),
            L"C:\\游戏\\Tavoro\\|4294967295|attr:-1|create:183|errid:-2147024891"
            L"|size:-1294967296");
  values.extractResult = 512;
  values.attributes = 0x10;
  values.createResult = -1;
  values.lastError = 2;
  values.packageSize = 123456;
  EXPECT_EQ(Build(values), L"C:\\游戏\\Tavoro\\|512|attr:16|create:-1|errid:2|size:123456");
}

TEST(DiagnosticText, AnOverlongTextFailsCleanly) {
  const std::wstring tail = L"|0|attr:0|create:0|errid:0|size:0";
  dl::ExtractionDiagnostics values;
  std::wstring folder(dl::kDiagnosticTextCap - 1 - tail.size(), L'a');
  values.installFolder = folder.c_str();
  EXPECT_EQ(Build(values), folder + tail);  // exactly full
  folder += L'a';
  values.installFolder = folder.c_str();
  EXPECT_EQ(Build(values), L"<failed>");  // a number would be cut
  folder.assign(dl::kDiagnosticTextCap, L'a');
  values.installFolder = folder.c_str();
  EXPECT_EQ(Build(values), L"<failed>");  // the folder alone is too long
}

}  // namespace
