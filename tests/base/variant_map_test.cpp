#include "base/variant_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using lumadir::variant;
using lumadir::variant_map;

namespace {

std::vector<std::string> keys_in_order(variant_map& map) {
  std::vector<std::string> out;
  variant key, value;
  map.start();
  while (map.next(key, value)) out.emplace_back(key.c_str());
  return out;
}

}  // namespace

TEST(VariantMap, PutGetFindAndReplace) {
  variant_map map;
  EXPECT_TRUE(map.put(variant("b"), variant("bee")));
  EXPECT_TRUE(map.put(variant("a"), variant(1)));
  EXPECT_TRUE(map.put(variant("c"), variant("sea")));
  EXPECT_EQ(map.count(), 3);
  variant out("junk");
  EXPECT_TRUE(map.get(variant("a"), out));
  EXPECT_EQ(out.as_int(), 1);
  EXPECT_FALSE(map.get(variant("zz"), out));
  EXPECT_EQ(out.kind(), lumadir::variant_kind::integer);
  EXPECT_EQ(out.as_int(), 0);
  map.put(variant("a"), variant("again"));
  EXPECT_EQ(map.count(), 3);
  ASSERT_NE(map.find(variant("a")), nullptr);
  EXPECT_STREQ(map.find(variant("a"))->c_str(), "again");
  EXPECT_EQ(map.find(variant("A")), nullptr);  // keys are byte-exact
  // Keys are ordered by their text forms: the integer 10 is the text "10".
  map.put(variant(10), variant("ten"));
  EXPECT_TRUE(map.get(variant("10"), out));
  EXPECT_STREQ(out.c_str(), "ten");
}

TEST(VariantMap, IteratesInByteOrderOfKeys) {
  variant_map map;
  for (const char* k : {"m", "B", "a", "", "\xE9", "ab", "Z"}) map.put(variant(k), variant(k));
  EXPECT_EQ(keys_in_order(map), (std::vector<std::string>{"", "B", "Z", "a", "ab", "m", "\xE9"}));
}

TEST(VariantMap, NewKeyDiscardsSnapshotReplacedValueKeepsIt) {
  variant_map map;
  map.put(variant("a"), variant(1));
  map.put(variant("b"), variant(2));
  map.put(variant("c"), variant(3));
  variant key, value;
  map.start();
  ASSERT_TRUE(map.next(key, value));
  EXPECT_STREQ(key.c_str(), "a");
  map.put(variant("c"), variant(30));  // existing key: the snapshot goes on
  ASSERT_TRUE(map.next(key, value));
  EXPECT_STREQ(key.c_str(), "b");
  ASSERT_TRUE(map.next(key, value));
  EXPECT_EQ(value.as_int(), 30);
  EXPECT_FALSE(map.next(key, value));

  map.start();
  ASSERT_TRUE(map.next(key, value));
  map.put(variant("d"), variant(4));  // new key: the snapshot is gone
  EXPECT_FALSE(map.next(key, value));
  map.start();
  map.remove(variant("b"));  // removal may free a snapshotted node
  EXPECT_FALSE(map.next(key, value));
  EXPECT_EQ(keys_in_order(map), (std::vector<std::string>{"a", "c", "d"}));
}

TEST(VariantMap, RemoveKeepsOrderInEveryShape) {
  // Insertion orders that give leaves, one-child nodes and two-child nodes.
  const std::vector<std::string> keys = {"h", "d", "l", "b", "f", "j", "n", "a", "c", "e", "g"};
  for (const std::string& doomed : keys) {
    variant_map map;
    for (const std::string& k : keys) map.put(variant(k.c_str()), variant(k.c_str()));
    EXPECT_TRUE(map.remove(variant(doomed.c_str())));
    EXPECT_FALSE(map.remove(variant(doomed.c_str())));
    std::vector<std::string> expected = keys;
    expected.erase(std::find(expected.begin(), expected.end(), doomed));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(keys_in_order(map), expected) << "after removing " << doomed;
    EXPECT_EQ(map.count(), static_cast<int>(keys.size()) - 1);
    for (const std::string& k : expected) EXPECT_NE(map.find(variant(k.c_str())), nullptr);
  }
}

TEST(VariantMap, SortedInsertionDegeneratesWithoutDeepRecursion) {
  // An unbalanced tree fed sorted keys is a chain; walking and clearing it must
  // not recurse once per key.
  variant_map map;
  char key[16];
  for (int i = 0; i < 20000; ++i) {
    std::snprintf(key, sizeof key, "%07d", i);
    map.put(variant(key), variant(i));
  }
  EXPECT_EQ(map.count(), 20000);
  map.start();
  variant k, v;
  int seen = 0;
  while (map.next(k, v)) ++seen;
  EXPECT_EQ(seen, 20000);
  map.clear();
  EXPECT_EQ(map.count(), 0);
  EXPECT_TRUE(keys_in_order(map).empty());
}
