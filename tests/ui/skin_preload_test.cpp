// Skins decoded ahead on the preload thread: each handed out once and for its
// own resource, waited for when still being decoded, and nothing handed out
// once the preload has ended.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "ui/controls/skin_image.h"
#include "ui/controls/skin_preload.h"

namespace {

const wchar_t* Id(int id) { return MAKEINTRESOURCEW(id); }

TEST(SkinPreload, HandsOutEachDecodedSkinOnceAndOnlyWhileItRuns) {
  HMODULE self = GetModuleHandleW(nullptr);
  // 1101 is large and first: the later ones are taken while the thread may
  // still decode.
  const int ids[] = {1101, 1107, 1104, 4242, 1107};
  std::unique_ptr<dl::SkinImage> last, first, small, again, third;
  {
    dl::SkinPreload preload(self, L"IMAGE", ids, sizeof ids / sizeof ids[0]);
    last = dl::SkinPreload::Take(self, L"IMAGE", Id(1107));
    small = dl::SkinPreload::Take(self, L"IMAGE", Id(1104));
    first = dl::SkinPreload::Take(self, L"IMAGE", Id(1101));
    again = dl::SkinPreload::Take(self, L"IMAGE", Id(1107));  // listed twice
    third = dl::SkinPreload::Take(self, L"IMAGE", Id(1107));
    EXPECT_EQ(dl::SkinPreload::Take(self, L"IMAGE", Id(4242)), nullptr) << "no such resource";
    EXPECT_EQ(dl::SkinPreload::Take(self, L"IMAGE", Id(1108)), nullptr) << "not listed";
    EXPECT_EQ(dl::SkinPreload::Take(self, L"PNG", Id(1104)), nullptr) << "another type";
    // The loader falls back to decoding what the preload does not hold.
    std::unique_ptr<dl::SkinImage> decoded =
        dl::LoadSkinImageFromResource(self, L"IMAGE", Id(1104));
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(decoded->Width(), 16u);
  }
  ASSERT_NE(first, nullptr);
  ASSERT_NE(last, nullptr);
  ASSERT_NE(small, nullptr);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(third, nullptr) << "handed out more often than listed";
  EXPECT_EQ(first->Width(), 600u);
  EXPECT_EQ(first->Height(), 350u);
  EXPECT_EQ(last->Width(), 136u);
  EXPECT_EQ(small->Height(), 16u);
  EXPECT_NE(again->handle(), last->handle());
  EXPECT_EQ(again->Width(), 136u);

  EXPECT_EQ(dl::SkinPreload::Take(self, L"IMAGE", Id(1101)), nullptr) << "the preload has ended";
  std::unique_ptr<dl::SkinImage> afterwards =
      dl::LoadSkinImageFromResource(self, L"IMAGE", Id(1101));
  ASSERT_NE(afterwards, nullptr);
  EXPECT_EQ(afterwards->Height(), 350u);
}

TEST(SkinPreload, EndsCleanlyWhenNothingIsTaken) {
  const int ids[] = {1101, 1107, 1104};
  for (int round = 0; round < 3; ++round) {
    dl::SkinPreload preload(GetModuleHandleW(nullptr), L"IMAGE", ids, 3);
  }
}

}  // namespace
