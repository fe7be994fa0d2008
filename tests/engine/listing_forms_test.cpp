// Whole listings of a fixture tree in the CSV, JSON and text forms, compared
// byte for byte; the preview stays HTML whatever form is saved; and every form
// reports a failed write and a stop like the HTML one.
#include <windows.h>

#include <fstream>
#include <string>

#include "base/file_system.h"
#include "engine/listing_format.h"
#include "engine/listing_run.h"
#include "tests/engine/engine_fixture.h"
#include "tests/engine/fixture_tree.h"

using namespace lumadir;

namespace {

class Forms : public engine_fixture, public fixture_tree {
 protected:
  void SetUp() override {
    engine_fixture::SetUp();
    root = scratch.string() + "\\tree";
    make_dir("");
    make_dir("\\Sub");
    make_file("\\Sub\\inner.dat", 1024, 7);
    make_file("\\a,b.txt", 1023, 2);
    make_file("\\=sum.txt", 5, 3);
    make_file("\\\xE6\x97\xA5\xE6\x9C\xAC.txt", 10, 4);  // 日本.txt
    make_file("\\README", 3, 1);
    set_times("\\Sub", 10);
    settings.columns.clear();
    for (const char* key :
         {"Name", "Extension", "Size", "Modified", "Attributes", "Created", "Accessed", "Type"})
      for (const char* line :
           {key, key[0] == 'C' || key[0] == 'T' || key[1] == 'c' ? "0" : "1", "1", key})
        settings.columns.push(variant(line));
    settings.size_units = 0;
    settings.show_folders = 3;
    settings.action = 2;
    output_path = scratch_file("out.list");
    settings.save_as_path = output_path.c_str();
    settings.source_path = root.c_str();
  }

  std::string run(listing_type type, run_result expected_result = run_result::done) {
    settings.output_type = static_cast<int32_t>(type);
    settings.run_active = 1;
    execute_run(settings);
    EXPECT_EQ(settings.result_code.load(), expected_result);
    return read_back(output_path);
  }

  std::string output_path;
};

}  // namespace

TEST_F(Forms, CsvHasAHeaderAndARowPerEntryWithItsFolder) {
  const std::string sub = root + "\\Sub";
  const std::string expected =
      "\xEF\xBB\xBF"
      "Folder,Name,Extension,Size,Modified,Attributes\r\n" +
      root + ",Sub,,,2020-09-13 12:36:40,\r\n" + root +
      ",'=sum.txt,.txt,5,2020-09-13 12:29:40,A\r\n" + root +
      ",\"a,b.txt\",.txt,1023,2020-09-13 12:28:40,A\r\n" + root +
      ",README,,3,2020-09-13 12:27:40,A\r\n" + root +
      ",\xE6\x97\xA5\xE6\x9C\xAC.txt,.txt,10,2020-09-13 12:30:40,A\r\n" + sub +
      ",inner.dat,.dat,1024,2020-09-13 12:33:40,A\r\n";
  EXPECT_EQ(run(listing_type::csv), expected);

  // Summaries are no rows, and a folder's path stays the first cell when the
  // name is cut short of its extension.
  settings.remove_extension_from_name = 1;
  settings.subfolders_level = 0;
  settings.show_folders = 1;
  const std::string text = run(listing_type::csv);
  EXPECT_NE(text.find(root + ",'=sum,.txt,5,"), std::string::npos) << text;
  EXPECT_EQ(text.find("Sub"), std::string::npos) << text;
}

