// Shared set-up of the engine tests: the regex library, a Listing settings
// record with small phrase tables (format phrase N reads "[N]"), and a scratch
// folder for output files.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "base/phrase_table.h"
#include "base/regex_binding.h"
#include "engine/listing_settings.h"

namespace lumadir {

class engine_fixture : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(load_regex_library());
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    scratch = std::filesystem::temp_directory_path() /
              (std::string("lumadir-engine-") + info->test_suite_name() + "-" + info->name());
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
    std::filesystem::create_directories(scratch);

    std::string format = "<langs><lang short=\"fmt\" full=\"Format\">";
    for (int id = 1; id <= 56; ++id)
      format +=
          "<_" + std::to_string(id) + ">[" + std::to_string(id) + "]</_" + std::to_string(id) + ">";
    format += "</lang></langs>";
    load_table(format_table, "format.xml", format);
    load_table(language_table, "vxlang.xml",
               "<langs><lang short=\"en\" full=\"English\">"
               "<_126>Starting</_126><_127>Reading </_127><_128>F:</_128><_129> D:</_129>"
               "<_130> S:</_130><_131>Ending</_131><_132>TF:</_132><_133> TD:</_133>"
               "<_134> TS:</_134><_135>File folder</_135><_136>File</_136>"
               "<_137>&lt;Folder&gt;</_137><_141>Unreadable: </_141><_145> file</_145>"
               "<_149>All: </_149><_155>Folder</_155></lang></langs>");
    settings.format_phrases = &format_table;
    settings.language_phrases = &language_table;
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
    unload_regex_library();
  }

  void load_table(phrase_table& table, const char* name, const std::string& text) {
    const std::string path = scratch_file(name);
    std::ofstream(path, std::ios::binary) << text;
    variant error;
    ASSERT_EQ(table.load(variant(path.c_str()), error), phrase_load::loaded) << error.c_str();
  }

  // All eight columns, each shown, width 1, titled by its key.
  void use_default_columns() {
    settings.columns.clear();
    for (const char* key :
         {"Name", "Extension", "Size", "Modified", "Created", "Accessed", "Attributes", "Type"})
      for (const char* line : {key, "1", "1", key}) settings.columns.push(variant(line));
  }

  std::string scratch_file(const char* name) const { return (scratch / name).string(); }

  static std::string read_back(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
  }

  std::filesystem::path scratch;
  phrase_table format_table;
  phrase_table language_table;
  listing_settings settings;
};

}  // namespace lumadir
