// The listing against a bare walk of the same tree, in one run: a bare walk
// (only FindFirstFileA / FindNextFileA, as fast as a walk can be), the system's
// enumeration calls against each other, and full listings with all eight
// columns, the folders read serially and read ahead; the same with subfolder
// totals; slow storage (a fixed delay before every folder read); how long a
// stop takes; the peak memory.
//   listing_bench.exe TREE DATA_FOLDER [name]     (name: the Name column alone)
// Time per entry of a large tree against a smaller one, and the peak memory:
//   listing_bench.exe million SMALL_TREE LARGE_TREE DATA_FOLDER
// The Type column on a tree whose every file has an extension of its own against
// one whose files share one extension (trees of make_tree.py --types): the cost
// of many extensions, which should be little more than that of one.
//   listing_bench.exe types DISTINCT_TREE ONE_TREE DATA_FOLDER
// The same listing as HTML, CSV, JSON and plain text (listing_forms_bench).
//   listing_bench.exe forms TREE DATA_FOLDER
#include <windows.h>
#include <psapi.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/phrase_table.h"
#include "base/regex_binding.h"
#include "base/file_system.h"
#include "bench/listing_forms_bench.h"
#include "engine/filter.h"
#include "engine/folder_reader.h"
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
      format.load(variant((data + "\\format.xml").c_str()), error) != phrase_load::loaded ||
      language.load(variant((data + "\\vxlang.xml").c_str()), error) != phrase_load::loaded) {
    std::fprintf(stderr, "listing_bench: cannot read the data files in %s\n", data.c_str());
    return false;
  }
  settings.format_phrases = &format;
  settings.language_phrases = &language;
  settings.columns.clear();
  for (const char* key : all_columns)
    for (const char* line : {key, shown.count(key) ? "1" : "0", "1", key})
      settings.columns.push(variant(line));
  settings.show_folders = show_file_rows | show_folder_rows;
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
  result = static_cast<int>(settings.result_code.load());
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

// ---- the system's enumeration calls, each in a walk of the whole tree --------

// What every walk does with an entry, so that only the calls differ: the name
// in UTF-8, and the path of a folder to go into.
static void take_name(const wchar_t* name, int units, char (&utf8)[1024]) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, name, units, utf8, sizeof utf8 - 1, nullptr, nullptr);
  utf8[n > 0 ? n : 0] = '\0';
}

static bool is_dots(const wchar_t* name, int units) {
  return name[0] == L'.' && (units == 1 || (units == 2 && name[1] == L'.'));
}

// FindFirstFileExW, basic information (no short names), large fetches: the
// file layer's call.
static long long walk_find_ex(const std::wstring& folder, long long& files) {
  long long folders = 0;
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data,
                              FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE) return 0;
  char utf8[1024];
  do {
    const int units = lstrlenW(data.cFileName);
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && is_dots(data.cFileName, units))
      continue;
    take_name(data.cFileName, units, utf8);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      folders += 1 + walk_find_ex(folder + L"\\" + data.cFileName, files);
    else
      ++files;
  } while (FindNextFileW(h, &data));
  FindClose(h);
  return folders;
}

// GetFileInformationByHandleEx on the open folder, a 64 KiB buffer at a time,
// in either of the two classes that give names, attributes, sizes and times.
template <typename Info>
static long long walk_by_handle(const std::wstring& folder, long long& files,
                                FILE_INFO_BY_HANDLE_CLASS restart, FILE_INFO_BY_HANDLE_CLASS more) {
  long long folders = 0;
  HANDLE h = CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 0;
  // One buffer per level: the walk goes down while its folder's is in use.
  std::vector<uint64_t> block(64 * 1024 / sizeof(uint64_t));
  char* buffer = reinterpret_cast<char*>(block.data());
  const DWORD buffer_size = static_cast<DWORD>(block.size() * sizeof(uint64_t));
  char utf8[1024];
  for (bool first = true; GetFileInformationByHandleEx(h, first ? restart : more, buffer,
                                                       buffer_size);
       first = false) {
    for (const char* at = buffer;;) {
      const auto* info = reinterpret_cast<const Info*>(at);
      const int units = static_cast<int>(info->FileNameLength / sizeof(wchar_t));
      const bool folder_entry = (info->FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      if (!(folder_entry && is_dots(info->FileName, units))) {
        take_name(info->FileName, units, utf8);
        if (folder_entry)
          folders += 1 + walk_by_handle<Info>(folder + L"\\" + std::wstring(info->FileName, units),
                                               files, restart, more);
        else
          ++files;
      }
      if (info->NextEntryOffset == 0) break;
      at += info->NextEntryOffset;
    }
  }
  CloseHandle(h);
  return folders;
}

static std::wstring wide_of(const std::string& text) {
  std::wstring out(text.size() + 1, L'\0');
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, out.data(),
                                    static_cast<int>(out.size()));
  out.resize(n > 0 ? n - 1 : 0);
  for (wchar_t& c : out)
    if (c == L'/') c = L'\\';  // a long path is taken as it stands
  return out;
}

