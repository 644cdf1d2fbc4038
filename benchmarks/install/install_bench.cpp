// Unpacks one package and prints what it cost, so ExtractPackage can be compared with the
// plainest pass the unzip layer allows and with native tools (run_install_bench.sh).
//
//   install_bench extract PACKAGE DEST   ExtractPackage into DEST
//   install_bench inflate PACKAGE        every entry inflated through the same layer, nothing
//                                        written
//
// Prints one line: mode result seconds entries files bytes_out read_calls
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "base/text_convert.h"
#include "install/package_extract.h"

namespace {

double Now() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Figures {
  int result = 0;
  int entries = 0;
  int files = 0;
  unsigned long long bytes = 0;
  unsigned long long readCalls = 0;
};

Figures InflateAll(const wchar_t* package) {
  Figures figures;
  dl::PackageReader reader;
  figures.result = reader.Open(package, nullptr);
  static unsigned char block[dl::kExtractBlockBytes];
  for (int i = 0; figures.result == dl::kExtractOk && i < reader.EntryCount(); ++i) {
    dl::PackageEntry entry;
    figures.result = reader.ReadEntry(i, &entry);
    if (figures.result != dl::kExtractOk) break;
    ++figures.entries;
    if (entry.isFolder) continue;
    ++figures.files;
    figures.result = reader.OpenEntryData(&entry);
    uint32_t got = 0;
    while (figures.result == dl::kExtractOk &&
           (figures.result = reader.ReadEntryData(block, sizeof block, &got)) == dl::kExtractOk &&
           got > 0) {
      figures.bytes += got;
    }
    int closed = reader.CloseEntryData();
    if (figures.result == dl::kExtractOk) figures.result = closed;
  }
  figures.readCalls = reader.stats().readCalls;
  return figures;
}

// Arguments come in the ANSI code page.
std::wstring Wide(const char* text) {
  std::wstring wide;
  dl::ToWide(text, dl::CodePage::kAnsi, &wide);
  return wide;
}

}  // namespace

int main(int argc, char** argv) {
  bool extract = argc == 4 && std::strcmp(argv[1], "extract") == 0;
  bool inflate = argc == 3 && std::strcmp(argv[1], "inflate") == 0;
  if (!extract && !inflate) {
    std::fprintf(stderr, "usage: install_bench extract PACKAGE DEST | inflate PACKAGE\n");
    return 2;
  }
  double start = Now();
  Figures figures;
  if (extract) {
    dl::ExtractOutcome outcome;
    figures.result =
        dl::ExtractPackage(Wide(argv[2]).c_str(), nullptr, Wide(argv[3]).c_str(), &outcome);
    figures.entries = outcome.entriesDone;
    figures.bytes = outcome.bytesWritten;
    figures.readCalls = outcome.readCalls;
  } else {
    figures = InflateAll(Wide(argv[2]).c_str());
  }
  double seconds = Now() - start;
  std::printf("%s %d %.3f %d %d %llu %llu\n", argv[1], figures.result, seconds, figures.entries,
              figures.files, figures.bytes, figures.readCalls);
  return figures.result == dl::kExtractOk ? 0 : 1;
}
