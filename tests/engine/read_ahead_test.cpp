// Folders read ahead on a pool of threads against the serial walk: the same
// bytes, the same progress texts in the same order, the same rows for
// folders that cannot be read, the same partial file after a stop, and each
// place entered once when links are followed.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "engine/filter.h"
#include "engine/folder_reader.h"
#include "engine/listing_run.h"
#include "tests/engine/engine_fixture.h"

using namespace lumadir;
namespace fs = std::filesystem;

namespace {

constexpr int32_t serial = 0;
constexpr int32_t four_readers = 4;

// Collects the progress texts, and sets the stop request at the one that
// equals `stop_at`.
struct progress_log {
  std::vector<std::string> texts;
  std::string stop_at;
  listing_settings* settings = nullptr;
  static void callback(void* owner, variant* text) {
    auto* log = static_cast<progress_log*>(owner);
    log->texts.emplace_back(text->c_str());
    if (!log->stop_at.empty() && log->texts.back() == log->stop_at)
      log->settings->stop_requested = 1;
    delete text;
  }
};

class ReadAhead : public engine_fixture {
 protected:
  void SetUp() override {
    engine_fixture::SetUp();
    root = (scratch / "tree").string();
    fs::create_directories(root);
    use_default_columns();
    settings.show_folders = 3;
    settings.source_path = root.c_str();
    output_path = scratch_file("out.html");
    settings.save_as_path = output_path.c_str();
    settings.action = 2;
  }
  void TearDown() override {
    set_folder_read_hook(nullptr);
    delete_previous_temporary_file(settings);
    engine_fixture::TearDown();
  }

  // A deterministic tree of `folders` folders up to six levels deep and
  // `files` files of varied names, extensions and sizes.
  void make_tree(int folders, int files) {
    std::vector<fs::path> made = {fs::path(root)};
    static const char* const words[] = {"report", "Photo", "budget", "notes", "Zeta",
                                        "alpha",  "mix",   "Draft",  "_under"};
    static const char* const extensions[] = {".txt", ".TXT", ".doc", ".jpg", "", ".tar.gz",
                                             ".a",   ".zz"};
    uint32_t seed = 12345;
    auto roll = [&seed](uint32_t n) {
      seed = seed * 1103515245u + 12345u;
      return (seed >> 8) % n;
    };
    std::vector<int> levels = {0};
    while (static_cast<int>(made.size()) < folders) {
      const size_t parent = roll(static_cast<uint32_t>(made.size()));
      if (levels[parent] >= 6) continue;
      const fs::path path =
          made[parent] / (std::string(words[roll(9)]) + " " + std::to_string(made.size()));
      fs::create_directory(path);
      made.push_back(path);
      levels.push_back(levels[parent] + 1);
    }
    for (int i = 0; i < files; ++i) {
      const fs::path path = made[roll(static_cast<uint32_t>(made.size()))] /
                            (std::string(words[roll(9)]) + std::to_string(i) + extensions[roll(8)]);
      std::ofstream(path, std::ios::binary) << std::string(roll(3000), 'x');
    }
  }

  std::string listing(int32_t threads, progress_log* log = nullptr) {
    settings.read_ahead_threads = threads;
    settings.stop_requested = 0;
    settings.progress_callback = log ? progress_log::callback : nullptr;
    settings.callback_owner = log;
    if (log) log->settings = &settings;
    settings.run_active = 1;
    execute_run(settings);
    result = settings.result_code;
    return read_back(output_path);
  }

  // A listing with the given settings, first read once so that reading
  // changes no access time between the two compared runs.
  void expect_same_listing(const char* what) {
    listing(serial);
    progress_log serial_log, parallel_log;
    const std::string expected = listing(serial, &serial_log);
    ASSERT_EQ(result, run_result::done) << what;
    const std::string got = listing(four_readers, &parallel_log);
    EXPECT_EQ(result, run_result::done) << what;
    EXPECT_TRUE(got == expected) << what << ": the listings differ (" << got.size() << " and "
                                 << expected.size() << " bytes)";
    EXPECT_EQ(parallel_log.texts, serial_log.texts) << what;
  }

  std::string root;
  std::string output_path;
  run_result result = run_result::done;
};

}  // namespace

TEST_F(ReadAhead, ALargeTreeIsListedByteForByteAsTheSerialWalkListsIt) {
  make_tree(1000, 6000);
  expect_same_listing("every folder, by name");
  settings.order_files = 4;  // by size
  settings.sort_order = 1;
  settings.remove_extension_from_name = 1;
  expect_same_listing("by size, descending, extensions cut");
  settings.order_files = 0;  // the system's order
  settings.subfolders_level = 2;
  expect_same_listing("two levels, unsorted");
  settings.subfolders_level = -1;
  settings.order_files = 5;
  settings.filter.str_folder_skip = "alpha*;Zeta*";
  settings.filter.str_files_include = "*.txt;*.doc";
  expect_same_listing("folders and files filtered");
  settings.recursive_options = 3;  // totals over all levels, empty folders dropped
  expect_same_listing("with subfolder totals");
  settings.filter.str_files_include = "*.none";
  expect_same_listing("totals of folders without bytes");
}