static void compare_enumerations(const std::string& tree, double bare) {
  const std::wstring top = L"\\\\?\\" + wide_of(tree);
  long long files = 0;
  auto start = bench_clock::now();
  walk_find_ex(top, files);
  const double find_ex = seconds_since(start);
  const long long find_ex_files = files;
  files = 0;
  start = bench_clock::now();
  walk_by_handle<FILE_ID_BOTH_DIR_INFO>(top, files, FileIdBothDirectoryRestartInfo,
                                        FileIdBothDirectoryInfo);
  const double id_both = seconds_since(start);
  const long long id_both_files = files;
  files = 0;
  start = bench_clock::now();
  walk_by_handle<FILE_FULL_DIR_INFO>(top, files, FileFullDirectoryRestartInfo,
                                     FileFullDirectoryInfo);
  const double full = seconds_since(start);
  std::printf("enumeration, FindFirstFileExW (basic, large fetch):  %.2f s  (%.2fx bare, %lld files)\n",
              find_ex, find_ex / bare, find_ex_files);
  std::printf("enumeration, by handle, FileIdBothDirectoryInfo:     %.2f s  (%.2fx bare, %lld files)\n",
              id_both, id_both / bare, id_both_files);
  std::printf("enumeration, by handle, FileFullDirectoryInfo:       %.2f s  (%.2fx bare, %lld files)\n",
              full, full / bare, files);
}

// ---- listings ------------------------------------------------------------------

struct listing_figures {
  double seconds = 0;
  int result = -1;
  double megabytes = 0;
  int threads = 0;
};

// One listing of the tree, all eight columns (or the Name column alone), with
// the given reading threads (0: serial), subfolder totals on or off.
static listing_figures timed_run(const std::string& tree, const std::string& data,
                                 const std::set<std::string>& shown, int threads, bool totals) {
  listing_figures figures;
  listing_settings settings;
  phrase_table format, language;
  std::string output;
  if (!prepare_listing(settings, format, language, tree, data, shown, "lumadir-bench.html", output))
    return figures;
  settings.read_ahead_threads = threads;
  settings.recursive_options = totals ? 1 : 0;
  {
    folder_reader probe(settings, threads);
    figures.threads = probe.threads();
  }
  const auto start = bench_clock::now();
  settings.run_active = 1;
  execute_run(settings);
  figures.seconds = seconds_since(start);
  figures.result = static_cast<int>(settings.result_code.load());
  WIN32_FILE_ATTRIBUTE_DATA facts;
  if (GetFileAttributesExA(output.c_str(), GetFileExInfoStandard, &facts))
    figures.megabytes = facts.nFileSizeLow / 1048576.0 + facts.nFileSizeHigh * 4096.0;
  DeleteFileA(output.c_str());
  return figures;
}

// The reading side alone: every folder read, filtered, split and sorted, in
// walk order, nothing written. Gives the entries seen.
static double timed_reading(const std::string& tree, const std::string& data, int threads,
                            long long& entries) {
  listing_settings settings;
  phrase_table format, language;
  std::string output;
  std::set<std::string> shown(std::begin(all_columns), std::end(all_columns));
  if (!prepare_listing(settings, format, language, tree, data, shown, "unused.html", output))
    return -1;
  build_pattern_lists(settings.filter);
  entries = 0;
  const auto start = bench_clock::now();
  {
    folder_reader reader(settings, threads);
    reader.start_listing(settings.source_path, -1, nullptr);
    while (folder_contents* folder = reader.next())
      for (file_entry* e = folder->entries.first(); e; e = e->next) ++entries;
  }
  return seconds_since(start);
}

