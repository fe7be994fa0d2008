#include "engine/filter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/regex_binding.h"

using namespace lumadir;

namespace {

class Filter : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(load_regex_library());
    build_pattern_lists(filter);
  }
  void TearDown() override { unload_regex_library(); }

  static file_entry make(const char* name, bool folder = false, uint64_t size = 0,
                         uint32_t attributes = 0x20, int32_t modified = 1000) {
    file_entry e;
    e.name = name;
    e.is_folder = folder;
    e.size = size;
    e.attributes = attributes | (folder ? 0x10 : 0);
    e.modified = modified;
    return e;
  }
  bool keeps(const file_entry& e) { return passes_filter(filter, e); }
  bool keeps_file(const char* name) { return keeps(make(name)); }
  void masks(const char* files_include, const char* files_skip = "",
             const char* folders_include = "*", const char* folders_skip = "") {
    filter.str_files_include = files_include;
    filter.str_files_skip = files_skip;
    filter.str_folder_include = folders_include;
    filter.str_folder_skip = folders_skip;
    build_pattern_lists(filter);
  }

  filter_block filter;
};

std::vector<std::string> patterns(const variant_list& list) {
  std::vector<std::string> out;
  for (auto* n = list.first(); n; n = n->next) out.emplace_back(n->value.c_str());
  return out;
}

}  // namespace

TEST_F(Filter, DefaultsKeepEverything) {
  EXPECT_TRUE(keeps_file("anything.at.all"));
  EXPECT_TRUE(keeps_file(""));
  EXPECT_TRUE(keeps(make("folder", true)));
  EXPECT_TRUE(keeps(make("hidden", false, 5, 0x2 | 0x4 | 0x1)));
  EXPECT_EQ(patterns(filter.file_include_patterns), (std::vector<std::string>{"^.*$"}));
  EXPECT_TRUE(filter.file_skip_patterns.first() == nullptr);
}

TEST_F(Filter, PatternListsTrimAndSplitAtSemicolons) {
  masks("  *.txt ; *.doc;;a b.c ;\t");
  EXPECT_STREQ(filter.str_files_include.c_str(), "*.txt ; *.doc;;a b.c ;");  // trimmed in place
  EXPECT_EQ(patterns(filter.file_include_patterns),
            (std::vector<std::string>{"^.*\\.txt$", "^.*\\.doc$", "^a b\\.c$"}));
  masks(" ; ;; ");
  EXPECT_EQ(filter.file_include_patterns.count(), 0);
  EXPECT_FALSE(keeps_file("a.txt"));  // an empty include list keeps no file
}

TEST_F(Filter, NameMasks) {
  masks("*.txt;*.doc");
  EXPECT_TRUE(keeps_file("a.TXT"));  // case is ignored
  EXPECT_TRUE(keeps_file("b.doc"));
  EXPECT_FALSE(keeps_file("c.txt.bak"));  // whole names only
  masks("*.htm");
  EXPECT_FALSE(keeps_file("page.html"));
  masks("data?.csv");
  EXPECT_TRUE(keeps_file("data.csv"));
  EXPECT_TRUE(keeps_file("data1.csv"));
  EXPECT_FALSE(keeps_file("data12.csv"));
  masks("a+b (1).txt");
  EXPECT_TRUE(keeps_file("a+b (1).txt"));
  EXPECT_FALSE(keeps_file("aab (1).txt"));
  EXPECT_FALSE(keeps_file("a+b 1.txt"));
  masks("*", "~*");
  EXPECT_FALSE(keeps_file("~tmp.doc"));
  EXPECT_TRUE(keeps_file("tmp.doc"));
  masks("[x].txt");  // a bracket is literal, not a class
  EXPECT_TRUE(keeps_file("[x].txt"));
  EXPECT_FALSE(keeps_file("x.txt"));
}

TEST_F(Filter, FoldersByMasksAlone) {
  masks("*.none", "", "src;doc*", "docs-old");
  EXPECT_TRUE(keeps(make("SRC", true)));
  EXPECT_TRUE(keeps(make("docs", true)));
  EXPECT_FALSE(keeps(make("docs-old", true)));
  EXPECT_FALSE(keeps(make("build", true)));
  masks("*", "", "");
  EXPECT_FALSE(keeps(make("any", true)));  // an empty folder include keeps no folder
  filter.size_filter = true;               // windows and attributes never judge folders
  filter.size_start = 5;
  filter.size_end = 5;
  filter.att_filter = 3;
  filter.attrs = 0x2;
  masks("*");
  EXPECT_TRUE(keeps(make("any", true)));
}