TEST_F(Forms, JsonHoldsTheSettingsFoldersEntriesSummariesAndTotal) {
  auto escaped = [](std::string path) {
    for (size_t at = 0; (at = path.find('\\', at)) != std::string::npos; at += 2)
      path.insert(at, 1, '\\');
    return path;
  };
  const std::string top = escaped(root);
  const std::string expected =
      "{\"program\": \"Lumadir 2.0\",\r\n \"source\": \"" + top +
      "\",\r\n"
      " \"settings\": {\"columns\": [{\"field\": \"name\", \"title\": \"Name\"}, "
      "{\"field\": \"extension\", \"title\": \"Extension\"}, {\"field\": \"size\", \"title\": "
      "\"Size\"}, {\"field\": \"modified\", \"title\": \"Modified\"}, {\"field\": \"attributes\", "
      "\"title\": \"Attributes\"}],\r\n"
      "  \"sort\": \"name\", \"descending\": false, \"depth\": null, \"file_rows\": true, "
      "\"folder_rows\": true,\r\n"
      "  \"extension_in_name\": true, \"folder_summaries\": true, \"grand_total\": true,\r\n"
      "  \"summaries_count_all_levels\": false, \"skip_folders_of_no_bytes\": false, "
      "\"follow_folder_links\": false,\r\n"
      "  \"filter\": {\"files\": \"*\", \"skip_files\": \"\", \"folders\": \"*\", "
      "\"skip_folders\": \"\",\r\n"
      "   \"modified_from\": null, \"modified_to\": null, \"size_from\": null, \"size_to\": null,"
      "\r\n   \"attributes\": null}},\r\n"
      " \"folders\": [\r\n"
      "  {\"path\": \"" +
      top +
      "\", \"entries\": [\r\n"
      "   {\"kind\": \"folder\", \"name\": \"Sub\", \"extension\": \"\", \"size\": null, "
      "\"modified\": \"2020-09-13T12:36:40+00:00\", \"attributes\": \"\"},\r\n"
      "   {\"kind\": \"file\", \"name\": \"=sum.txt\", \"extension\": \".txt\", \"size\": 5, "
      "\"modified\": \"2020-09-13T12:29:40+00:00\", \"attributes\": \"A\"},\r\n"
      "   {\"kind\": \"file\", \"name\": \"a,b.txt\", \"extension\": \".txt\", \"size\": 1023, "
      "\"modified\": \"2020-09-13T12:28:40+00:00\", \"attributes\": \"A\"},\r\n"
      "   {\"kind\": \"file\", \"name\": \"README\", \"extension\": \"\", \"size\": 3, "
      "\"modified\": \"2020-09-13T12:27:40+00:00\", \"attributes\": \"A\"},\r\n"
      "   {\"kind\": \"file\", \"name\": \"\xE6\x97\xA5\xE6\x9C\xAC.txt\", \"extension\": "
      "\".txt\", \"size\": 10, \"modified\": \"2020-09-13T12:30:40+00:00\", \"attributes\": "
      "\"A\"}\r\n"
      "  ], \"summary\": {\"files\": 4, \"folders\": 1, \"size\": 1041}},\r\n"
      "  {\"path\": \"" +
      top +
      "\\\\Sub\", \"entries\": [\r\n"
      "   {\"kind\": \"file\", \"name\": \"inner.dat\", \"extension\": \".dat\", \"size\": 1024, "
      "\"modified\": \"2020-09-13T12:33:40+00:00\", \"attributes\": \"A\"}\r\n"
      "  ], \"summary\": {\"files\": 1, \"folders\": 0, \"size\": 1024}}\r\n"
      " ],\r\n"
      " \"total\": {\"files\": 5, \"folders\": 1, \"size\": 2065}}\r\n";
  EXPECT_EQ(run(listing_type::json), expected);

  // Totals over all levels, a depth, no summaries or total, a filter: each as
  // the settings say, and the summary of the one listed folder counts it all.
  settings.recursive_options = 1;
  settings.subfolders_level = 0;
  settings.show_global_summary = 0;
  settings.filter.str_files_skip = "README";
  settings.filter.time_filter = true;
  settings.filter.time_start = 0;
  settings.filter.time_end = future;
  settings.filter.att_filter = 3;
  settings.filter.attrs = 0x20;
  const std::string text = run(listing_type::json);
  for (const char* part :
       {"\"depth\": 0", "\"summaries_count_all_levels\": true", "\"grand_total\": false",
        "\"skip_files\": \"README\"", "\"modified_from\": \"1970-01-01T00:00:00+00:00\"",
        "\"modified_to\": \"2033-05-18T03:33:20+00:00\"",
        "\"attributes\": {\"rule\": \"only-any\", \"letters\": \"A\"}",
        "\"summary\": {\"files\": 4, \"folders\": 1, \"size\": 2062}}\r\n ],\r\n \"total\": null}"})
    EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
  EXPECT_EQ(text.find("\"name\": \"README\""), std::string::npos);

  // A folder that cannot be read, and one without summaries, close as objects.
  settings.source_path = (root + "\\missing").c_str();
  settings.show_folder_summary = 0;
  EXPECT_NE(run(listing_type::json)
                .find("\"folders\": [\r\n  {\"path\": \"" + top +
                      "\\\\missing\", \"unreadable\": true}\r\n ],"),
            std::string::npos);
}

