#include "base/variant_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
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

namespace {

// The bound every balanced binary tree keeps (a red-black tree's, looser than an
// AVL tree's): no path longer than twice the best possible.
int balanced_bound(int32_t count) {
  int bound = 0;
  for (int64_t n = static_cast<int64_t>(count) + 1; n > 1; n >>= 1) ++bound;
  return 2 * (bound + 1);
}

}  // namespace

TEST(VariantMap, OrderedKeysKeepTheTreeShallow) {
  // With the Type column, extensions arrive in listing order; 200,000 of them in a
  // chain made a listing quadratic.
  constexpr int total = 200000;
  const char* orders[] = {"ascending", "descending"};
  char key[16];
  for (int order = 0; order < 2; ++order) {
    variant_map map;
    EXPECT_EQ(map.height(), 0);
    for (int i = 0; i < total; ++i) {
      const int number = order == 0 ? i : total - 1 - i;
      std::snprintf(key, sizeof key, "%07d", number);
      ASSERT_TRUE(map.put(variant(key), variant(number)));
    }
    EXPECT_EQ(map.count(), total);
    EXPECT_LE(map.height(), balanced_bound(total)) << orders[order];
    // Removing the smaller half in order must not leave a lopsided tree either.
    for (int i = 0; i < total / 2; ++i) {
      std::snprintf(key, sizeof key, "%07d", i);
      ASSERT_TRUE(map.remove(variant(key)));
    }
    EXPECT_EQ(map.count(), total / 2);
    EXPECT_LE(map.height(), balanced_bound(total / 2)) << orders[order];
    variant k, v;
    map.start();
    int expected = total / 2;
    bool in_order = true;
    while (map.next(k, v)) {
      std::snprintf(key, sizeof key, "%07d", expected);
      in_order = in_order && std::string(k.c_str()) == key && v.as_int() == expected;
      ++expected;
    }
    EXPECT_TRUE(in_order) << orders[order];
    EXPECT_EQ(expected, total);
  }
}

TEST(VariantMap, ThreeKeysAlwaysMakeAPerfectTree) {
  // Whatever the order of putting, and whichever key of four is removed, three
  // keys in a balanced tree stand as a root and two leaves. The zig-zag orders
  // (a new key the inner grandchild of a lopsided node) need two rotations.
  std::string keys = "abcd";
  do {
    variant_map three;
    for (int i = 0; i < 3; ++i) three.put(variant(keys.c_str() + i, 1), variant(i));
    EXPECT_EQ(three.height(), 2) << "put in the order " << keys.substr(0, 3);
    for (char doomed : std::string("abcd")) {
      variant_map map;
      for (char k : keys) map.put(variant(k), variant(1));
      ASSERT_TRUE(map.remove(variant(doomed)));
      EXPECT_EQ(map.height(), 2) << "put in the order " << keys << ", " << doomed << " removed";
      std::string rest = "abcd";
      rest.erase(rest.find(doomed), 1);
      std::vector<std::string> expected;
      for (char k : rest) expected.emplace_back(1, k);
      EXPECT_EQ(keys_in_order(map), expected);
    }
  } while (std::next_permutation(keys.begin(), keys.end()));
}

TEST(VariantMap, MixedPutsAndRemovesAgreeWithAnOrderedModel) {
  // Random keys from a small range, so that puts hit existing keys and removes
  // hit nodes of every shape, the root among them.
  std::mt19937 random(20240611);
  std::map<std::string, int> model;
  variant_map map;
  variant out;
  char key[16];
  // find() hands out a pointer into a node: rebalancing must relink nodes, never
  // move a key or value into another node.
  ASSERT_TRUE(map.put(variant("k0750!"), variant(-1)));
  model["k0750!"] = -1;
  const variant* anchor = map.find(variant("k0750!"));
  for (int round = 0; round < 40; ++round) {
    for (int step = 0; step < 500; ++step) {
      std::snprintf(key, sizeof key, "k%04u", static_cast<unsigned>(random() % 1500));
      const int value = static_cast<int>(random() % 100000);
      if (random() % 3 == 0) {
        EXPECT_EQ(map.remove(variant(key)), model.erase(key) == 1) << key;
      } else {
        ASSERT_TRUE(map.put(variant(key), variant(value)));
        model[key] = value;
      }
    }
    ASSERT_EQ(map.count(), static_cast<int32_t>(model.size()));
    EXPECT_EQ(map.find(variant("k0750!")), anchor);
    EXPECT_LE(map.height(), balanced_bound(map.count())) << "round " << round;
    std::vector<std::pair<std::string, int>> seen;
    variant k, v;
    map.start();
    while (map.next(k, v)) seen.emplace_back(k.c_str(), v.as_int());
    ASSERT_EQ(seen, (std::vector<std::pair<std::string, int>>(model.begin(), model.end())))
        << "round " << round;
    for (const auto& [name, value] : model) {
      ASSERT_TRUE(map.get(variant(name.c_str()), out)) << name;
      EXPECT_EQ(out.as_int(), value);
    }
  }
  while (!model.empty()) {
    EXPECT_TRUE(map.remove(variant(model.begin()->first.c_str())));
    model.erase(model.begin());
  }
  EXPECT_EQ(map.count(), 0);
  EXPECT_EQ(map.height(), 0);
  EXPECT_TRUE(keys_in_order(map).empty());
}
