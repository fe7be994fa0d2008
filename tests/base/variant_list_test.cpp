#include "base/variant_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using lumadir::variant;
using lumadir::variant_kind;
using lumadir::variant_list;

namespace {

std::vector<std::string> items(variant_list& list) {
  std::vector<std::string> out;
  for (auto* n = list.first(); n; n = n->next) out.emplace_back(n->value.c_str());
  // The back links must tell the same story.
  std::vector<std::string> back;
  for (auto* n = list.last(); n; n = n->previous) back.insert(back.begin(), n->value.c_str());
  EXPECT_EQ(out, back);
  EXPECT_EQ(static_cast<int>(out.size()), list.count());
  return out;
}

using pieces = std::vector<std::string>;

pieces split(const char* separator, const char* subject, int limit = 0) {
  variant_list list;
  list.push(variant("stale"));
  list.split(variant(separator), variant(subject), limit);
  return items(list);
}

// A derived kind replaces pop; the base operations must go through it.
class stack_list : public variant_list {
 public:
  bool pop(variant& out) noexcept override { return pop_back(out); }
};

}  // namespace

TEST(VariantList, PushMovesAndPopIsFirstInFirstOut) {
  variant_list list;
  variant a("first");
  list.push(a);
  EXPECT_EQ(a.kind(), variant_kind::text);
  EXPECT_EQ(a.length(), 0);  // the caller's variant is left empty
  variant b(2);
  list.push_copy(b);
  EXPECT_EQ(b.as_int(), 2);  // a copy leaves it intact
  list.push_front(variant("zero"));
  EXPECT_EQ(items(list), (pieces{"zero", "first", "2"}));

  variant out("untouched");
  ASSERT_TRUE(list.pop(out));
  EXPECT_STREQ(out.c_str(), "zero");
  ASSERT_TRUE(list.pop_back(out));
  EXPECT_EQ(out.kind(), variant_kind::integer);
  EXPECT_EQ(out.as_int(), 2);
  ASSERT_TRUE(list.pop(out));
  EXPECT_FALSE(list.pop(out));
  EXPECT_STREQ(out.c_str(), "first");  // a failed pop leaves it as it was
  EXPECT_FALSE(list.pop_back(out));
  EXPECT_EQ(list.first(), nullptr);
  EXPECT_EQ(list.last(), nullptr);
}

TEST(VariantList, ItemAtWalksFromTheNearerEndAndGrowsOutOfRange) {
  variant_list list;
  for (const char* s : {"a", "b", "c"}) list.push(variant(s));
  EXPECT_STREQ(list.item_at(0).c_str(), "a");
  EXPECT_STREQ(list.item_at(1).c_str(), "b");
  EXPECT_STREQ(list.item_at(2).c_str(), "c");
  variant& grown = list.item_at(3);
  EXPECT_EQ(list.count(), 4);
  EXPECT_EQ(grown.kind(), variant_kind::integer);
  EXPECT_EQ(grown.as_int(), 0);
  EXPECT_EQ(&grown, &list.last()->value);
  list.item_at(-1) = "neg";
  EXPECT_EQ(items(list), (pieces{"a", "b", "c", "0", "neg"}));
  list.item_at(99);
  EXPECT_EQ(list.count(), 6);
}

TEST(VariantList, CursorIsResetByPushAndPop) {
  variant_list list;
  for (const char* s : {"a", "b", "c"}) list.push(variant(s));
  list.rewind();
  variant v;
  ASSERT_TRUE(list.next(v));
  EXPECT_STREQ(v.c_str(), "a");
  ASSERT_TRUE(list.next(v));
  EXPECT_STREQ(v.c_str(), "b");
  list.push(variant("d"));
  ASSERT_TRUE(list.next(v));
  EXPECT_STREQ(v.c_str(), "a");
  variant popped;
  list.pop(popped);
  ASSERT_TRUE(list.next(v));
  EXPECT_STREQ(v.c_str(), "b");
  ASSERT_TRUE(list.next(v));
  ASSERT_TRUE(list.next(v));
  EXPECT_STREQ(v.c_str(), "d");
  EXPECT_FALSE(list.next(v));
}

