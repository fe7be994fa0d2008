#include "engine/settings_file.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <fstream>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "tests/engine/engine_fixture.h"

using namespace lumadir;

namespace {

class SettingsFile : public engine_fixture {
 protected:
  std::string path(const char* name = "settings.ini") const { return scratch_file(name); }
  void write_text(const std::string& text, const char* name = "settings.ini") {
    std::ofstream(path(name), std::ios::binary) << text;
  }
  static std::string line(const char* key, const std::string& value) {
    return std::string("<") + key + ">" + value + "</" + key + ">\r\n";
  }
  static std::string columns_text(const char* last_title = "Type") {
    std::string text;
    const char* keys[] = {"Name",    "Extension", "Size",       "Modified",
                          "Created", "Accessed",  "Attributes", "Type"};
    for (int i = 0; i < 8; ++i) {
      if (i) text += "\r\n";
      text += std::string(keys[i]) + "\r\n1\r\n" + std::to_string(10 + i) + "\r\n" +
              (i == 7 ? last_title : keys[i]);
    }
    return text;
  }
};

std::vector<std::string> items(const variant_list& list) {
  std::vector<std::string> out;
  for (auto* n = list.first(); n; n = n->next)
    out.emplace_back(n->value.c_str(), n->value.length());
  return out;
}

}  // namespace

TEST_F(SettingsFile, DefaultsAreWrittenLineByLineInOrder) {
  std::string expected = "<filter>\r\n";
  for (const auto& [key, value] :
       std::vector<std::pair<const char*, const char*>>{{"str_files_include", "*"},
                                                        {"str_files_skip", ""},
                                                        {"str_folder_include", "*"},
                                                        {"str_folder_skip", ""},
                                                        {"time_filter", "0"},
                                                        {"time_start", "0"},
                                                        {"time_end", "0"},
                                                        {"time_start64", "0"},
                                                        {"time_end64", "0"},
                                                        {"size_filter", "0"},
                                                        {"size_start", "0"},
                                                        {"size_end", "0"},
                                                        {"size_high_start", "0"},
                                                        {"size_high_end", "0"},
                                                        {"att_filter", "0"},
                                                        {"attrs", "0"}})
    expected += line(key, value);
  expected += "</filter>\r\n";
  for (const auto& [key, value] :
       std::vector<std::pair<const char*, const char*>>{{"order_files", "5"},
                                                        {"sort_order", "0"},
                                                        {"show_folder_summary", "1"},
                                                        {"show_global_summary", "1"},
                                                        {"show_folders", "1"},
                                                        {"remove_extension_from_name", "0"},
                                                        {"size_units", "0"},
                                                        {"show_times", "0"},
                                                        {"columns", ""},
                                                        {"body_background", "16777215"},
                                                        {"folder_font-color", "16777215"},
                                                        {"folder_font-size", "10"},
                                                        {"folder_font-style", "0"},
                                                        {"folder_font-weight", "700"},
                                                        {"folder_font-name", "Arial"},
                                                        {"folder_background", "0"},
                                                        {"file_font-color", "0"},
                                                        {"file_font-size", "10"},
                                                        {"file_font-style", "0"},
                                                        {"file_font-weight", "400"},
                                                        {"file_font-name", "Arial"},
                                                        {"file_background_odd", "14935011"},
                                                        {"file_background_even", "16777215"},
                                                        {"source_path", ""},
                                                        {"save_as_path", ""},
                                                        {"subfolders_level", "-1"},
                                                        {"action", "0"},
                                                        {"custom_colors", ""},
                                                        {"preview_width", "0"},
                                                        {"preview_height", "0"},
                                                        {"preview_left", "0"},
                                                        {"preview_top", "0"},
                                                        {"enable_internal_viewer", "1"},
                                                        {"recursive_options", "0"},
                                                        {"follow_folder_links", "0"},
                                                        {"output_type", "0"}})
    expected += line(key, value);
  ASSERT_EQ(write_settings(settings, variant(path().c_str())), 0);
  EXPECT_EQ(read_back(path()), expected);
}

