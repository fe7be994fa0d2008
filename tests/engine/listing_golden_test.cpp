// Whole listings of a fixture tree that each test makes itself (names, sizes,
// times set explicitly), compared byte for byte. The format phrases are "[N]",
// so the expected texts show which phrase stands where.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/listing_run.h"
#include "tests/engine/engine_fixture.h"
#include "tests/engine/fixture_tree.h"

using namespace lumadir;

namespace {

class Listing : public engine_fixture, public fixture_tree {
 protected:
  void SetUp() override {
    engine_fixture::SetUp();
    root = scratch.string() + "\\tree";
    make_dir("");
    make_dir("\\Sub Folder");
    make_dir("\\Sub Folder\\deep");
    make_file("\\Sub Folder\\inner.dat", 1024, 7);
    make_file("\\Sub Folder\\deep\\z.bin", 0, 8);
    make_file("\\.hidden", 5, 6);
    make_file("\\a&b.txt", 1023, 2);
    make_file("\\archive.tar.gz", 1048576, 5);
    make_file("\\big.iso", 5368709120ULL, 1);  // sparse: no disk space taken
    make_file("\\caf\xC3\xA9.doc", 10, 3);
    make_file("\\README", 3, 4);
    make_file("\\two words.TXT", 2, 0);
    set_times("\\Sub Folder\\deep", 9);
    set_times("\\Sub Folder", 10);
    set_times("", 11);
    settings.columns.clear();
    for (const char* key :
         {"Name", "Size", "Extension", "Modified", "Created", "Accessed", "Attributes", "Type"})
      for (const char* line : {key, key[0] == 'N' || key[0] == 'S' ? "1" : "0", "1", key})
        settings.columns.push(variant(line));
    settings.size_units = 0;
    settings.show_folders = 3;  // rows for folders and files
    settings.action = 2;
    output_path = scratch_file("out.html");
    settings.save_as_path = output_path.c_str();
    settings.source_path = root.c_str();
  }

  // Runs a save and gives what it wrote.
  std::string run(run_result expected_result = run_result::done) {
    settings.run_active = 1;
    execute_run(settings);
    EXPECT_EQ(settings.result_code.load(), expected_result);
    EXPECT_EQ(settings.run_active.load(), 0);
    return read_back(output_path);
  }

  // The expected text, piece by piece.
  static std::string f(int id) { return "[" + std::to_string(id) + "]"; }
  std::string head(const std::vector<std::pair<int, const char*>>& columns) const {
    std::string text = f(1) + "#FFFFFF" + f(2) + file_css + f(3) + folder_css + f(4) + "#000000" +
                       f(5) + "#E3E3E3" + f(6) + "#FFFFFF" + f(7) + f(8) + f(9) + root + f(12) +
                       f(13);
    for (const auto& [percent, title] : columns) text += f(14) + std::to_string(percent) + f(15);
    text += f(16) + f(17);
    for (const auto& [percent, title] : columns)
      text += f(18) + std::to_string(percent) + f(19) + title + f(20);
    return text + f(21);
  }
  static std::string folder(const std::string& path, int visible = 2) {
    return f(25) + std::to_string(visible) + f(26) + path + f(27);
  }
  // A row of the two usual columns, Name and Size.
  static std::string row(bool odd, const std::string& name, const std::string& size) {
    return f(odd ? 29 : 28) + f(41) + name + f(42) + f(45) + size + f(46) + f(30);
  }
  static std::string summary(int files, int folders, const std::string& size, int visible = 2,
                             bool all_levels = false) {
    return f(31) + std::to_string(visible) + f(32) + (all_levels ? "All: " : "") +
           "F:" + std::to_string(files) + " D:" + std::to_string(folders) + " S:" + size + f(33) +
           f(34) + std::to_string(visible) + f(35);
  }
  static std::string foot(int files, int folders, const std::string& size, int visible = 2) {
    return f(36) + std::to_string(visible) + f(37) + "TF:" + std::to_string(files) +
           " TD:" + std::to_string(folders) + " TS:" + size + f(38) + f(39) + f(40);
  }
  std::string sub() const { return root + "\\Sub Folder"; }
  std::string deep() const { return root + "\\Sub Folder\\deep"; }

