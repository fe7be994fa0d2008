// The listing run: its output file, every result code, stops at each stage,
// and the worker thread.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "base/file_system.h"
#include "engine/listing_output.h"
#include "engine/listing_run.h"
#include "tests/engine/engine_fixture.h"

using namespace lumadir;

namespace {

class Run : public engine_fixture {
 protected:
  void SetUp() override {
    engine_fixture::SetUp();
    root = scratch.string() + "\\tree";
    CreateDirectoryA(root.c_str(), nullptr);
    CreateDirectoryA((root + "\\sub").c_str(), nullptr);
    touch(root + "\\one.txt", "1");
    touch(root + "\\sub\\two.txt", "22");
    use_default_columns();
    settings.source_path = root.c_str();
    output_path = scratch_file("out.html");
    settings.save_as_path = output_path.c_str();
    settings.action = 2;
  }
  void TearDown() override {
    delete_previous_temporary_file(settings);
    engine_fixture::TearDown();
  }

  static void touch(const std::string& path, const char* bytes) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(h, bytes, static_cast<DWORD>(strlen(bytes)), &written, nullptr);
    CloseHandle(h);
  }
  run_result run() {
    settings.run_active = 1;
    execute_run(settings);
    EXPECT_EQ(settings.run_active.load(), 0);
    return settings.result_code;
  }
  static bool exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  std::string root;
  std::string output_path;
};

// Sets the stop request when a progress text starting with `trigger` arrives.
struct stop_on {
  static inline std::string trigger;
  static void callback(void* owner, variant* text) {
    if (std::string(text->c_str()).rfind(trigger, 0) == 0)
      static_cast<listing_settings*>(owner)->stop_requested = 1;
    delete text;
  }
};

}  // namespace