TEST_F(SettingsFile, EveryFieldSurvivesARoundTrip) {
  listing_settings& s = settings;
  s.filter.str_files_include = "*.txt; <a&b> \xC3\xA9t\xC3\xA9.doc";
  s.filter.str_files_skip = "~*";
  s.filter.str_folder_include = "src;\"quoted\"";
  s.filter.str_folder_skip = "obj";
  s.filter.time_filter = true;
  s.filter.time_start = -86400;
  s.filter.time_end = 2000000000;
  s.filter.size_filter = true;
  s.filter.size_start = 3000000000u;
  s.filter.size_end = 0xFFFFFFFFu;
  s.filter.size_high_start = 1;
  s.filter.size_high_end = 0x80000000u;
  s.filter.att_filter = 7;
  s.filter.attrs = 0x23;
  s.order_files = 3;
  s.sort_order = 1;
  s.show_folder_summary = 0;
  s.show_global_summary = 0;
  s.show_folders = 3;
  s.remove_extension_from_name = 1;
  s.size_units = -1;
  s.show_times = 1;
  std::vector<std::string> column_lines;
  for (const char* key :
       {"Type", "Name", "Extension", "Size", "Modified", "Created", "Accessed", "Attributes"})
    for (const char* l : {key, "0", "25", "Title & <b>"}) s.columns.push(variant(l));
  s.body_background = 0x123456;
  s.folder_font = {0xABCDEF, 14, 5, 400, variant("Times New Roman")};
  s.folder_background = 0xFF00FF;
  s.file_font = {0x010203, 8, 2, 700, variant("Caf\xC3\xA9 Sans")};
  s.file_background_odd = 1;
  s.file_background_even = 2;
  s.custom_colors.push(variant("16777215"));
  s.custom_colors.push(variant("255"));
  s.enable_internal_viewer = 0;
  s.preview_width = 800;
  s.preview_height = 600;
  s.preview_left = -8;
  s.preview_top = 20;
  s.source_path = "C:\\Data & More\\<x>";
  s.save_as_path = "D:\\out\\list.html";
  s.subfolders_level = 2;
  s.action = 2;
  s.recursive_options = 3;
  s.follow_folder_links = 1;
  s.output_type = 2;
  ASSERT_EQ(write_settings(s, variant(path().c_str())), 0);
  const std::string text = read_back(path());
  EXPECT_NE(text.find("<size_start>-1294967296</size_start>"), std::string::npos);
  EXPECT_NE(text.find("&lt;a&amp;b&gt; \xC3\xA9t\xC3\xA9.doc"),
            std::string::npos);  // UTF-8 on disk

  listing_settings r;
  ASSERT_EQ(read_settings(r, variant(path().c_str())), 0);
  EXPECT_STREQ(r.filter.str_files_include.c_str(), "*.txt; <a&b> \xC3\xA9t\xC3\xA9.doc");
  EXPECT_STREQ(r.filter.str_files_skip.c_str(), "~*");
  EXPECT_STREQ(r.filter.str_folder_include.c_str(), "src;\"quoted\"");
  EXPECT_STREQ(r.filter.str_folder_skip.c_str(), "obj");
  EXPECT_EQ(r.filter.file_include_patterns.count(), 2);  // the lists are rebuilt
  EXPECT_TRUE(r.filter.time_filter);
  EXPECT_EQ(r.filter.time_start, -86400);
  EXPECT_EQ(r.filter.time_end, 2000000000);
  EXPECT_TRUE(r.filter.size_filter);
  EXPECT_EQ(r.filter.size_start, 3000000000u);
  EXPECT_EQ(r.filter.size_end, 0xFFFFFFFFu);
  EXPECT_EQ(r.filter.size_high_start, 1u);
  EXPECT_EQ(r.filter.size_high_end, 0x80000000u);
  EXPECT_EQ(r.filter.att_filter, 7u);
  EXPECT_EQ(r.filter.attrs, 0x23u);
  EXPECT_EQ(r.order_files, 3);
  EXPECT_EQ(r.sort_order, 1);
  EXPECT_EQ(r.show_folder_summary, 0);
  EXPECT_EQ(r.show_global_summary, 0);
  EXPECT_EQ(r.show_folders, 3);
  EXPECT_EQ(r.remove_extension_from_name, 1);
  EXPECT_EQ(r.follow_folder_links, 1);
  EXPECT_EQ(r.output_type, 2);
  EXPECT_EQ(r.size_units, -1);
  EXPECT_EQ(r.show_times, 1);
  EXPECT_EQ(items(r.columns), items(s.columns));
  EXPECT_EQ(r.columns.count(), 32);
  EXPECT_EQ(r.body_background, 0x123456u);
  EXPECT_EQ(r.folder_font.color, 0xABCDEFu);
  EXPECT_EQ(r.folder_font.size, 14);
  EXPECT_EQ(r.folder_font.style, 5);
  EXPECT_EQ(r.folder_font.weight, 400);
  EXPECT_STREQ(r.folder_font.name.c_str(), "Times New Roman");
  EXPECT_EQ(r.folder_background, 0xFF00FFu);
  EXPECT_EQ(r.file_font.color, 0x010203u);
  EXPECT_EQ(r.file_font.size, 8);
  EXPECT_EQ(r.file_font.style, 2);
  EXPECT_EQ(r.file_font.weight, 700);
  EXPECT_STREQ(r.file_font.name.c_str(), "Caf\xC3\xA9 Sans");
  EXPECT_EQ(r.file_background_odd, 1u);
  EXPECT_EQ(r.file_background_even, 2u);
  EXPECT_EQ(items(r.custom_colors), (std::vector<std::string>{"16777215", "255"}));
  EXPECT_EQ(r.enable_internal_viewer, 0);
  EXPECT_EQ(r.preview_width, 800);
  EXPECT_EQ(r.preview_height, 600);
  EXPECT_EQ(r.preview_left, -8);
  EXPECT_EQ(r.preview_top, 20);
  EXPECT_STREQ(r.source_path.c_str(), "C:\\Data & More\\<x>");
  EXPECT_STREQ(r.save_as_path.c_str(), "D:\\out\\list.html");
  EXPECT_EQ(r.subfolders_level, 2);
  EXPECT_EQ(r.action, 2);
  EXPECT_EQ(r.recursive_options, 3);
}

