#include "base/entry_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using lumadir::entry_tree;
using lumadir::file_entry;
using lumadir::variant;

namespace {

using names = std::vector<std::string>;

file_entry* entry(const char* name, bool folder = false, int32_t key = 0) {
  file_entry* e = file_entry::make();
  e->name = name;
  e->is_folder = folder;
  e->modified = key;
  return e;
}

// Folders first, then by the modified field; enough to test stability.
int by_folder_then_time(const file_entry& a, const file_entry& b, int32_t) {
  if (a.is_folder != b.is_folder) return int(b.is_folder) - int(a.is_folder);
  return a.modified < b.modified ? -1 : (a.modified > b.modified ? 1 : 0);
}

int all_equal(const file_entry&, const file_entry&, int32_t) {
  return 0;
}

names list_of(const entry_tree& tree, const file_entry* parent) {
  names out;
  const file_entry* first = parent ? parent->first_child : tree.first();
  const file_entry* previous = nullptr;
  for (const file_entry* e = first; e; e = e->next) {
    EXPECT_EQ(e->previous, previous) << e->name.c_str();
    EXPECT_EQ(e->parent, parent) << e->name.c_str();
    out.emplace_back(e->name.c_str());
    previous = e;
  }
  return out;
}

names preorder(const entry_tree& tree) {
  names out;
  for (const file_entry* e = tree.first(); e; e = entry_tree::next_in_preorder(e))
    out.emplace_back(e->name.c_str());
  return out;
}

file_entry* find(const entry_tree& tree, const char* name) {
  for (file_entry* e = tree.first(); e; e = entry_tree::next_in_preorder(e))
    if (std::string(e->name.c_str()) == name) return e;
  return nullptr;
}

// root
//   A/ (a1, a2/ (x), a3)
//   b
//   C/ (c1)
// d
void build(entry_tree& tree) {
  file_entry* root = entry("root", true);
  tree.append_top(root);
  file_entry* a = entry("A", true);
  tree.append_child(root, a);
  tree.append_child(a, entry("a1"));
  file_entry* a2 = entry("a2", true);
  tree.append_child(a, a2);
  tree.append_child(a2, entry("x"));
  tree.append_child(a, entry("a3"));
  tree.append_child(root, entry("b"));
  file_entry* c = entry("C", true);
  tree.append_child(root, c);
  tree.append_child(c, entry("c1"));
  tree.append_top(entry("d"));
}

}  // namespace

TEST(EntryTree, NewEntryIsEmpty) {
  file_entry e;
  EXPECT_EQ(e.name.length(), 0);
  EXPECT_EQ(e.extension.length(), 0);
  EXPECT_FALSE(e.is_folder);
  EXPECT_EQ(e.size, 0u);
  EXPECT_EQ(e.total_files, 0);
  EXPECT_EQ(e.parent, nullptr);
  EXPECT_EQ(e.first_child, nullptr);
}

TEST(EntryTree, LinkingOperations) {
  entry_tree tree;
  EXPECT_EQ(tree.sort_key, -1);
  tree.append_top(entry("b"));
  tree.insert_front(entry("a"));
  tree.append_top(entry("d"));
  tree.insert_after(tree.first()->next, entry("c"));
  EXPECT_EQ(list_of(tree, nullptr), (names{"a", "b", "c", "d"}));
  file_entry* folder = tree.first();
  tree.append_child(folder, entry("a/1"));
  tree.append_child(folder, entry("a/3"));
  tree.insert_after(folder->first_child, entry("a/2"));
  EXPECT_EQ(list_of(tree, folder), (names{"a/1", "a/2", "a/3"}));
}

