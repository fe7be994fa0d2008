#include "engine/columns.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/phrase_table.h"
#include "base/regex_binding.h"
#include "engine/listing_output.h"
#include "tests/engine/engine_fixture.h"

using namespace lumadir;

namespace {

class Columns : public engine_fixture {
 protected:
  std::string cell(column_key key, const file_entry& e) {
    const variant text = cell_text(key, e, settings);
    return std::string(text.c_str(), text.length());
  }
};

file_entry entry(const char* name, const char* extension = "", bool folder = false,
                 uint64_t size = 0) {
  file_entry e;
  e.name = name;
  e.extension = extension;
  e.is_folder = folder;
  e.size = size;
  return e;
}

void set_columns(listing_settings& s, const std::vector<std::vector<const char*>>& groups) {
  s.columns.clear();
  for (const auto& g : groups)
    for (const char* line : g) s.columns.push(variant(line));
}

}  // namespace

TEST_F(Columns, SetupTakesVisibleGroupsAndPercentages) {
  set_columns(settings, {{"Size", "1", "1", "Bytes"},
                         {"Name", "1", "1", "File <b>name</b>"},
                         {"Extension", "0", "9", "Ext"},
                         {"Modified", "1", "1", "When"},
                         {"Created", "0", "0", "C"},
                         {"Accessed", "0", "0", "A"},
                         {"Attributes", "0", "0", "Att"},
                         {"Type", "0", "0", "T"}});
  ASSERT_EQ(setup_columns(settings), run_result::done);
  EXPECT_EQ(settings.visible_columns, 3);
  EXPECT_EQ(settings.column_widths[0], 33);
  EXPECT_EQ(settings.column_widths[1], 33);
  EXPECT_EQ(settings.column_widths[2], 0);  // hidden
  EXPECT_EQ(settings.column_widths[3], 33);
  EXPECT_NE(settings.column_writers[0], nullptr);
  EXPECT_EQ(settings.column_writers[2], nullptr);
  EXPECT_EQ(settings.column_titles.count(), 8);  // hidden titles kept too
  EXPECT_STREQ(settings.column_titles.first()->next->value.c_str(), "File <b>name</b>");

  set_columns(settings, {{"Name", "1", "1", ""},
                         {"Size", "1", "2", ""},
                         {"Extension", "1", "0", ""},  // visible, width 0: cells, no header
                         {"Modified", "0", "5", ""},
                         {"Created", "0", "0", ""},
                         {"Accessed", "0", "0", ""},
                         {"Attributes", "0", "0", ""},
                         {"Type", "0", "0", ""}});
  ASSERT_EQ(setup_columns(settings), run_result::done);
  EXPECT_EQ(settings.column_widths[0], 33);
  EXPECT_EQ(settings.column_widths[1], 67);  // 66.67 rounds up
  EXPECT_EQ(settings.column_widths[2], 0);
  EXPECT_NE(settings.column_writers[2], nullptr);
  EXPECT_EQ(settings.visible_columns, 3);

  set_columns(settings, {{"Name", "1", "1", ""},
                         {"Size", "1", "7", ""},
                         {"Extension", "0", "0", ""},
                         {"Modified", "0", "0", ""},
                         {"Created", "0", "0", ""},
                         {"Accessed", "0", "0", ""},
                         {"Attributes", "0", "0", ""},
                         {"Type", "0", "0", ""}});
  ASSERT_EQ(setup_columns(settings), run_result::done);
  EXPECT_EQ(settings.column_widths[0], 13);  // 12.5 rounds up
  EXPECT_EQ(settings.column_widths[1], 88);  // 87.5 rounds up

  set_columns(settings, {{"Name", "1", "5", ""},
                         {"Size", "1", "-5", ""},
                         {"Extension", "0", "0", ""},
                         {"Modified", "0", "0", ""},
                         {"Created", "0", "0", ""},
                         {"Accessed", "0", "0", ""},
                         {"Attributes", "0", "0", ""},
                         {"Type", "0", "0", ""}});
  ASSERT_EQ(setup_columns(settings),
            run_result::done);  // widths adding up to 0 have no percentages
  EXPECT_EQ(settings.column_widths[0], 0);
  EXPECT_EQ(settings.column_widths[1], 0);
  EXPECT_EQ(settings.visible_columns, 2);
}

