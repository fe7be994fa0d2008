// The owner template and the scope guard, with a handle kind whose closes are
// counted: each handle must be closed exactly once, by whoever owns it last.
#include "base/owned.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace lumadir;

namespace {

// Handles are small numbers; -1 owns nothing. Every close is recorded.
struct counted {
  using handle = int;
  static inline std::vector<int> closed;
  static handle invalid() noexcept { return -1; }
  static void close(handle h) noexcept { closed.push_back(h); }
};
using owned_number = owned<counted>;

class Owned : public testing::Test {
 protected:
  void SetUp() override { counted::closed.clear(); }
  const std::vector<int>& closed() const { return counted::closed; }
};

// A function that hands out a handle through a pointer, as system calls do.
bool open_into(int* out, int value) {
  *out = value;
  return true;
}

}  // namespace

TEST_F(Owned, ClosesWhatItHoldsOnceWhenItGoesOutOfScope) {
  {
    owned_number empty;
    EXPECT_FALSE(empty.valid());
    EXPECT_FALSE(empty);
    EXPECT_EQ(empty.get(), -1);
    owned_number held(3);
    EXPECT_TRUE(held.valid());
    EXPECT_EQ(held.get(), 3);
  }
  EXPECT_EQ(closed(), std::vector<int>{3});  // the empty one closed nothing
  owned_number zero(0);                      // 0 is a handle like any other here
  EXPECT_TRUE(zero.valid());
}

TEST_F(Owned, MovesHandTheHandleOnAndCloseOnlyWhatIsReplaced) {
  owned_number first(1);
  owned_number second(std::move(first));
  EXPECT_FALSE(first.valid());
  EXPECT_EQ(second.get(), 1);
  EXPECT_TRUE(closed().empty());

  owned_number third(3);
  third = std::move(second);  // 3 is closed, 1 moves on
  EXPECT_EQ(closed(), std::vector<int>{3});
  EXPECT_EQ(third.get(), 1);
  EXPECT_FALSE(second.valid());

  owned_number& same = third;
  third = std::move(same);  // onto itself: nothing closed, nothing lost
  EXPECT_EQ(closed(), std::vector<int>{3});
  EXPECT_EQ(third.get(), 1);
  third.reset();
  EXPECT_EQ(closed(), (std::vector<int>{3, 1}));
}

TEST_F(Owned, ResetReleaseAndPut) {
  owned_number h(5);
  h.reset(6);  // closes 5, takes 6
  EXPECT_EQ(closed(), std::vector<int>{5});
  EXPECT_EQ(h.get(), 6);
  h.reset();
  EXPECT_EQ(closed(), (std::vector<int>{5, 6}));
  EXPECT_FALSE(h.valid());
  h.reset();  // nothing held: nothing closed
  EXPECT_EQ(closed().size(), 2u);

  h.reset(7);
  EXPECT_EQ(h.release(), 7);  // the caller closes it now
  EXPECT_FALSE(h.valid());
  EXPECT_EQ(closed().size(), 2u);

  h.reset(8);
  ASSERT_TRUE(open_into(h.put(), 9));  // put closes 8 before the new handle arrives
  EXPECT_EQ(closed(), (std::vector<int>{5, 6, 8}));
  EXPECT_EQ(h.get(), 9);
  {
    owned_number fresh;
    ASSERT_TRUE(open_into(fresh.put(), 10));
    EXPECT_EQ(fresh.get(), 10);
  }
  EXPECT_EQ(closed(), (std::vector<int>{5, 6, 8, 10}));
}

TEST_F(Owned, ScopeExitRunsOnEveryWayOutUnlessDismissed) {
  int runs = 0;
  {
    scope_exit guard([&] { ++runs; });
    EXPECT_EQ(runs, 0);  // not before the end of the block
  }
  EXPECT_EQ(runs, 1);

  const auto leave_early = [&](bool early) {
    scope_exit guard([&] { ++runs; });
    if (early) return 1;
    return 2;
  };
  EXPECT_EQ(leave_early(true), 1);
  EXPECT_EQ(leave_early(false), 2);
  EXPECT_EQ(runs, 3);

  {
    scope_exit guard([&] { ++runs; });
    guard.dismiss();
  }
  EXPECT_EQ(runs, 3);

  // Guards end in the reverse order of their making.
  std::vector<int> order;
  {
    scope_exit outer([&] { order.push_back(1); });
    scope_exit inner([&] { order.push_back(2); });
  }
  EXPECT_EQ(order, (std::vector<int>{2, 1}));
}