TEST(EntryTree, PreorderAndSkippingWalks) {
  entry_tree tree;
  build(tree);
  EXPECT_EQ(preorder(tree), (names{"root", "A", "a1", "a2", "x", "a3", "b", "C", "c1", "d"}));
  EXPECT_EQ(entry_tree::next_skipping_subtree(find(tree, "A"))->name, variant("b"));
  EXPECT_EQ(entry_tree::next_skipping_subtree(find(tree, "x"))->name, variant("a3"));
  // The last entry of a deep list climbs to its ancestors' next sibling.
  EXPECT_EQ(entry_tree::next_in_preorder(find(tree, "a3"))->name, variant("b"));
  EXPECT_EQ(entry_tree::next_in_preorder(find(tree, "c1"))->name, variant("d"));
  EXPECT_EQ(entry_tree::next_skipping_subtree(find(tree, "root"))->name, variant("d"));
  EXPECT_EQ(entry_tree::next_in_preorder(find(tree, "d")), nullptr);
  EXPECT_EQ(entry_tree::next_skipping_subtree(find(tree, "d")), nullptr);
}

TEST(EntryTree, DeleteFixesFirstChildAndTheTreesFirst) {
  entry_tree tree;
  build(tree);
  file_entry* a = find(tree, "A");
  tree.remove(a->first_child);  // a1: a2 becomes A's first child
  EXPECT_EQ(a->first_child->name, variant("a2"));
  EXPECT_EQ(a->first_child->previous, nullptr);
  file_entry* a2 = find(tree, "a2");
  tree.remove(a2->first_child);  // the only child: none is left
  EXPECT_EQ(a2->first_child, nullptr);
  tree.remove(find(tree, "a3"));  // the last one: the list ends at a2
  EXPECT_EQ(list_of(tree, a), (names{"a2"}));
  tree.remove(tree.first());  // the tree's first entry, with its whole subtree
  EXPECT_EQ(tree.first()->name, variant("d"));
  EXPECT_EQ(tree.first()->previous, nullptr);
  EXPECT_EQ(preorder(tree), (names{"d"}));
}

TEST(EntryTree, WalksAfterDeletingASubtree) {
  entry_tree tree;
  build(tree);
  file_entry* a1 = find(tree, "a1");
  tree.remove(find(tree, "a2"));  // a folder with a child
  EXPECT_EQ(entry_tree::next_skipping_subtree(a1)->name, variant("a3"));
  EXPECT_EQ(preorder(tree), (names{"root", "A", "a1", "a3", "b", "C", "c1", "d"}));
  file_entry* b = find(tree, "b");
  tree.remove(find(tree, "C"));
  EXPECT_EQ(entry_tree::next_skipping_subtree(b)->name, variant("d"));
  EXPECT_EQ(entry_tree::next_in_preorder(b)->name, variant("d"));
  tree.clear();
  EXPECT_EQ(tree.first(), nullptr);
}

TEST(EntryTree, SortIsStableAndFoldersComeFirst) {
  entry_tree tree;
  tree.compare = by_folder_then_time;
  // Names record the read order within equal keys.
  const struct {
    const char* name;
    bool folder;
    int32_t time;
  } input[] = {{"f3-1", false, 3}, {"D2-1", true, 2},  {"f1-1", false, 1}, {"f3-2", false, 3},
               {"D1-1", true, 1},  {"f1-2", false, 1}, {"D2-2", true, 2},  {"f3-3", false, 3},
               {"f2-1", false, 2}, {"f1-3", false, 1}, {"D1-2", true, 1}};
  for (const auto& in : input) tree.append_top(entry(in.name, in.folder, in.time));

  tree.sort_list(nullptr);  // key -1: no sort has been set
  EXPECT_EQ(list_of(tree, nullptr).front(), "f3-1");

  tree.sort_key = 3;
  tree.sort_list(nullptr);
  const names sorted = {"D1-1", "D1-2", "D2-1", "D2-2", "f1-1", "f1-2",
                        "f1-3", "f2-1", "f3-1", "f3-2", "f3-3"};
  EXPECT_EQ(list_of(tree, nullptr), sorted);
  tree.sort_list(nullptr);  // sorting again changes nothing
  EXPECT_EQ(list_of(tree, nullptr), sorted);

  tree.reverse_list(nullptr);  // files before folders, equal entries reversed too
  EXPECT_EQ(list_of(tree, nullptr), names(sorted.rbegin(), sorted.rend()));
}

