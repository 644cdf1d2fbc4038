#include "app/share_id.h"

#include <gtest/gtest.h>

namespace dl {
namespace {

TEST(ShareIdFromPath, TakesTheLastUnderscorePieceOfTheFileName) {
  const struct {
    const char* path;
    const char* id;  // null: no candidate
  } kCases[] = {
      {"C:\\Downloads\\Setup_123456.exe", "123456"},
      {"C:\\Downloads\\Setup.exe", "Setup"},
      {"C:\\a_b_77.exe", "77"},
      {"12345.exe", "12345"},
      {"C:\\some_dir\\Setup.exe", "Setup"},  // folders never contribute
      {"C:\\x\\\\\\Setup__42..exe", "42"},   // runs of separators count as one
      {"C:\\x\\Setup_42.tar.gz", "42"},
      {"C:\\x\\Setup_.exe", "exe"},  // leading dots give no empty piece
      {"C:\\x\\", "x"},              // nor does a trailing separator
      {"C:\\x\\___", nullptr},
      {"C:\\x\\Setup_...", nullptr},
      {"", nullptr},
  };
  for (const auto& c : kCases) {
    std::string id = "untouched";
    EXPECT_EQ(ShareIdFromPath(c.path, &id), c.id != nullptr) << c.path;
    EXPECT_EQ(id, c.id ? c.id : "untouched") << c.path;
  }
}

TEST(IsAllDigits, AcceptsOnlyAsciiDigits) {
  EXPECT_EQ(IsAllDigits("123456"), 1);
  EXPECT_EQ(IsAllDigits(""), 1);
  for (const char* text : {"12a", "-1", "12 ", "\xef\xbc\x91", "9\xb9"}) {  // full-width 1
    EXPECT_EQ(IsAllDigits(text), 0) << text;
  }
}

}  // namespace
}  // namespace dl