TEST_F(SettingsFile, OnlyColumnsPresentKeepsEveryDefault) {
  write_text(line("COLUMNS", columns_text()));  // any letter case
  listing_settings r;
  ASSERT_EQ(read_settings(r, variant(path().c_str())), 0);
  EXPECT_EQ(r.columns.count(), 32);
  EXPECT_EQ(r.order_files, 5);
  EXPECT_EQ(r.subfolders_level, -1);
  EXPECT_STREQ(r.filter.str_files_include.c_str(), "*");
  EXPECT_FALSE(r.filter.time_filter);
  EXPECT_EQ(r.filter.file_include_patterns.count(), 0);  // no filter section: lists not built
  EXPECT_EQ(r.file_background_odd, 0xE3E3E3u);
  EXPECT_STREQ(r.file_font.name.c_str(), "Arial");
  EXPECT_EQ(r.output_type, 0);  // a file of an older version: HTML
}

// Lumadir 2.0 wrote settings.ini in the system's ANSI code page, and wrote
// some characters as references to their code-page bytes: both load as UTF-8.
TEST_F(SettingsFile, AnOldFileInTheAnsiCodePageLoadsAsUtf8) {
  write_text(
      "<filter>\r\n<str_files_include>caf\xE9*</str_files_include>\r\n"
      "<str_files_skip>&#233;t&#233;*</str_files_skip>\r\n</filter>\r\n" +
      line("columns", columns_text()) + line("file_font-name", "Caf\xE9 Sans"));
  listing_settings r;
  ASSERT_EQ(read_settings(r, variant(path().c_str())), 0);
  EXPECT_STREQ(r.filter.str_files_include.c_str(), "caf\xC3\xA9*");
  EXPECT_STREQ(r.filter.str_files_skip.c_str(), "\xC3\xA9t\xC3\xA9*");
  EXPECT_STREQ(r.file_font.name.c_str(), "Caf\xC3\xA9 Sans");
  // Written back, it is UTF-8.
  ASSERT_EQ(write_settings(r, variant(path().c_str())), 0);
  EXPECT_NE(read_back(path()).find("<str_files_include>caf\xC3\xA9*</str_files_include>"),
            std::string::npos);
}