TEST_F(ReadAhead, TheReaderHandsOutFoldersInWalkOrderWithBoundedReadAhead) {
  make_tree(300, 600);
  build_pattern_lists(settings.filter);
  std::vector<std::string> orders[2];
  for (int pass = 0; pass < 2; ++pass) {
    folder_reader reader(settings, pass == 0 ? serial : four_readers);
    EXPECT_EQ(reader.threads(), pass == 0 ? 0 : four_readers);
    const variant top(root.c_str());
    reader.start_listing(top, -1, nullptr);
    while (folder_contents* folder = reader.next()) orders[pass].emplace_back(folder->path.c_str());
  }
  EXPECT_EQ(orders[0].size(), 300u);
  EXPECT_EQ(orders[1], orders[0]);
  EXPECT_GE(reader_threads_for_machine(), 2);
  EXPECT_LE(reader_threads_for_machine(), 8);
}

// The stop request, set at the progress text of a folder deep in the walk:
// the preview keeps exactly what came before that folder's block.
TEST_F(ReadAhead, AStopKeepsExactlyWhatTheSerialWalkWouldHaveWritten) {
  make_tree(400, 2000);
  settings.action = 0;
  progress_log whole_log;
  listing(serial);
  listing(serial, &whole_log);
  ASSERT_EQ(result, run_result::done);
  const std::string whole = read_back(settings.temp_file.c_str());
  std::vector<size_t> readings;  // where each folder's progress text stands
  for (size_t i = 0; i < whole_log.texts.size(); ++i)
    if (whole_log.texts[i].rfind("Reading ", 0) == 0) readings.push_back(i);
  ASSERT_EQ(readings.size(), 400u);
  for (size_t folder : {size_t{1}, size_t{150}, size_t{399}}) {
    progress_log log;
    log.stop_at = whole_log.texts[readings[folder]];
    listing(four_readers, &log);
    EXPECT_EQ(result, run_result::stopped);
    const std::string part = read_back(settings.temp_file.c_str());
    // Each folder's block starts with the header phrase; the top's comes first.
    size_t header = whole.find("[25]");
    for (size_t n = 0; n < folder && header != std::string::npos; ++n)
      header = whole.find("[25]", header + 1);
    ASSERT_NE(header, std::string::npos);
    EXPECT_TRUE(part == whole.substr(0, header)) << "stopped at folder " << folder;
    EXPECT_EQ(log.texts.size(), readings[folder] + 1);  // nothing reported past the stop
  }
  // A stop in the totals walk writes nothing.
  settings.action = 2;
  settings.recursive_options = 1;
  progress_log log;
  log.stop_at = whole_log.texts[readings[20]];
  listing(four_readers, &log);
  EXPECT_EQ(result, run_result::stopped);
  EXPECT_EQ(read_back(output_path), "");
}

// A folder that disappears just before it is read: its "cannot be read" row
// stands where its block would have stood, however far ahead it was read.
std::string vanishing;
void remove_before_reading(const variant& folder) {
  if (vanishing == folder.c_str()) {
    std::error_code ignored;
    fs::remove_all(vanishing, ignored);
  }
}

TEST_F(ReadAhead, AFolderThatCannotBeReadGetsItsRowInItsPlace) {
  make_tree(200, 800);
  // No times: the vanishing folder is made anew for each walk.
  settings.columns.clear();
  for (const char* key :
       {"Name", "Extension", "Size", "Modified", "Created", "Accessed", "Attributes", "Type"}) {
    const bool shown = key[0] == 'N' || key[0] == 'E' || key[0] == 'S';
    for (const char* line : {key, shown ? "1" : "0", "1", key}) settings.columns.push(variant(line));
  }
  const std::string gone = root + static_cast<char>(path_separator) + "gone";
  listing(serial);
  std::string listings[2];
  for (int pass = 0; pass < 2; ++pass) {
    fs::create_directories(fs::path(gone) / "below");
    vanishing = gone;
    set_folder_read_hook(remove_before_reading);
    listings[pass] = listing(pass == 0 ? serial : four_readers);
    set_folder_read_hook(nullptr);
    EXPECT_EQ(result, run_result::done);
    EXPECT_NE(listings[pass].find("[23]Unreadable: " + gone + "[24]"), std::string::npos)
        << "pass " << pass;
    EXPECT_EQ(listings[pass].find("below"), std::string::npos);
  }
  EXPECT_TRUE(listings[1] == listings[0]);
}

// Links to an ancestor and to a sibling, followed: each place is entered once,
// by the road the walk meets first, whatever the readers met first.
TEST_F(ReadAhead, FollowedLinksEnterEachPlaceOnceInWalkOrder) {
  make_tree(150, 400);
  std::error_code error;
  fs::create_directory_symlink(root, fs::path(root) / "a link to the top", error);
  if (error) GTEST_SKIP() << "no folder links here: " << error.message();
  fs::path some_folder;
  for (const auto& e : fs::directory_iterator(root))
    if (e.is_directory() && !e.is_symlink()) some_folder = e.path();
  fs::create_directory_symlink(some_folder, fs::path(root) / "0 first road", error);
  ASSERT_FALSE(error);
  settings.follow_folder_links = 1;
  expect_same_listing("links followed");
  settings.recursive_options = 1;
  expect_same_listing("links followed, with totals");
  settings.follow_folder_links = 0;
  settings.recursive_options = 0;
  expect_same_listing("links listed, not entered");
}
