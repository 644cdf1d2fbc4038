// The label's text holder: its copy rules, and replacing it on one thread while others read.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "ui/controls/shared_text.h"

namespace {

TEST(SharedText, KeepsItsOwnCopyAndCopyToCutsAndTerminates) {
  dl::SharedText text;
  wchar_t source[] = L"12.5 MB/s";
  text.Set(source);
  source[0] = L'X';
  wchar_t small[5] = {L'?', L'?', L'?', L'?', L'?'};  // no terminator to find
  EXPECT_EQ(text.CopyTo(small, 5), 9u) << "the whole length, whatever fits";
  EXPECT_STREQ(small, L"12.5");
  text.Set(L"");
  EXPECT_EQ(text.Get(), nullptr) << "empty means none";
  EXPECT_EQ(text.CopyTo(small, 5), 0u);
  EXPECT_STREQ(small, L"");
}

// Two threads read the ways the window and the worker do while a third replaces the text; under
// the address sanitizer a read of a freed buffer fails the run.
TEST(SharedText, ReplacingWhileOthersReadNeverShowsATornOrFreedText) {
  dl::SharedText text;
  const std::vector<std::wstring> texts = {L"", L"0%", L"Downloading 47.3 MB of 812.0 MB",
                                           L"A much longer notice text that needs a new buffer"};
  auto known = [&](const std::wstring& seen) {
    return std::find(texts.begin(), texts.end(), seen) != texts.end();
  };
  std::atomic<bool> stop{false};
  std::atomic<int> bad{0};
  std::thread writer([&] {
    for (int i = 0; i < 60000; ++i) text.Set(texts[i % texts.size()].c_str());
    stop = true;
  });
  std::thread copier([&] {
    wchar_t out[64];
    while (!stop) {
      text.CopyTo(out, 64);
      if (!known(out)) ++bad;
      if (!known(text.Copy())) ++bad;
    }
  });
  while (!stop) {
    text.With([&](const wchar_t* t) {
      if (!known(t != nullptr ? std::wstring(t) : std::wstring())) ++bad;
    });
  }
  writer.join();
  copier.join();
  EXPECT_EQ(bad.load(), 0);
}

}  // namespace
