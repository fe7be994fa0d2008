// A bare walk of a tree (only FindFirstFileA / FindNextFileA, as fast as a walk
// can be) against a full listing of the same tree with all eight columns, in one
// run; prints both times, their ratio and the listing's peak memory.
//   listing_bench.exe TREE DATA_FOLDER [name]     (name: the Name column alone)
// The Type column on a tree whose every file has an extension of its own against
// one whose files share one extension (trees of make_tree.py --types): the cost
// of many extensions, which should be little more than that of one.
//   listing_bench.exe types DISTINCT_TREE ONE_TREE DATA_FOLDER
// The same listing as HTML, CSV, JSON and plain text (listing_forms_bench).
//   listing_bench.exe forms TREE DATA_FOLDER
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <set>
#include <string>

#include "base/phrase_table.h"
#include "base/regex_binding.h"
#include "bench/listing_forms_bench.h"
#include "engine/listing_run.h"
#include "engine/settings_file.h"

using namespace lumadir;
using bench_clock = std::chrono::steady_clock;

static long long bare_walk(const std::string& folder, long long& files) {
  long long folders = 0;
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return 0;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (!strcmp(data.cFileName, ".") || !strcmp(data.cFileName, "..")) continue;
      folders += 1 + bare_walk(folder + "\\" + data.cFileName, files);
    } else {
      ++files;
    }
  } while (FindNextFileA(h, &data));
  FindClose(h);
  return folders;
}

static double seconds_since(bench_clock::time_point start) {
  return std::chrono::duration<double>(bench_clock::now() - start).count();
}

// Files and their distinct extensions (what follows the last dot of a name).
static void count_extensions(const std::string& folder, long long& files,
                             std::set<std::string>& extensions) {
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (strcmp(data.cFileName, ".") && strcmp(data.cFileName, ".."))
        count_extensions(folder + "\\" + data.cFileName, files, extensions);
    } else {
      ++files;
      const char* dot = strrchr(data.cFileName, '.');
      extensions.insert(dot ? dot + 1 : "");
    }
  } while (FindNextFileA(h, &data));
  FindClose(h);
}

constexpr const char* all_columns[] = {"Name",    "Extension", "Size",       "Modified",
                                       "Created", "Accessed",  "Attributes", "Type"};

// Settings for a listing of the tree with the given columns on, saved to a
// scratch file of the given name (its path into `output`); false, said on
// standard error, when the data files cannot be read.
static bool prepare_listing(listing_settings& settings, phrase_table& format,
                            phrase_table& language, const std::string& tree,
                            const std::string& data, const std::set<std::string>& shown,
                            const char* output_name, std::string& output) {
  variant error;
  if (read_settings(settings, variant((data + "\\settings.ini").c_str())) != 0 ||
      format.load(variant((data + "\\format.xml").c_str()), error) != 0 ||
      language.load(variant((data + "\\vxlang.xml").c_str()), error) != 0) {
    std::fprintf(stderr, "listing_bench: cannot read the data files in %s\n", data.c_str());
    return false;
  }
  settings.format_phrases = &format;
  settings.language_phrases = &language;
  settings.columns.clear();
  for (const char* key : all_columns)
    for (const char* line : {key, shown.count(key) ? "1" : "0", "1", key})
      settings.columns.push(variant(line));
  settings.show_folders = 3;
  settings.show_times = 1;
  settings.size_units = -1;
  settings.source_path = tree.c_str();
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  output = std::string(temp) + output_name;
  settings.save_as_path = output.c_str();
  settings.action = 2;
  return true;
}

// A listing of the tree with the given columns on; its time in seconds, or a
// negative time when the data files cannot be read.
static double timed_listing(const std::string& tree, const std::string& data,
                            const std::set<std::string>& shown, int& result) {
  listing_settings settings;
  phrase_table format, language;
  std::string output;
  if (!prepare_listing(settings, format, language, tree, data, shown, "lumadir-bench-types.html",
                       output))
    return -1;
  const auto start = bench_clock::now();
  settings.run_active = 1;
  execute_run(settings);
  const double seconds = seconds_since(start);
  DeleteFileA(output.c_str());
  result = settings.result_code.load();
  return seconds;
}