  const std::string file_css =
      " color:#000000; font-size:10pt; font-weight:400; font-family:'Arial'; font-style:normal;";
  const std::string folder_css =
      " color:#FFFFFF; font-size:10pt; font-weight:700; font-family:'Arial'; font-style:normal;";
  const std::vector<std::pair<int, const char*>> name_and_size = {{50, "Name"}, {50, "Size"}};
  std::string output_path;
};

}  // namespace

TEST_F(Listing, WholeTreeByNameIgnoringCase) {
  const std::string expected =
      head(name_and_size) + folder(root) + row(true, "Sub Folder", "") +
      row(false, ".hidden", "5") + row(true, "a&amp;b.txt", "1,023") +
      row(false, "archive.tar.gz", "1,048,576") + row(true, "big.iso", "5,368,709,120") +
      row(false, "caf\xC3\xA9.doc", "10") + row(true, "README", "3") +
      row(false, "two words.TXT", "2") + summary(7, 1, "5,369,758,739") + folder(sub()) +
      row(true, "deep", "") + row(false, "inner.dat", "1,024") + summary(1, 1, "1,024") +
      folder(deep()) + row(true, "z.bin", "0") + summary(1, 0, "0") + foot(9, 2, "5,369,759,763");
  EXPECT_EQ(run(), expected);
}

TEST_F(Listing, EverySortKeyBothWays) {
  settings.subfolders_level = 0;
  settings.show_global_summary = 0;
  settings.show_folder_summary = 0;
  auto names = [&](int order, int direction) {
    settings.order_files = order;
    settings.sort_order = direction;
    const std::string text = run();
    std::string out;  // the names in row order, one per line
    for (size_t at = 0; (at = text.find("[41]", at)) != std::string::npos;) {
      at += 4;
      out += text.substr(at, text.find("[42]", at) - at) + "|";
    }
    return out;
  };
  const std::string by_name =
      "Sub Folder|.hidden|a&amp;b.txt|archive.tar.gz|big.iso|caf\xC3\xA9.doc|README|two words.TXT|";
  EXPECT_EQ(names(5, 0), by_name);
  EXPECT_EQ(names(5, 1),
            "two words.TXT|README|caf\xC3\xA9.doc|big.iso|archive.tar.gz|a&amp;b.txt|.hidden|Sub "
            "Folder|");
  // Byte-wise: capitals before small letters.
  EXPECT_EQ(names(1, 0),
            "Sub Folder|.hidden|README|a&amp;b.txt|archive.tar.gz|big.iso|caf\xC3\xA9.doc|two "
            "words.TXT|");
  // By extension, byte-wise (no extension first, .TXT before .doc); read order among equals.
  EXPECT_EQ(names(2, 0),
            "Sub Folder|.hidden|README|two "
            "words.TXT|caf\xC3\xA9.doc|archive.tar.gz|big.iso|a&amp;b.txt|");
  EXPECT_EQ(names(6, 0),
            "Sub Folder|.hidden|README|caf\xC3\xA9.doc|archive.tar.gz|big.iso|a&amp;b.txt|two "
            "words.TXT|");
  EXPECT_EQ(names(6, 1),
            "two words.TXT|a&amp;b.txt|big.iso|archive.tar.gz|caf\xC3\xA9.doc|README|.hidden|Sub "
            "Folder|");
  EXPECT_EQ(names(3, 0),
            "Sub Folder|two "
            "words.TXT|README|.hidden|caf\xC3\xA9.doc|a&amp;b.txt|archive.tar.gz|big.iso|");
  EXPECT_EQ(names(3, 1),
            "big.iso|archive.tar.gz|a&amp;b.txt|caf\xC3\xA9.doc|.hidden|README|two words.TXT|Sub "
            "Folder|");
  EXPECT_EQ(names(4, 0),
            "Sub Folder|two "
            "words.TXT|big.iso|a&amp;b.txt|caf\xC3\xA9.doc|README|archive.tar.gz|.hidden|");
  // No sorting: the system's order, folders first; descending changes nothing.
  const std::string read_order = names(0, 0);
  EXPECT_EQ(read_order.substr(0, 11), "Sub Folder|");
  EXPECT_EQ(names(0, 1), read_order);
}

