#include "app/share_id.h"

#include <gtest/gtest.h>

namespace dl {
namespace {

struct NameCase {
  const char* path;
  bool found;
  const char* id;
};

TEST(ShareIdFromPath, TakesTheLastUnderscorePieceOfTheFileName) {
  const NameCase cases[] = {
      {"C:\\Downloads\\Setup_123456.exe", true, "123456"},
      {"C:\\Downloads\\Setup.exe", true, "Setup"},
      {"C:\\a_b_77.exe", true, "77"},
      {"C:\\x\\12345.exe", true, "12345"},
      {"12345.exe", true, "12345"},
      {"C:\\some_dir\\Setup.exe", true, "Setup"},  // folders never contribute
      {"C:\\x\\\\\\Setup__42..exe", true, "42"},   // runs of separators count as one
      {"C:\\x\\Setup_42.tar.gz", true, "42"},
      {"C:\\x\\Setup_.exe", true, "exe"},  // leading dots give no empty piece
      {"C:\\x\\___", false, ""},
      {"C:\\x\\Setup_...", false, ""},
      {"C:\\x\\", true, "x"},  // a trailing separator yields no empty piece
      {"", false, ""},
  };
  for (const NameCase& c : cases) {
    std::string id = "untouched";
    EXPECT_EQ(ShareIdFromPath(c.path, &id), c.found) << c.path;
    if (c.found) {
      EXPECT_EQ(id, c.id) << c.path;
    } else {
      EXPECT_EQ(id, "untouched") << c.path;
    }
  }
}

TEST(IsAllDigits, AcceptsOnlyAsciiDigits) {
  EXPECT_EQ(IsAllDigits("123456"), 1);
  EXPECT_EQ(IsAllDigits(""), 1);
  EXPECT_EQ(IsAllDigits("12a"), 0);
  EXPECT_EQ(IsAllDigits("Setup"), 0);
  EXPECT_EQ(IsAllDigits("-1"), 0);
  EXPECT_EQ(IsAllDigits("12 "), 0);
  EXPECT_EQ(IsAllDigits("\xef\xbc\x91"), 0);  // a full-width digit is not a digit
  EXPECT_EQ(IsAllDigits("9\xb9"), 0);
}

}  // namespace
}  // namespace dl