TEST_F(Filter, AttributeModes) {
  const uint32_t archive = 0x20, hidden = 0x2, read_only = 0x1, system = 0x4;
  filter.att_filter = 3;  // include, any
  filter.attrs = hidden;
  EXPECT_TRUE(keeps(make("h", false, 0, hidden | archive)));
  EXPECT_FALSE(keeps(make("a", false, 0, archive)));

  filter.att_filter = 7;  // include, all
  filter.attrs = hidden | read_only;
  EXPECT_TRUE(keeps(make("hr", false, 0, hidden | read_only | archive)));
  EXPECT_FALSE(keeps(make("h", false, 0, hidden)));

  filter.att_filter = 1;  // exclude, any: only attributes inside the set pass
  filter.attrs = archive | read_only;
  EXPECT_TRUE(keeps(make("ar", false, 0, archive | read_only)));
  EXPECT_TRUE(keeps(make("none", false, 0, 0)));
  EXPECT_FALSE(keeps(make("ah", false, 0, archive | hidden)));

  // Exclude, all: a file that has every attribute of the set is rejected.
  filter.att_filter = 5;
  filter.attrs = hidden | system;
  EXPECT_FALSE(keeps(make("hs", false, 0, hidden | system | archive)));
  EXPECT_TRUE(keeps(make("h", false, 0, hidden)));
  EXPECT_TRUE(keeps(make("a", false, 0, archive)));
  filter.attrs = 0;  // an empty set rejects nothing
  EXPECT_TRUE(keeps(make("a", false, 0, archive)));

  filter.att_filter = 6;  // the test is off without bit value 1
  filter.attrs = hidden;
  EXPECT_TRUE(keeps(make("a", false, 0, archive)));
}

TEST_F(Filter, TimeWindowIncludesBothEnds) {
  filter.time_filter = true;
  filter.time_start = 1000;
  filter.time_end = 2000;
  EXPECT_TRUE(keeps(make("start", false, 0, 0x20, 1000)));
  EXPECT_TRUE(keeps(make("end", false, 0, 0x20, 2000)));
  EXPECT_FALSE(keeps(make("before", false, 0, 0x20, 999)));
  EXPECT_FALSE(keeps(make("after", false, 0, 0x20, 2001)));
  filter.time_start = -100;  // signed: before 1970 is possible
  EXPECT_TRUE(keeps(make("old", false, 0, 0x20, -50)));
}

TEST_F(Filter, SizeWindowInSixtyFourBits) {
  filter.size_filter = true;
  EXPECT_TRUE(keeps(make("empty", false, 0)));  // window 0 to 0: empty files only
  EXPECT_FALSE(keeps(make("one", false, 1)));

  filter.size_end = 0;
  filter.size_high_end = 1;  // largest: 4294967296
  EXPECT_TRUE(keeps(make("4G", false, 4294967296ULL)));
  EXPECT_FALSE(keeps(make("4G+1", false, 4294967297ULL)));
  EXPECT_TRUE(keeps(make("big low half", false, 4294967295ULL)));  // low halves unsigned

  filter.size_start = 3000000000u;  // above 2^31: still unsigned
  EXPECT_FALSE(keeps(make("2.9G", false, 2999999999ULL)));
  EXPECT_TRUE(keeps(make("3G", false, 3000000000ULL)));
}

TEST_F(Filter, FilterEntriesDeletesRejectedSubtrees) {
  masks("*.txt", "", "*", "skip*");
  entry_tree tree;
  auto add = [&](file_entry* parent, const char* name, bool folder) {
    file_entry* e = file_entry::make();
    e->name = name;
    e->is_folder = folder;
    if (parent)
      tree.append_child(parent, e);
    else
      tree.append_top(e);
    return e;
  };
  file_entry* keep = add(nullptr, "keep", true);
  add(keep, "in.txt", false);
  add(keep, "in.bin", false);
  file_entry* skipped = add(nullptr, "skipme", true);
  add(skipped, "hidden.txt", false);
  add(nullptr, "top.txt", false);
  add(nullptr, "top.bin", false);

  filter_block& f = filter;
  EXPECT_EQ(filter_entries(tree, f, keep), 1);  // the parent's children only
  EXPECT_EQ(keep->first_child->next, nullptr);
  EXPECT_EQ(filter_entries(tree, f, nullptr), 3);  // keep, in.txt, top.txt
  std::vector<std::string> left;
  for (file_entry* e = tree.first(); e; e = entry_tree::next_in_preorder(e))
    left.emplace_back(e->name.c_str());
  EXPECT_EQ(left, (std::vector<std::string>{"keep", "in.txt", "top.txt"}));
}

TEST_F(Filter, ACopyFiltersAlikeAndSharesNoText) {
  masks("*.txt;*.doc", "secret*", "*", "tmp*");
  filter.size_filter = true;
  filter.size_end = 100;
  filter_block copy;
  copy_filter(filter, copy);
  EXPECT_EQ(patterns(copy.file_include_patterns), patterns(filter.file_include_patterns));
  EXPECT_EQ(patterns(copy.folder_skip_patterns), patterns(filter.folder_skip_patterns));
  for (const file_entry& e : {make("a.txt", false, 5), make("a.txt", false, 500),
                              make("secret.doc", false, 5), make("b.jpg"),
                              make("tmp1", true), make("src", true)})
    EXPECT_EQ(passes_filter(copy, e), passes_filter(filter, e)) << e.name.c_str();
  EXPECT_NE(copy.file_include_patterns.first()->value.text().data(),
            filter.file_include_patterns.first()->value.text().data());
}