TEST_F(Listing, DepthLimits) {
  settings.show_folder_summary = 0;
  auto sections = [&](int depth) {
    settings.subfolders_level = depth;
    const std::string text = run();
    int count = 0;
    for (size_t at = 0; (at = text.find("[25]", at)) != std::string::npos; ++at) ++count;
    return count;
  };
  EXPECT_EQ(sections(0), 1);
  EXPECT_EQ(sections(1), 2);
  EXPECT_EQ(sections(2), 3);
  EXPECT_EQ(sections(-1), 3);
  EXPECT_EQ(sections(-7), 3);
}

TEST_F(Listing, TotalsOverAllLevelsAndPruning) {
  settings.recursive_options = 3;
  settings.subfolders_level = 1;
  settings.show_global_summary = 0;
  const std::string expected =
      head(name_and_size) + folder(root) + row(true, "Sub Folder", "") +
      row(false, ".hidden", "5") + row(true, "a&amp;b.txt", "1,023") +
      row(false, "archive.tar.gz", "1,048,576") + row(true, "big.iso", "5,368,709,120") +
      row(false, "caf\xC3\xA9.doc", "10") + row(true, "README", "3") +
      row(false, "two words.TXT", "2") +
      summary(9, 2, "5,369,759,763", 2, true) +  // every level below, though one is listed
      folder(sub()) + row(true, "deep", "") + row(false, "inner.dat", "1,024") +
      summary(2, 1, "1,024", 2, true) + f(39) + f(40);
  EXPECT_EQ(run(), expected);

  // No depth limit: "deep" holds no bytes, so it is pruned: still a row of its
  // parent, but no section of its own.
  settings.subfolders_level = -1;
  const std::string text = run();
  EXPECT_EQ(text.find(folder(deep())), std::string::npos);
  EXPECT_NE(text.find(row(true, "deep", "")), std::string::npos);

  settings.recursive_options = 1;  // totals without pruning: deep gets its section
  EXPECT_NE(run().find(folder(deep()) + row(true, "z.bin", "0") + summary(1, 0, "0", 2, true)),
            std::string::npos);
}

TEST_F(Listing, RowsForFilesOnlyOrFoldersOnly) {
  settings.subfolders_level = 1;
  settings.show_global_summary = 0;
  settings.show_folders = 2;  // folder rows only; files still counted
  EXPECT_EQ(run(), head(name_and_size) + folder(root) + row(true, "Sub Folder", "") +
                       summary(7, 1, "5,369,758,739") + folder(sub()) + row(true, "deep", "") +
                       summary(1, 1, "1,024") + f(39) + f(40));
  settings.show_folders = 1;  // file rows only; folders still counted and entered
  settings.subfolders_level = 0;
  const std::string text = run();
  EXPECT_EQ(text.find("Sub Folder[42]"), std::string::npos);
  EXPECT_NE(text.find(row(true, ".hidden", "5")), std::string::npos);
  EXPECT_NE(text.find(summary(7, 1, "5,369,758,739")), std::string::npos);
}