// The file layer's enumeration alone, serially: find_files over the tree.
static void file_layer_walk(const variant& folder, long long& entries) {
  entry_tree tree;
  variant path(folder);
  if (!find_files(path, tree, nullptr, true, variant("*"))) return;
  for (file_entry* e = tree.first(); e; e = e->next) {
    ++entries;
    if (e->is_folder && !e->is_link) file_layer_walk(path_in(folder, e->name.c_str()), entries);
  }
}

static double peak_megabytes() {
  PROCESS_MEMORY_COUNTERS memory = {};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  return memory.PeakWorkingSetSize / 1048576.0;
}

static void wait_two_ms(const variant&) {
  Sleep(2);
}

// How long a stop takes: a read-ahead listing on its worker thread, stopped
// after `after_ms`; milliseconds from the request until the run has ended.
static double stop_latency(const std::string& tree, const std::string& data, int after_ms) {
  listing_settings settings;
  phrase_table format, language;
  std::string output;
  std::set<std::string> shown(std::begin(all_columns), std::end(all_columns));
  if (!prepare_listing(settings, format, language, tree, data, shown, "lumadir-bench-stop.html",
                       output))
    return -1;
  if (!start_run(settings)) return -1;
  std::this_thread::sleep_for(std::chrono::milliseconds(after_ms));
  const auto start = bench_clock::now();
  settings.stop_requested = 1;
  while (settings.run_active.load() != 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
  const double ms = seconds_since(start) * 1000;
  DeleteFileA(output.c_str());
  return settings.result_code == run_result::stopped ? ms : -ms;
}

static const char* verdict(bool met) {
  return met ? "met" : "MISSED";
}

// The reading threads of the read-ahead runs: the machine's choice, unless
// LUMADIR_BENCH_THREADS names a number (for trying others).
static int ahead_threads() {
  const char* given = std::getenv("LUMADIR_BENCH_THREADS");
  return given && *given ? std::atoi(given) : -1;
}

static int main_listing(const std::string& tree, const std::string& data, bool name_only) {
  // A warm-up walk, so every timed pass finds the system's caches alike.
  long long files = 0;
  bare_walk(tree, files);
  files = 0;
  auto start = bench_clock::now();
  const long long folders = bare_walk(tree, files);
  const double walk = seconds_since(start);
  std::printf("tree:              %lld files in %lld folders\n", files, folders + 1);
  std::printf("bare walk:         %.2f s (FindFirstFileA, one thread)\n", walk);
  compare_enumerations(tree, walk);

  std::set<std::string> shown(std::begin(all_columns), std::end(all_columns));
  if (name_only) shown = {"Name"};
  const char* columns = name_only ? "the Name column alone" : "all eight columns";

  // Where a listing's time goes: enumeration, then filter, split and sort,
  // then writing.
  long long entries = 0;
  start = bench_clock::now();
  file_layer_walk(variant(tree.c_str()), entries);
  const double enumeration = seconds_since(start);
  const double reading = timed_reading(tree, data, 0, entries);
  const listing_figures serial = timed_run(tree, data, shown, 0, false);
  const listing_figures ahead = timed_run(tree, data, shown, ahead_threads(), false);
  const double reading_ahead = timed_reading(tree, data, ahead_threads(), entries);
  std::printf("serial listing:    %.2f s (%.2fx bare; result %d, %.1f MB of HTML, %s)\n",
              serial.seconds, serial.seconds / walk, serial.result, serial.megabytes, columns);
  std::printf("  of which: enumeration (file layer) %.2f s, filter+split+sort %.2f s, writing %.2f s\n",
              enumeration, reading - enumeration, serial.seconds - reading);
  std::printf("read-ahead listing: %.2f s (%.2fx bare; %d reading threads; result %d)   goal <= 1.00x: %s\n",
              ahead.seconds, ahead.seconds / walk, ahead.threads, ahead.result,
              verdict(ahead.seconds <= walk));
  std::printf("  reading alone, read ahead: %.2f s (%.2fx bare)\n", reading_ahead,
              reading_ahead / walk);

  const listing_figures serial_totals = timed_run(tree, data, shown, 0, true);
  const listing_figures ahead_totals = timed_run(tree, data, shown, ahead_threads(), true);
  std::printf("with subfolder totals: serial %.2f s (%.2fx bare), read ahead %.2f s (%.2fx bare)   goal <= 1.50x: %s\n",
              serial_totals.seconds, serial_totals.seconds / walk, ahead_totals.seconds,
              ahead_totals.seconds / walk, verdict(ahead_totals.seconds <= 1.5 * walk));

  set_folder_read_hook(wait_two_ms);
  const listing_figures slow_serial = timed_run(tree, data, shown, 0, false);
  const listing_figures slow_ahead = timed_run(tree, data, shown, ahead_threads(), false);
  set_folder_read_hook(nullptr);
  const double speedup = slow_ahead.seconds > 0 ? slow_serial.seconds / slow_ahead.seconds : 0;
  std::printf("slow storage (2 ms per folder read): serial %.2f s, read ahead %.2f s: %.2fx faster   goal >= 4x: %s\n",
              slow_serial.seconds, slow_ahead.seconds, speedup, verdict(speedup >= 4));

  const double stop_ms = stop_latency(tree, data, 300);
  std::printf("stop during a read-ahead listing: ended %.1f ms after the request   goal <= 100 ms: %s\n",
              stop_ms, verdict(stop_ms >= 0 && stop_ms <= 100));
  std::printf("peak memory:       %.1f MB (working set of the whole process)\n", peak_megabytes());
  const bool all_done = serial.result == 0 && ahead.result == 0 && serial_totals.result == 0 &&
                        ahead_totals.result == 0 && slow_serial.result == 0 && slow_ahead.result == 0;
  return all_done ? 0 : 1;
}

// Time per entry of the large tree against the small one's, read ahead, and
// the process's peak working set (the large listing sets it).
static int main_million(const std::string& small_tree, const std::string& large_tree,
                        const std::string& data) {
  const std::set<std::string> shown(std::begin(all_columns), std::end(all_columns));
  long long small_files = 0, large_files = 0;
  const long long small_folders = bare_walk(small_tree, small_files) + 1;
  const long long large_folders = bare_walk(large_tree, large_files) + 1;
  const listing_figures small = timed_run(small_tree, data, shown, ahead_threads(), false);
  const listing_figures large = timed_run(large_tree, data, shown, ahead_threads(), false);
  const double small_per = small.seconds / double(small_files + small_folders) * 1e6;
  const double large_per = large.seconds / double(large_files + large_folders) * 1e6;
  std::printf("read-ahead listing, %lld files in %lld folders: %.2f s, %.2f us per entry\n",
              small_files, small_folders, small.seconds, small_per);
  std::printf("read-ahead listing, %lld files in %lld folders: %.2f s, %.2f us per entry (%.1f MB of HTML)\n",
              large_files, large_folders, large.seconds, large_per, large.megabytes);
  std::printf("time per entry, large to small: %.2f   goal <= 1.15: %s\n", large_per / small_per,
              verdict(large_per <= 1.15 * small_per));
  const double peak = peak_megabytes();
  std::printf("peak working set: %.1f MB   goal < 40 MB: %s\n", peak, verdict(peak < 40));
  return small.result == 0 && large.result == 0 ? 0 : 1;
}

int main(int argc, char** argv) {
  if (argc == 5 && !strcmp(argv[1], "types")) {
    if (!load_regex_library()) return 3;
    return compare_types(argv[2], argv[3], argv[4]);
  }
  if (argc == 5 && !strcmp(argv[1], "million")) {
    if (!load_regex_library()) return 3;
    return main_million(argv[2], argv[3], argv[4]);
  }
  if (argc == 4 && !strcmp(argv[1], "forms")) {
    if (!load_regex_library()) return 3;
    return compare_listing_forms(argv[2], argv[3]);
  }
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: listing_bench TREE DATA_FOLDER [name]\n"
                 "       listing_bench million SMALL_TREE LARGE_TREE DATA_FOLDER\n"
                 "       listing_bench types DISTINCT_TREE ONE_TREE DATA_FOLDER\n"
                 "       listing_bench forms TREE DATA_FOLDER\n");
    return 2;
  }
  if (!load_regex_library()) return 3;
  return main_listing(argv[1], argv[2], argc > 3 && !strcmp(argv[3], "name"));
}