static int compare_types(const std::string& distinct_tree, const std::string& one_tree,
                         const std::string& data) {
  // The counting walks also warm the system's caches for both trees alike.
  long long distinct_files = 0, one_files = 0;
  std::set<std::string> distinct_extensions, one_extensions;
  count_extensions(distinct_tree, distinct_files, distinct_extensions);
  count_extensions(one_tree, one_files, one_extensions);
  const std::set<std::string> shown = {"Name", "Type"};
  int distinct_result = 0, one_result = 0;
  const double one = timed_listing(one_tree, data, shown, one_result);
  if (one < 0) return 4;
  const double distinct = timed_listing(distinct_tree, data, shown, distinct_result);
  std::printf("type column, %lld files, %zu extension(s):   %.2f s (result %d)\n", one_files,
              one_extensions.size(), one, one_result);
  std::printf("type column, %lld files, %zu extension(s):   %.2f s (result %d)\n", distinct_files,
              distinct_extensions.size(), distinct, distinct_result);
  std::printf("ratio, many extensions to one:  %.2f (goal: 1.30 at most)\n",
              one > 0 ? distinct / one : 0.0);
  return one_result == 0 && distinct_result == 0 ? 0 : 1;
}

int main(int argc, char** argv) {
  if (argc == 5 && !strcmp(argv[1], "types")) {
    if (!load_regex_library()) return 3;
    return compare_types(argv[2], argv[3], argv[4]);
  }
  if (argc == 4 && !strcmp(argv[1], "forms")) {
    if (!load_regex_library()) return 3;
    return compare_listing_forms(argv[2], argv[3]);
  }
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: listing_bench TREE DATA_FOLDER [name]\n"
                 "       listing_bench types DISTINCT_TREE ONE_TREE DATA_FOLDER\n"
                 "       listing_bench forms TREE DATA_FOLDER\n");
    return 2;
  }
  const std::string tree = argv[1];
  const std::string data = argv[2];
  if (!load_regex_library()) return 3;

  // A warm-up walk, so both timed passes find the system's caches alike.
  long long files = 0;
  bare_walk(tree, files);

  files = 0;
  auto start = bench_clock::now();
  const long long folders = bare_walk(tree, files);
  const double walk = seconds_since(start);

  listing_settings settings;
  phrase_table format, language;
  const bool name_only = argc > 3 && !strcmp(argv[3], "name");
  std::set<std::string> shown(std::begin(all_columns), std::end(all_columns));
  if (name_only) shown = {"Name"};
  std::string output;
  if (!prepare_listing(settings, format, language, tree, data, shown, "lumadir-bench.html", output))
    return 4;

  start = bench_clock::now();
  settings.run_active = 1;
  execute_run(settings);
  const double listing = seconds_since(start);

  PROCESS_MEMORY_COUNTERS memory = {};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  WIN32_FILE_ATTRIBUTE_DATA facts;
  GetFileAttributesExA(output.c_str(), GetFileExInfoStandard, &facts);
  DeleteFileA(output.c_str());

  std::printf("tree:              %lld files in %lld folders\n", files, folders + 1);
  std::printf("bare walk:         %.2f s\n", walk);
  std::printf("full listing:      %.2f s (result %d, %.1f MB of HTML, %s)\n", listing,
              settings.result_code.load(),
              facts.nFileSizeLow / 1048576.0 + facts.nFileSizeHigh * 4096.0,
              name_only ? "the Name column alone" : "all eight columns");
  std::printf("ratio:             %.2f\n", walk > 0 ? listing / walk : 0.0);
  std::printf("peak memory:       %.1f MB (working set of the whole process)\n",
              memory.PeakWorkingSetSize / 1048576.0);
  return settings.result_code == 0 ? 0 : 1;
}