TEST_F(Listing, NamesWithoutExtensionsAndTheExtensionColumn) {
  settings.subfolders_level = 0;
  settings.show_folder_summary = 0;
  settings.show_global_summary = 0;
  settings.remove_extension_from_name = 1;
  settings.columns.clear();
  for (const char* key :
       {"Name", "Extension", "Size", "Modified", "Created", "Accessed", "Attributes", "Type"})
    for (const char* line :
         {key, key[0] == 'N' || key[0] == 'E' ? "1" : "0", key[0] == 'N' ? "3" : "1", key})
      settings.columns.push(variant(line));
  auto cells = [&](bool odd, const char* name, const char* ext) {
    return f(odd ? 29 : 28) + f(41) + name + f(42) + f(43) + ext + f(44) + f(30);
  };
  std::string expected =
      f(1) + "#FFFFFF" + f(2) + file_css + f(3) + folder_css + f(4) + "#000000" + f(5) + "#E3E3E3" +
      f(6) + "#FFFFFF" + f(7) + f(8) + f(9) + root + f(12) + f(13) + f(14) + "75" + f(15) + f(14) +
      "25" + f(15) + f(16) + f(17) + f(18) + "75" + f(19) + "Name" + f(20) + f(18) + "25" + f(19) +
      "Extension" + f(20) + f(21) + folder(root) + cells(true, "Sub Folder", "") +
      cells(false, ".hidden", "") + cells(true, "a&amp;b", ".txt") +
      cells(false, "archive.tar", ".gz") + cells(true, "big", ".iso") +
      cells(false, "caf\xC3\xA9", ".doc") + cells(true, "README", "") +
      cells(false, "two words", ".TXT") + f(39) + f(40);
  EXPECT_EQ(run(), expected);
}

TEST_F(Listing, EverySizeUnit) {
  settings.subfolders_level = 0;
  settings.show_folder_summary = 0;
  auto sizes = [&](int units) {
    settings.size_units = units;
    const std::string text = run();
    std::string out;
    for (size_t at = 0; (at = text.find("[45]", at)) != std::string::npos;) {
      at += 4;
      out += text.substr(at, text.find("[46]", at) - at) + "|";
    }
    return out + text.substr(text.find("TS:"), text.find("[38]") - text.find("TS:"));
  };
  EXPECT_EQ(sizes(0), "|5|1,023|1,048,576|5,368,709,120|10|3|2|TS:5,369,758,739");
  EXPECT_EQ(sizes(1), "|1Kb|1Kb|1,024Kb|5,242,880Kb|1Kb|1Kb|1Kb|TS:5,243,906Kb");
  EXPECT_EQ(sizes(2), "|1Mb|1Mb|1Mb|5,120Mb|1Mb|1Mb|1Mb|TS:5,122Mb");
  EXPECT_EQ(sizes(-1), "|5b|1,023b|1Mb|5,120Mb|10b|3b|2b|TS:5,122Mb");
  // A unit without a suffix of its own divides all the same and appends nothing.
  EXPECT_EQ(sizes(3), "|1|1|1|5|1|1|1|TS:6");
}

TEST_F(Listing, AllEightColumnsWithTimesAndAttributes) {
  const std::string small = root + "\\Sub Folder\\deep";
  settings.source_path = small.c_str();
  use_default_columns();
  settings.show_times = 1;
  settings.file_background_odd = 0x0000FF;  // red, as the colour text shows it
  const std::string text = run();
  EXPECT_NE(text.find(f(5) + "#FF0000" + f(6)), std::string::npos);
  // z.bin: modified and created 2020-09-13 12:34:40 UTC; accessed in the future.
  EXPECT_NE(text.find(f(29) + f(41) + "z.bin" + f(42) + f(43) + ".bin" + f(44) + f(45) + "0" +
                      f(46) + f(47) + "9/13/2020 12:34 PM" + f(48) + f(49) + "9/13/2020 12:34 PM" +
                      f(50) + f(51) + "5/18/2033 3:33 AM" + f(52) + f(53) + "A" + f(54) + f(55)),
            std::string::npos)
      << text;
  for (int id = 13; id <= 21; ++id) EXPECT_NE(text.find(f(id)), std::string::npos) << id;
  EXPECT_NE(text.find(f(14) + "13" + f(15)), std::string::npos);  // 100 / 8 = 12.5, rounded up
}