TEST(EntryTree, AllEqualSortKeepsOrderAndReverseReverses) {
  entry_tree tree;
  tree.compare = all_equal;
  tree.sort_key = 0;
  for (const char* n : {"c", "a", "b"}) tree.append_top(entry(n));
  tree.sort_list(nullptr);
  EXPECT_EQ(list_of(tree, nullptr), (names{"c", "a", "b"}));
  tree.reverse_list(nullptr);
  EXPECT_EQ(list_of(tree, nullptr), (names{"b", "a", "c"}));
}

TEST(EntryTree, SortAllAndReverseAllReachEveryList) {
  entry_tree tree;
  tree.compare = by_folder_then_time;
  tree.sort_key = 3;
  file_entry* top = entry("top", true);
  tree.append_top(top);
  file_entry* sub = entry("sub", true, 9);
  tree.append_child(top, entry("t2", false, 2));
  tree.append_child(top, sub);
  tree.append_child(top, entry("t1", false, 1));
  tree.append_child(sub, entry("s2", false, 2));
  tree.append_child(sub, entry("s1", false, 1));
  tree.append_top(entry("z", false, 0));
  tree.sort_all();
  EXPECT_EQ(list_of(tree, nullptr), (names{"top", "z"}));
  EXPECT_EQ(list_of(tree, top), (names{"sub", "t1", "t2"}));
  EXPECT_EQ(list_of(tree, sub), (names{"s1", "s2"}));
  tree.reverse_all();
  EXPECT_EQ(list_of(tree, nullptr), (names{"z", "top"}));
  EXPECT_EQ(list_of(tree, top), (names{"t2", "t1", "sub"}));
  EXPECT_EQ(list_of(tree, sub), (names{"s2", "s1"}));
}

TEST(EntryTree, SortsLongListsInOrder) {
  entry_tree tree;
  tree.compare = by_folder_then_time;
  tree.sort_key = 3;
  uint32_t seed = 12345;
  for (int i = 0; i < 5000; ++i) {
    seed = seed * 1103515245u + 12345u;
    file_entry* e =
        entry(std::to_string(i).c_str(), false, static_cast<int32_t>((seed >> 16) % 100));
    tree.append_top(e);
  }
  tree.sort_list(nullptr);
  int count = 0;
  for (const file_entry* e = tree.first(); e; e = e->next, ++count) {
    if (!e->next) break;
    ASSERT_LE(e->modified, e->next->modified);
    if (e->modified == e->next->modified) {  // read order kept among equals
      ASSERT_LT(std::stoi(e->name.c_str()), std::stoi(e->next->name.c_str()));
    }
  }
  EXPECT_EQ(count, 4999);
}

TEST(EntryTree, AdoptingAListMovesItsEntriesUnderAFolder) {
  entry_tree tree;
  file_entry* folder = entry("folder", true);
  tree.append_top(folder);
  tree.append_child(folder, entry("kept"));
  entry_tree read;
  for (const char* name : {"b", "a", "c"}) read.append_top(entry(name, true));
  file_entry* b = read.first();
  tree.adopt_list(read, folder);
  EXPECT_EQ(read.first(), nullptr);
  EXPECT_EQ(list_of(tree, folder), (names{"kept", "b", "a", "c"}));
  EXPECT_EQ(b->parent, folder);  // the same entries, not copies
  // Later appends go after the adopted ones; `read` is usable again.
  tree.append_child(folder, entry("d"));
  read.append_top(entry("x"));
  tree.adopt_list(read, nullptr);
  EXPECT_EQ(list_of(tree, folder), (names{"kept", "b", "a", "c", "d"}));
  EXPECT_EQ(list_of(tree, nullptr), (names{"folder", "x"}));
}