TEST_F(Run, PreviewWritesATemporaryFileAndTheNextRunDeletesIt) {
  // A temporary folder of this test's own: other tests preview in the shared one.
  char shared_tmp[MAX_PATH] = {};
  GetEnvironmentVariableA("TMP", shared_tmp, MAX_PATH);
  const std::string own_tmp = scratch.string() + "\\tmp";
  CreateDirectoryA(own_tmp.c_str(), nullptr);
  SetEnvironmentVariableA("TMP", own_tmp.c_str());
  struct restore {
    const char* value;
    ~restore() { SetEnvironmentVariableA("TMP", *value ? value : nullptr); }
  } restore_tmp{shared_tmp};
  settings.action = 0;
  ASSERT_EQ(run(), run_result::done);
  const std::string first = settings.result_file.c_str();
  EXPECT_EQ(first, std::string(settings.temp_file.c_str()));
  EXPECT_EQ(first.substr(first.size() - 7), "\\1.html");
  // (It is created with the temporary attribute, which Wine does not keep.)
  EXPECT_NE(read_back(first).find("[40]"), std::string::npos);

  // While the last preview's file is held open elsewhere it cannot be deleted,
  // so the next one gets eight random digits.
  HANDLE held =
      CreateFileA(first.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_EQ(run(), run_result::done);
  CloseHandle(held);
  const std::string second = settings.result_file.c_str();
  EXPECT_NE(second, first);
  EXPECT_EQ(second.size(), first.size() - 6 + 13);  // "1.html" became "NNNNNNNN.html"
  EXPECT_EQ(second.substr(second.size() - 5), ".html");
  DeleteFileA(first.c_str());

  ASSERT_EQ(run(), run_result::done);  // deletes the second
  EXPECT_FALSE(exists(second));
}

TEST_F(Run, SaveAndItsFailures) {
  settings.result_file = "";
  ASSERT_EQ(run(), run_result::done);
  EXPECT_EQ(settings.result_file.length(), 0);  // only a preview sets it
  EXPECT_EQ(settings.temp_file.length(), 0);
  EXPECT_TRUE(GetFileAttributesA(output_path.c_str()) & FILE_ATTRIBUTE_ARCHIVE);

  const std::string missing = scratch_file("no-such-folder\\out.html");
  settings.save_as_path = missing.c_str();
  EXPECT_EQ(run(), run_result::cannot_create);
  EXPECT_FALSE(exists(missing));

  settings.action = 5;  // no such action: no output file
  EXPECT_EQ(run(), run_result::cannot_create);
}

// A save never costs the old listing: bad columns are found before any file
// is made, and a failed write, a stop or a refused target leave the old file as
// it was and no unfinished file beside it.
TEST_F(Run, ASaveThatDoesNotFinishKeepsTheOldListing) {
  touch(output_path, "old listing");
  variant dropped;
  settings.columns.pop_back(dropped);  // 31 lines
  EXPECT_EQ(run(), run_result::bad_columns);
  EXPECT_EQ(read_back(output_path), "old listing");
  settings.columns.push(dropped);

  struct full_disk {
    static int32_t write(file_handle, const char*, int32_t) { return 0; }
  };
  set_write_hook(full_disk::write);
  EXPECT_EQ(run(), run_result::write_failed);
  set_write_hook(nullptr);
  EXPECT_EQ(read_back(output_path), "old listing");

  settings.stop_requested = 1;
  EXPECT_EQ(run(), run_result::stopped);
  settings.stop_requested = 0;
  EXPECT_EQ(read_back(output_path), "old listing");

  // A read-only target is refused before anything is written; so is a folder.
  SetFileAttributesA(output_path.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(run(), run_result::cannot_create);
  SetFileAttributesA(output_path.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(read_back(output_path), "old listing");
  settings.save_as_path = root.c_str();
  EXPECT_EQ(run(), run_result::cannot_create);

  // The finished listing takes the old one's place.
  settings.save_as_path = output_path.c_str();
  ASSERT_EQ(run(), run_result::done);
  EXPECT_NE(read_back(output_path).find("[40]"), std::string::npos);
  WIN32_FIND_DATAA data;
  HANDLE left = FindFirstFileA(scratch_file("~lumadir-*").c_str(), &data);
  EXPECT_EQ(left, INVALID_HANDLE_VALUE) << "an unfinished file was left behind";
  if (left != INVALID_HANDLE_VALUE) FindClose(left);
}

// A relative folder is taken from the current directory once, at the start:
// every subfolder is then found by its full path.
TEST_F(Run, ARelativeSourceFolderIsMadeAbsolute) {
  char saved[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, saved);
  SetCurrentDirectoryA(scratch.string().c_str());
  settings.source_path = "tree";
  const run_result result = run();
  SetCurrentDirectoryA(saved);
  ASSERT_EQ(result, run_result::done);
  EXPECT_STREQ(settings.source_path.c_str(), root.c_str());
  const std::string listing = read_back(output_path);
  EXPECT_NE(listing.find("[26]" + root + "\\sub[27]"), std::string::npos);
  EXPECT_EQ(listing.find("[22]"), std::string::npos);  // nothing unreadable
}

TEST_F(Run, NoTemporaryFolderGives600) {
  char saved_tmp[MAX_PATH] = {}, saved_temp[MAX_PATH] = {};
  GetEnvironmentVariableA("TMP", saved_tmp, MAX_PATH);
  GetEnvironmentVariableA("TEMP", saved_temp, MAX_PATH);
  const std::string too_long = "C:\\" + std::string(300, 'x');
  SetEnvironmentVariableA("TMP", too_long.c_str());
  SetEnvironmentVariableA("TEMP", too_long.c_str());
  settings.action = 0;
  const run_result result = run();
  SetEnvironmentVariableA("TMP", saved_tmp[0] ? saved_tmp : nullptr);
  SetEnvironmentVariableA("TEMP", saved_temp[0] ? saved_temp : nullptr);
  EXPECT_EQ(result, run_result::no_temporary_folder);
  EXPECT_EQ(settings.temp_file.length(), 0);
}

TEST_F(Run, StopDuringTheTotalsWalkWritesNothing) {
  settings.recursive_options = 1;
  settings.progress_callback = stop_on::callback;
  settings.callback_owner = &settings;
  stop_on::trigger = "Reading ";
  EXPECT_EQ(run(), run_result::stopped);
  EXPECT_EQ(read_back(output_path), "");

  // The next run starts without the old stop request and runs to its end.
  settings.progress_callback = nullptr;
  settings.stop_requested = 0;
  EXPECT_EQ(run(), run_result::done);
  EXPECT_NE(read_back(output_path).find("[40]"), std::string::npos);
}

TEST_F(Run, StopDuringTheListingKeepsExactlyWhatWasWritten) {
  // A preview keeps what was written up to the stop; a save keeps the old file.
  settings.action = 0;
  ASSERT_EQ(run(), run_result::done);
  const std::string whole = read_back(settings.temp_file.c_str());
  settings.progress_callback = stop_on::callback;
  settings.callback_owner = &settings;
  stop_on::trigger = "Reading " + root + "\\sub";  // the second folder
  EXPECT_EQ(run(), run_result::stopped);
  const std::string part = read_back(settings.temp_file.c_str());
  // Everything up to the second folder's header, and nothing after it.
  const size_t second_header = whole.find("[25]", whole.find("[25]") + 1);
  ASSERT_NE(second_header, std::string::npos);
  EXPECT_EQ(part, whole.substr(0, second_header));

  stop_on::trigger = "Ending";  // the foot: its global summary is written, then 100
  settings.stop_requested = 0;  // as start_run does
  EXPECT_EQ(run(), run_result::stopped);
  const std::string stopped_at_foot = read_back(settings.temp_file.c_str());
  EXPECT_EQ(stopped_at_foot, whole.substr(0, whole.find("[39]")));

  settings.action = 2;
  settings.stop_requested = 0;
  touch(output_path, "old listing");
  EXPECT_EQ(run(), run_result::stopped);
  EXPECT_EQ(read_back(output_path), "old listing");
}

TEST_F(Run, AStopBeforeTheHeadIsNotLost) {
  // Pressed between the start of the run and its head: the run still stops,
  // before anything is written.
  settings.stop_requested = 1;
  EXPECT_EQ(run(), run_result::stopped);
  EXPECT_EQ(read_back(output_path), "");
}

TEST_F(Run, SourcePathIsNormalised) {
  settings.subfolders_level = 0;
  settings.source_path = (root + "\\\\\\").c_str();
  ASSERT_EQ(run(), run_result::done);
  EXPECT_STREQ(settings.source_path.c_str(), root.c_str());
  EXPECT_NE(read_back(output_path).find("[9]" + root + "[12]"), std::string::npos);

  std::string slashed = root;
  for (char& c : slashed)
    if (c == '\\') c = '/';
  settings.source_path = slashed.c_str();
  ASSERT_EQ(run(), run_result::done);
  EXPECT_STREQ(settings.source_path.c_str(), root.c_str());

  variant bare("C:");
  normalise_source_path(bare);
  EXPECT_STREQ(bare.c_str(), "C:\\");
  variant drive_root("C:\\\\");
  normalise_source_path(drive_root);
  EXPECT_STREQ(drive_root.c_str(), "C:\\");
}

TEST_F(Run, ADriveRootListingShowsItsRoot) {
  settings.subfolders_level = 0;
  settings.show_folders = 0;  // no rows: only the drive's own section
  settings.source_path = "C:";
  ASSERT_EQ(run(), run_result::done);
  const std::string text = read_back(output_path);
  variant label;
  variant c_root("C:\\");
  if (volume_label(c_root, label) && label.length() > 0)
    EXPECT_NE(text.find("[9][10]" + std::string(label.c_str()) + "[11]C:\\[12]"),
              std::string::npos);
  else
    EXPECT_NE(text.find("[9]C:\\[12]"), std::string::npos);
  EXPECT_NE(text.find("[26]C:\\[27]"), std::string::npos);
}

TEST_F(Run, AChangedMaskTakesEffectOnTheNextRun) {
  settings.filter.str_files_include = "*.none";
  ASSERT_EQ(run(), run_result::done);
  EXPECT_EQ(read_back(output_path).find("one.txt"), std::string::npos);
  settings.filter.str_files_include = "one.*";  // the lists are rebuilt by the run
  settings.recursive_options = 1;
  ASSERT_EQ(run(), run_result::done);
  EXPECT_NE(read_back(output_path).find("one.txt"), std::string::npos);
}

TEST_F(Run, ManyRowsPassThroughTheBufferInOrder) {
  const std::string many = root + "\\many";
  CreateDirectoryA(many.c_str(), nullptr);
  for (int i = 0; i < 1500; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "\\file%04d.txt", i);
    touch(many + name, "x");
  }
  settings.source_path = many.c_str();
  settings.order_files = 1;
  ASSERT_EQ(run(), run_result::done);
  const std::string text = read_back(output_path);
  ASSERT_GT(text.size(), 2u * listing_output::buffer_size);
  size_t at = 0;
  for (int i = 0; i < 1500; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "[41]file%04d.txt[42]", i);
    at = text.find(name, at);
    ASSERT_NE(at, std::string::npos) << name;
  }
  EXPECT_EQ(text.substr(text.size() - 8), "[39][40]");
}

TEST_F(Run, StartRunWorksOnAWorkerThread) {
  ASSERT_TRUE(start_run(settings));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (settings.run_active.load() != 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(settings.run_active.load(), 0);
  EXPECT_EQ(settings.result_code.load(), run_result::done);

  // A stale stop request is cleared by the start: the run finishes.
  settings.stop_requested = 1;
  ASSERT_TRUE(start_run(settings));
  while (settings.run_active.load() != 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(settings.result_code.load(), run_result::done);

  // A stop while the run is under way ends it with 100.
  settings.progress_callback = stop_on::callback;
  settings.callback_owner = &settings;
  stop_on::trigger = "Reading " + root + "\\sub";
  ASSERT_TRUE(start_run(settings));
  while (settings.run_active.load() != 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(settings.result_code.load(), run_result::stopped);
  stop_run_and_wait(settings);  // returns at once for a run that has ended
  EXPECT_EQ(settings.run_active.load(), 0);
}

// A folder named like a device ("aux") is an ordinary folder to a program that
// passes names exactly: its files are listed. (An ANSI program entered it and
// then read the device, which gives no entries, and showed it empty.)
TEST_F(Run, AFolderNamedLikeADeviceIsListed) {
  const std::string aux = root + "\\aux";
  ASSERT_TRUE(CreateDirectoryA(("\\\\?\\" + aux).c_str(), nullptr));
  touch("\\\\?\\" + aux + "\\inside.txt", "i");
  ASSERT_EQ(run(), run_result::done);
  const std::string listing = read_back(output_path);
  const size_t block = listing.find("[26]" + aux + "[27]");
  ASSERT_NE(block, std::string::npos);
  EXPECT_EQ(listing.find("[41]inside.txt[42]"), listing.find("[41]", block));
  DeleteFileA(("\\\\?\\" + aux + "\\inside.txt").c_str());
  RemoveDirectoryA(("\\\\?\\" + aux).c_str());
}

// A folder that cannot be read when its turn comes (here: gone just before it
// is read, whether in its turn or read ahead) gives the "cannot be read" row
// in its place, never an empty block.
struct remove_on_reading {
  static inline std::string folder;
  static void hook(const variant& path) {
    if (std::string(path.c_str()) == folder) RemoveDirectoryA(folder.c_str());
  }
};

TEST_F(Run, AFolderThatCannotBeReadGetsItsRow) {
  const std::string gone = root + "\\gone";
  for (int32_t threads : {0, -1}) {  // read in its turn, and read ahead
    CreateDirectoryA(gone.c_str(), nullptr);
    remove_on_reading::folder = gone;
    set_folder_read_hook(remove_on_reading::hook);
    settings.read_ahead_threads = threads;
    const run_result result = run();
    set_folder_read_hook(nullptr);
    ASSERT_EQ(result, run_result::done);
    const std::string listing = read_back(output_path);
    EXPECT_NE(listing.find("[22]8[23]Unreadable: " + gone + "[24]"), std::string::npos)
        << listing;
    EXPECT_EQ(listing.find("[26]" + gone + "[27]"), std::string::npos);
  }
}

// Every shown column has a header and a width, even at 0 %, so headers and
// cells line up; the "cannot be read" row spans the shown columns.
TEST_F(Run, HeadersMatchTheShownColumns) {
  settings.columns.clear();
  for (const char* key :
       {"Name", "Size", "Extension", "Modified", "Created", "Accessed", "Attributes", "Type"}) {
    const bool shown = key[0] == 'N' || key[0] == 'S' || key[0] == 'E';
    const char* width = key[0] == 'S' ? "0" : "50";
    for (const char* line : {key, shown ? "1" : "0", width, key})
      settings.columns.push(variant(line));
  }
  ASSERT_EQ(run(), run_result::done);
  const std::string listing = read_back(output_path);
  size_t headers = 0;
  for (size_t at = listing.find("[18]"); at != std::string::npos; at = listing.find("[18]", at + 1))
    ++headers;
  EXPECT_EQ(headers, 3u);
  EXPECT_NE(listing.find("[18]0[19]Size[20]"), std::string::npos);
  EXPECT_NE(listing.find("[25]3[26]"), std::string::npos);  // the folder header spans them
}

// What the user typed for titles and fonts reaches the page as text only.
TEST_F(Run, TitlesAndFontNamesCannotBecomeMarkup) {
  settings.columns.clear();
  for (const char* key :
       {"Name", "Extension", "Size", "Modified", "Created", "Accessed", "Attributes", "Type"})
    for (const char* line : {key, "1", "1", key[0] == 'N' ? "Name <b>&" : key})
      settings.columns.push(variant(line));
  settings.file_font.name = "x'</style><script>alert(3)</script>\"\\";
  ASSERT_EQ(run(), run_result::done);
  const std::string listing = read_back(output_path);
  EXPECT_NE(listing.find("[19]Name &lt;b&gt;&amp;[20]"), std::string::npos);
  EXPECT_EQ(listing.find("<script>"), std::string::npos);
  EXPECT_EQ(listing.find("</style>"), std::string::npos);
  EXPECT_NE(listing.find("font-family:'x\\27 \\3C /style\\3E \\3C script\\3E alert(3)\\3C "
                         "/script\\3E \\22 \\5C ';"),
            std::string::npos)
      << listing.substr(0, 600);
}