// Time windows reach past 2038 and before 1901; 2.0's 32-bit values still read.
TEST_F(SettingsFile, TimeWindowsInSixtyFourBits) {
  listing_settings& s = settings;
  use_default_columns();
  s.filter.time_start = -11644473600LL;  // 1601
  s.filter.time_end = 4102444800LL;      // 2100
  ASSERT_EQ(write_settings(s, variant(path().c_str())), 0);
  listing_settings r;
  ASSERT_EQ(read_settings(r, variant(path().c_str())), 0);
  EXPECT_EQ(r.filter.time_start, -11644473600LL);
  EXPECT_EQ(r.filter.time_end, 4102444800LL);

  write_text(
      "<filter>\r\n<time_start>-86400</time_start>\r\n<time_end>2000000000</time_end>"
      "\r\n</filter>\r\n" +
      line("columns", columns_text()));
  ASSERT_EQ(read_settings(r, variant(path().c_str())), 0);
  EXPECT_EQ(r.filter.time_start, -86400);
  EXPECT_EQ(r.filter.time_end, 2000000000);
}

TEST_F(SettingsFile, ColumnsMustHoldThirtyTwoLines) {
  write_text(line("order_files", "2") + line("columns", columns_text() + "\r\n") +
             line("body_background", "7"));
  listing_settings r;
  EXPECT_EQ(read_settings(r, variant(path().c_str())), 2);  // 33 lines
  EXPECT_EQ(r.order_files, 2);                              // set before the failure, kept
  EXPECT_EQ(r.body_background, 0xFFFFFFu);                  // after it, not read

  write_text(line("order_files", "2"));
  EXPECT_EQ(read_settings(r, variant(path().c_str())), 2);  // missing
  write_text(line("columns", "Name\nshort"));
  EXPECT_EQ(read_settings(r, variant(path().c_str())), 2);
  // Lines may end in LF alone.
  std::string lf = columns_text();
  for (size_t at; (at = lf.find("\r\n")) != std::string::npos;) lf.erase(at, 1);
  write_text(line("columns", lf));
  EXPECT_EQ(read_settings(r, variant(path().c_str())), 0);
}

TEST_F(SettingsFile, EmptyAndBadValues) {
  write_text(line("order_files", "") + line("sort_order", "  -7x") +
             line("columns", columns_text()) + line("custom_colors", "\r\n123\r\n\r\n456\r\n") +
             line("source_path", ""));
  listing_settings r;
  r.source_path = "before";
  ASSERT_EQ(read_settings(r, variant(path().c_str())), 0);
  EXPECT_EQ(r.order_files, 0);  // present but empty
  EXPECT_EQ(r.sort_order, -7);
  EXPECT_EQ(items(r.custom_colors), (std::vector<std::string>{"123", "456"}));  // no empty lines
  EXPECT_STREQ(r.source_path.c_str(), "");
}

TEST_F(SettingsFile, ReadFailures) {
  listing_settings r;
  EXPECT_EQ(read_settings(r, variant(path("missing.ini").c_str())), 1);
  write_text("<columns>" + columns_text() + "</columns>\r\n<order_files>3");
  EXPECT_EQ(read_settings(r, variant(path().c_str())), 2);  // unclosed tag
}

TEST_F(SettingsFile, AFailedWriteLeavesTheOldFile) {
  ASSERT_EQ(write_settings(settings, variant(path().c_str())), 0);
  const std::string before = read_back(path());
  settings.order_files = 1;
  EXPECT_EQ(write_settings(settings, variant(path("no-such-folder/settings.ini").c_str())), 1);
#ifdef _WIN32
  // Someone holds the file open: it cannot be replaced, and stays whole.
  variant held_path(path().c_str());
  owned_file held = open_file(held_path, variant("r"));
  EXPECT_EQ(write_settings(settings, variant(path().c_str())), 1);
  held.reset();
  EXPECT_EQ(read_back(path()), before);
  // A read-only file is kept too.
  SetFileAttributesA(path().c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(write_settings(settings, variant(path().c_str())), 1);
  SetFileAttributesA(path().c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(read_back(path()), before);
  EXPECT_FALSE(std::filesystem::exists(path("settings.ini.new")));  // nothing left behind
#endif
  EXPECT_EQ(write_settings(settings, variant(path().c_str())), 0);
  EXPECT_NE(read_back(path()), before);
}
