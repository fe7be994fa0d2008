// Everything that shapes a listing, the places the user last worked with, and
// the state of the one listing run that may be under way; read from and written
// to settings.ini.
#pragma once

#include <atomic>
#include <cstdint>

#include "base/number_text.h"
#include "base/variant.h"
#include "base/variant_list.h"
#include "base/variant_map.h"
#include "engine/run_text_cache.h"

namespace lumadir {

class phrase_table;
struct listing_settings;
struct file_entry;
class listing_output;

// How a listing run ended; the numbers are the ones the window has always
// worded (200, 500 and 550 no run of this program gives).
enum class [[nodiscard]] run_result : int32_t{
    done = 0,
    stopped = 100,
    old_failure_200 = 200,
    bad_columns = 300,
    cannot_create = 400,
    write_failed = 450,
    old_failure_500 = 500,
    old_failure_550 = 550,
    no_temporary_folder = 600,
};

// Bits of filter_block::att_filter.
constexpr uint32_t att_filter_on = 1;
constexpr uint32_t att_filter_include = 2;  // keep what matches (else drop it)
constexpr uint32_t att_filter_all = 4;      // every attribute of the set (else any)
// Bits of listing_settings::show_folders: which entries get rows.
constexpr int32_t show_file_rows = 1;
constexpr int32_t show_folder_rows = 2;
// Bits of listing_settings::recursive_options.
constexpr int32_t totals_all_levels = 1;  // folder summaries count all levels below
constexpr int32_t totals_skip_empty = 2;  // folders of no bytes are left out

// The filter's settings: the first block of the record and the filter section
// of settings.ini. The four pattern lists are derived from the four mask texts.
struct filter_block {
  bool time_filter = false;
  time_value time_start = 0;  // first second of the window, UTC
  time_value time_end = 0;    // last second of the window, UTC
  bool size_filter = false;
  uint32_t size_start = 0;  // low halves of the size bounds
  uint32_t size_end = 0;
  uint32_t size_high_start = 0;  // high halves
  uint32_t size_high_end = 0;
  uint32_t att_filter = 0;  // att_filter_* bits
  uint32_t attrs = 0;
  variant str_files_include{"*"};
  variant str_files_skip{""};
  variant str_folder_include{"*"};
  variant str_folder_skip{""};
  variant_list file_include_patterns;
  variant_list file_skip_patterns;
  variant_list folder_include_patterns;
  variant_list folder_skip_patterns;
};

// A font of the listing: colour 0x00BBGGRR, size in points, style bits (1
// italic, 2 underline, 4 line-through), weight 400 or 700, family.
struct font_style {
  uint32_t color;
  int32_t size;
  int32_t style;
  int32_t weight;
  variant name;
};

// Writes one cell of a row: the opening phrase, the text, the closing phrase.
using column_writer = void (*)(int32_t position, const file_entry& entry,
                               listing_settings& settings, listing_output& output);

// Receives each progress text; the receiver owns it.
using progress_function = void (*)(void* owner, variant* text);

constexpr int32_t column_slot_count = 8;

struct listing_settings {
  filter_block filter;

  int32_t order_files = 5;  // 0 none; else the sort key is order_files - 1
  int32_t sort_order = 0;   // 0 ascending, 1 descending
  int32_t show_folder_summary = 1;
  int32_t show_global_summary = 1;
  int32_t show_folders = show_file_rows;  // show_*_rows bits
  int32_t remove_extension_from_name = 0;
  int32_t show_times = 0;
  int32_t size_units = 0;         // 0 bytes, 1 Kb, 2 Mb, -1 by size
  int32_t subfolders_level = -1;  // negative: no limit
  int32_t recursive_options = 0;  // totals_* bits
  // Enter folder links (junctions, symbolic links, mount points), each place
  // once; off, a link is listed and not entered.
  int32_t follow_folder_links = 0;
  // The form of a saved listing (a listing_type: 0 HTML, 1 CSV, 2 JSON, 3 plain
  // text), as the Save as dialog's extension chose it; a preview is HTML.
  int32_t output_type = 0;

  variant_list columns;  // 4 lines per slot: key, shown, width, title
  const int32_t column_slots = column_slot_count;
  column_writer column_writers[column_slot_count] = {};
  int32_t column_widths[column_slot_count] = {};
  int32_t visible_columns = 0;
  variant_list column_titles;

  uint32_t body_background = 0xFFFFFF;
  font_style folder_font{0xFFFFFF, 10, 0, 700, variant("Arial")};
  uint32_t folder_background = 0x000000;
  font_style file_font{0x000000, 10, 0, 400, variant("Arial")};
  uint32_t file_background_odd = 0xE3E3E3;
  uint32_t file_background_even = 0xFFFFFF;
  variant_list custom_colors;

  int32_t enable_internal_viewer = 1;
  int32_t preview_width = 0;
  int32_t preview_height = 0;
  int32_t preview_left = 0;
  int32_t preview_top = 0;
  variant source_path{""};
  variant save_as_path{""};

  // Run state, never in the file. The worker and the interface share only the
  // three atomics.
  uint64_t run_total_size = 0;
  int32_t run_file_count = 0;
  int32_t run_folder_count = 0;
  // Folders and files the listing walk has written so far, whatever the
  // summaries show: for progress displays, on the run's thread.
  int32_t walked_folders = 0;
  int32_t walked_files = 0;
  std::atomic<int32_t> stop_requested{0};
  std::atomic<run_result> result_code{run_result::done};
  std::atomic<int32_t> run_active{0};
  int32_t action = 0;  // 0 preview, 2 save as; stored in the file
  variant size_unit_text{""};
  variant_map size_unit_texts;
  number_format number_format_record;
  variant result_file{""};
  variant temp_file{""};
  const phrase_table* language_phrases = nullptr;
  const phrase_table* format_phrases = nullptr;
  progress_function progress_callback = nullptr;
  void* callback_owner = nullptr;
  // The Type column's answer per extension, and the date and time texts, for
  // the length of one run.
  variant_map file_type_cache;
  // The extensions the registry knows (lower case), listed once per run;
  // "known" false until then, or when the registry could not be listed.
  variant_map registered_extensions;
  bool registered_extensions_known = false;
  bool registered_extensions_read = false;
  run_text_cache text_cache;
  // Threads that read folders ahead of the writing one: negative, as many as
  // suit the machine; 0, none (each folder read when its turn comes).
  int32_t read_ahead_threads = -1;

  listing_settings() noexcept;
  ~listing_settings();
  listing_settings(const listing_settings&) = delete;
  listing_settings& operator=(const listing_settings&) = delete;

  bool stopping() const { return stop_requested.load(std::memory_order_relaxed) != 0; }
  // Hands a progress text to the callback when one is set.
  void progress(variant text);
};

}  // namespace lumadir