TEST(VariantList, InsertAndRemoveKeepTheEnds) {
  variant_list list;
  list.push(variant("m"));
  variant x("before");
  list.insert_before(list.first(), x);
  variant y("after");
  list.insert_after(list.last(), y);
  variant z("mid");
  list.insert_after(list.first(), z);
  EXPECT_EQ(items(list), (pieces{"before", "mid", "m", "after"}));
  list.remove(list.first());
  list.remove(list.last());
  EXPECT_EQ(items(list), (pieces{"mid", "m"}));
  list.remove(list.first()->next);
  list.remove(list.first());
  EXPECT_EQ(list.count(), 0);
  EXPECT_EQ(list.last(), nullptr);
  list.clear();
  EXPECT_EQ(list.count(), 0);
}

TEST(VariantList, DerivedPopIsUsedByCallers) {
  stack_list stack;
  variant_list& as_base = stack;
  as_base.push(variant("1"));
  as_base.push(variant("2"));
  variant out;
  ASSERT_TRUE(as_base.pop(out));
  EXPECT_STREQ(out.c_str(), "2");
}

TEST(VariantList, SplitAtSeparator) {
  EXPECT_EQ(split(",", "a,b,c"), (pieces{"a", "b", "c"}));
  EXPECT_EQ(split(",", "a,b,"), (pieces{"a", "b", ""}));  // trailing separator
  EXPECT_EQ(split(",", ","), (pieces{"", ""}));           // subject is the separator
  EXPECT_EQ(split("::", "a::::b"), (pieces{"a", "", "b"}));
  EXPECT_EQ(split("aa", "aaa"), (pieces{"", "a"}));  // non-overlapping, left to right
  EXPECT_EQ(split(",", "abc"), (pieces{"abc"}));
  EXPECT_EQ(split("\r\n", "one\r\ntwo"), (pieces{"one", "two"}));
  EXPECT_EQ(split("long", "abc"), pieces{});  // shorter than the separator
  EXPECT_EQ(split("", "abc"), pieces{});
  EXPECT_EQ(split(",", ""), pieces{});
}

TEST(VariantList, SplitPieceLimits) {
  EXPECT_EQ(split(",", "a,b,c,d", 1), pieces{});
  EXPECT_EQ(split(",", "a,b,c,d", 2), (pieces{"a", "b,c,d"}));
  EXPECT_EQ(split(",", "a,b,c,d", 3), (pieces{"a", "b", "c,d"}));
  EXPECT_EQ(split(",", "a,b,c,d", 4), (pieces{"a", "b", "c", "d"}));
  EXPECT_EQ(split(",", "a,b,c,d", 9), (pieces{"a", "b", "c", "d"}));
  EXPECT_EQ(split(",", "a,b,c,d", 0), (pieces{"a", "b", "c", "d"}));
}

TEST(VariantList, JoinPutsTheSeparatorOnlyBetween) {
  variant_list list;
  EXPECT_EQ(list.join(variant(", ")).length(), 0);
  EXPECT_EQ(list.join(variant(", ")).kind(), variant_kind::text);
  list.push(variant("a"));
  EXPECT_STREQ(list.join(variant(", ")).c_str(), "a");
  list.push(variant(7));
  list.push(variant(""));
  list.push(variant("z"));
  EXPECT_STREQ(list.join(variant(", ")).c_str(), "a, 7, , z");
  EXPECT_STREQ(list.join(variant("")).c_str(), "a7z");
  // Splitting a join gives the items back.
  variant_list again;
  again.split(variant(", "), list.join(variant(", ")));
  EXPECT_EQ(items(again), (pieces{"a", "7", "", "z"}));
}