TEST_F(Forms, TextIsAnIndentedTreeWithAlignedColumns) {
  settings.show_times = 1;
  settings.columns.clear();
  for (const char* key :
       {"Name", "Size", "Modified", "Extension", "Attributes", "Created", "Accessed", "Type"})
    for (const char* line :
         {key, key[0] == 'N' || key[0] == 'S' || key[0] == 'M' ? "1" : "0", "1", key})
      settings.columns.push(variant(line));
  const std::string expected =
      root +
      "\r\n"
      "  Name       Size  Modified\r\n"
      "  Sub              9/13/2020 12:36 PM\r\n"
      "  =sum.txt      5  9/13/2020 12:29 PM\r\n"
      "  a,b.txt   1,023  9/13/2020 12:28 PM\r\n"
      "  README        3  9/13/2020 12:27 PM\r\n"
      "  \xE6\x97\xA5\xE6\x9C\xAC.txt     10  9/13/2020 12:30 PM\r\n"  // 日本: four cells
      "  F:4 D:1 S:1,041\r\n"
      "\r\n"
      "  Sub\\\r\n"
      "    Name        Size  Modified\r\n"
      "    inner.dat  1,024  9/13/2020 12:33 PM\r\n"
      "    F:1 D:0 S:1,024\r\n"
      "\r\n"
      "TF:5 TD:1 TS:2,065\r\n";
  EXPECT_EQ(run(listing_type::text), expected);

  // Folders without rows still have their line and summary; a folder that
  // cannot be read has its line.
  settings.show_folders = 0;
  settings.show_global_summary = 0;
  settings.recursive_options = 1;
  EXPECT_EQ(run(listing_type::text),
            root + "\r\n  All: F:5 D:1 S:2,065\r\n\r\n  Sub\\\r\n    All: F:1 D:0 S:1,024\r\n");
  settings.source_path = (root + "\\missing").c_str();
  EXPECT_EQ(run(listing_type::text), "Unreadable: " + root + "\\missing\r\n");
}

TEST_F(Forms, APreviewIsHtmlWhateverFormIsSaved) {
  char shared_tmp[MAX_PATH] = {};
  GetEnvironmentVariableA("TMP", shared_tmp, MAX_PATH);
  const std::string own_tmp = scratch.string() + "\\tmp";
  CreateDirectoryA(own_tmp.c_str(), nullptr);
  SetEnvironmentVariableA("TMP", own_tmp.c_str());
  settings.action = 0;
  settings.output_type = static_cast<int32_t>(listing_type::json);
  settings.run_active = 1;
  execute_run(settings);
  EXPECT_EQ(settings.result_code.load(), run_result::done);
  const std::string page = read_back(settings.result_file.c_str());
  EXPECT_EQ(page.substr(0, 3), "[1]");
  EXPECT_NE(page.find("[40]"), std::string::npos);
  delete_previous_temporary_file(settings);
  SetEnvironmentVariableA("TMP", *shared_tmp ? shared_tmp : nullptr);
}

TEST_F(Forms, EveryFormReportsAFailedWriteAndAStop) {
  struct full_disk {
    static int32_t write(file_handle, const char*, int32_t) { return 0; }
  };
  struct stop_on_reading {
    static void callback(void* owner, variant* text) {
      if (std::string(text->c_str()).rfind("Reading", 0) == 0)
        static_cast<listing_settings*>(owner)->stop_requested = 1;
      delete text;
    }
  };
  for (listing_type type : {listing_type::csv, listing_type::json, listing_type::text}) {
    SCOPED_TRACE(listing_type_name(type));
    std::ofstream(output_path, std::ios::binary) << "old listing";
    set_write_hook(full_disk::write);
    run(type, run_result::write_failed);
    set_write_hook(nullptr);
    EXPECT_EQ(read_back(output_path), "old listing");

    settings.progress_callback = stop_on_reading::callback;
    settings.callback_owner = &settings;
    settings.stop_requested = 0;
    run(type, run_result::stopped);
    settings.progress_callback = nullptr;
    settings.stop_requested = 0;
    EXPECT_EQ(read_back(output_path), "old listing");
  }
}