TEST_F(Columns, SetupRejectsBadSettingsAndHonoursStop) {
  set_columns(settings, {{"Name", "1", "1", ""},
                         {"Size", "1", "1", ""},
                         {"Size", "1", "1", ""},
                         {"Modified", "0", "0", ""},
                         {"Created", "0", "0", ""},
                         {"Accessed", "0", "0", ""},
                         {"Attributes", "0", "0", ""},
                         {"Extension", "0", "0", ""}});
  EXPECT_EQ(setup_columns(settings), run_result::bad_columns);  // Size twice, Type missing
  set_columns(settings, {{"Name", "1", "1", ""}});
  EXPECT_EQ(setup_columns(settings), run_result::bad_columns);  // not 32 lines
  set_columns(settings, {{"name", "1", "1", ""},
                         {"Size", "1", "1", ""},
                         {"Extension", "0", "0", ""},
                         {"Modified", "0", "0", ""},
                         {"Created", "0", "0", ""},
                         {"Accessed", "0", "0", ""},
                         {"Attributes", "0", "0", ""},
                         {"Type", "0", "0", ""}});
  EXPECT_EQ(setup_columns(settings), run_result::bad_columns);  // keys are spelled exactly
  use_default_columns();
  settings.stop_requested = 1;
  EXPECT_EQ(setup_columns(settings), run_result::stopped);
}

