#include "base/unique_owner.h"

#include <gtest/gtest.h>

#include <type_traits>
#include <vector>

namespace dl {
namespace {

std::vector<int> g_closed;

struct FakeTraits {
  using Handle = int;
  static int Invalid() noexcept { return -1; }
  static void Close(int h) noexcept { g_closed.push_back(h); }
};
using Owner = UniqueOwner<FakeTraits>;
static_assert(!std::is_copy_constructible_v<Owner> && !std::is_copy_assignable_v<Owner>,
              "owners must not copy");

TEST(UniqueOwner, ClosesExactlyOnceAcrossMovesResetsAndRelease) {
  g_closed.clear();
  int released = 0;
  {
    Owner a(3);
    Owner b(std::move(a));
    EXPECT_FALSE(a.IsValid());
    Owner c;
    c = std::move(b);
    c.Reset(4);  // closes 3
    Owner d(5);
    d = std::move(d);  // self-move keeps the handle
    EXPECT_EQ(d.Get(), 5);
    Owner e(7);
    released = e.Release();  // handed over, never closed
    EXPECT_FALSE(e);
  }
  EXPECT_EQ(released, 7);
  EXPECT_EQ(g_closed, (std::vector<int>{3, 5, 4}));
}

}  // namespace
}  // namespace dl