TEST_F(Columns, NameExtensionSizeAndAttributes) {
  EXPECT_EQ(cell(column_key::name, entry("a&b<c>.txt")), "a&amp;b&lt;c&gt;.txt");
  EXPECT_EQ(cell(column_key::extension, entry("x", ".\xC3\xA9t\xC3\xA9")), ".\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(cell(column_key::extension, entry("folder", "", true)), "");

  settings.size_units = 1;
  settings.size_unit_text = "Kb";
  EXPECT_EQ(cell(column_key::size, entry("f", "", false, 1025)), "2Kb");
  settings.size_units = -1;
  EXPECT_EQ(cell(column_key::size, entry("f", "", false, 1025)), "2Kb");
  EXPECT_EQ(cell(column_key::size, entry("f", "", false, 1023)), "1,023b");
  EXPECT_EQ(cell(column_key::size, entry("f", "", false, 5368709120ULL)), "5,120Mb");
  EXPECT_EQ(cell(column_key::size, entry("dir", "", true, 99)), "");  // folders: empty
  settings.size_units = 0;
  settings.size_unit_text = "";
  EXPECT_EQ(cell(column_key::size, entry("f", "", false, 1234567)), "1,234,567");

  file_entry f = entry("f");
  f.attributes = 0x1 | 0x2 | 0x20;
  EXPECT_EQ(cell(column_key::attributes, f), "AHR");
  EXPECT_EQ(cell(column_key::attributes, entry("dir", "", true)), "<Folder>");  // phrase 137
}

TEST_F(Columns, DatesWithAndWithoutTimes) {
  file_entry f = entry("f");
  f.modified = 1796684709;  // 2026-12-07 23:05:09, already local here
  f.created = 1783157400;   // 2026-07-04 09:30:00
  f.accessed = 0;
  EXPECT_EQ(cell(column_key::modified, f), "12/7/2026");
  EXPECT_EQ(cell(column_key::created, f), "7/4/2026");
  EXPECT_EQ(cell(column_key::accessed, f), "1/1/1970");
  settings.show_times = 1;
  EXPECT_EQ(cell(column_key::modified, f), "12/7/2026 11:05 PM");
  EXPECT_EQ(cell(column_key::created, f), "7/4/2026 9:30 AM");  // its own time, no seconds

  // Past 2038 and before 1901: every file time has its date.
  f.modified = 2208988800LL + 86400 * 45;  // 2040-02-15
  f.created = -11644473600LL;              // 1601-01-01, a zero file time
  f.accessed = 32503680000LL;              // 3000-01-01
  settings.show_times = 0;
  EXPECT_EQ(cell(column_key::modified, f), "2/15/2040");
  EXPECT_EQ(cell(column_key::created, f), "1/1/1601");
  EXPECT_EQ(cell(column_key::accessed, f), "1/1/3000");
}

TEST_F(Columns, TypeOfFoldersAndNamesWithoutExtension) {
  EXPECT_EQ(cell(column_key::type, entry("dir", "", true)), "File folder");  // phrase 135
  EXPECT_EQ(cell(column_key::type, entry("README")), "File");                // phrase 136
}

TEST_F(Columns, CellWriterWrapsTheTextInItsPhrases) {
  use_default_columns();
  ASSERT_EQ(setup_columns(settings), run_result::done);
  const std::string path = scratch_file("cell.html");
  variant p(path.c_str());
  {
    const owned_file f = open_file(p, variant("w"));
    listing_output out(f.get());
    settings.column_writers[0](0, entry("a<b"), settings, out);          // Name
    settings.column_writers[2](2, entry("d", "", true), settings, out);  // Size of a folder
  }
  EXPECT_EQ(read_back(path), "[41]a&lt;b[42][45][46]");
}

TEST_F(Columns, CompareFoldersFirstThenByKey) {
  file_entry upper_b = entry("B", ".Z");
  file_entry lower_a = entry("a", ".y");
  file_entry folder = entry("zzz", "", true);
  file_entry underscore = entry("_x");
  EXPECT_LT(compare_entries(upper_b, lower_a, 0), 0);  // byte-wise: B before a
  EXPECT_GT(compare_entries(upper_b, lower_a, 4), 0);  // ignoring case: a before B
  EXPECT_LT(compare_entries(upper_b, lower_a, 1), 0);  // .Z before .y
  EXPECT_GT(compare_entries(upper_b, lower_a, 5), 0);
  EXPECT_GT(compare_entries(underscore, upper_b, 4), 0);  // "_" after every letter
  EXPECT_LT(compare_entries(folder, upper_b, 0), 0);      // folders first, whatever the key
  EXPECT_GT(compare_entries(upper_b, folder, 2), 0);
  file_entry small = entry("s", "", false, 10);
  file_entry huge = entry("h", "", false, 5000000000ULL);
  EXPECT_LT(compare_entries(small, huge, 2), 0);
  small.modified = 5;
  huge.modified = -5;
  EXPECT_GT(compare_entries(small, huge, 3), 0);
  EXPECT_EQ(compare_entries(small, huge, 6), 0);                       // unknown keys: all equal
  EXPECT_EQ(compare_entries(entry("ab"), entry("abc"), 0) < 0, true);  // shorter first
}

TEST_F(Columns, SortedListWithDescendingOrder) {
  entry_tree tree;
  tree.compare = compare_entries;
  const struct {
    const char* name;
    bool folder;
    uint64_t size;
  } input[] = {{"mid", false, 500},
               {"Sub", true, 0},
               {"big", false, 9000},
               {"tiny", false, 1},
               {"Abc", true, 0}};
  for (const auto& in : input) {
    file_entry* e = file_entry::make();
    e->name = in.name;
    e->is_folder = in.folder;
    e->size = in.size;
    tree.append_top(e);
  }
  tree.sort_key = 2;  // size, ascending
  tree.sort_list(nullptr);
  tree.reverse_list(nullptr);  // descending: largest first, folders last
  std::vector<std::string> order;
  for (file_entry* e = tree.first(); e; e = e->next) order.emplace_back(e->name.c_str());
  EXPECT_EQ(order, (std::vector<std::string>{"big", "mid", "tiny", "Abc", "Sub"}));
}
