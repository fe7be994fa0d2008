#include "engine/listing_run.h"

#include <chrono>
#include <thread>

#include "base/file_system.h"
#include "engine/filter.h"
#include "engine/html_writer.h"
#include "engine/listing_output.h"
#include "engine/walks.h"

namespace lumadir {

void delete_previous_temporary_file(listing_settings& settings) noexcept {
  if (settings.temp_file.length() == 0) return;
  delete_file(settings.temp_file);
  settings.temp_file = "";
}

void normalise_source_path(variant& path) noexcept {
  path.convert_to(static_cast<int>(variant_kind::text));
  to_backslashes(path);
  while (path.length() > 0 && path.text().data()[path.length() - 1] == path_separator)
    path.set_length(path.length() - 1);
  if (path_separator == '\\' && path.length() == 2 && path.text().data()[1] == ':')
    path.append('\\');
  if (path.length() == 0 && path_separator == '/') path = "/";  // the host's root
}

// The part of a run that has an output file: totals, head, walk, foot.
static int32_t write_listing(listing_settings& settings, listing_output& output) {
  entry_tree totals;
  file_entry* root = nullptr;
  if (settings.recursive_options != 0) {
    root = file_entry::make();
    if (root) {
      root->is_folder = true;
      totals.insert_front(root);
      if (scan_totals(settings.source_path, settings, totals, root) == run_stopped)
        return run_stopped;
      if (settings.recursive_options & 2) prune_totals(totals);
    }
  }
  int32_t result = write_head(settings.source_path, settings, output);
  if (result != 0) return result;
  result = list_folder(settings.subfolders_level, settings.source_path, settings, output,
                       root ? &totals : nullptr, root);
  if (result != 0) return result;
  result = write_foot(settings, output);
  if (result != 0) return result;
  // Everything produced must reach the file before the run counts as done.
  return output.flush() ? run_done : run_write_failed;
}

void execute_run(listing_settings& settings) noexcept {
  build_pattern_lists(settings.filter);
  delete_previous_temporary_file(settings);
  settings.file_type_cache.clear();
  settings.text_cache.clear();

  const bool preview = settings.action == 0 || settings.action == 1;
  variant output_path("");
  uint32_t attributes = 0x20;
  int32_t result = run_done;
  if (preview) {
    if (temporary_folder(output_path) == 0) {
      result = run_no_temporary_folder;
    } else {
      output_path.append("1.html");
      if (!unique_temporary_name(output_path)) result = run_cannot_create;
      attributes = 0x100;
    }
  } else if (settings.action == 2) {
    output_path.assign_text_of(settings.save_as_path);
  }

  if (result == run_done) {
    const file_handle file = output_path.length() > 0 ? create_output_file(output_path, attributes)
                                                      : invalid_file_handle();
    if (file == invalid_file_handle()) {
      result = run_cannot_create;
    } else {
      if (preview) settings.temp_file = output_path;
      normalise_source_path(settings.source_path);
      {
        listing_output output(file);
        result = write_listing(settings, output);
        // Whatever was produced before a stop or failure reaches the file.
        if (!output.flush() && result == run_done) result = run_write_failed;
      }
      close_file(file);
      if (result == run_done) {
        if (settings.stopping()) {
          result = run_stopped;
        } else if (preview) {
          settings.result_file = output_path;
        }
      }
    }
  }
  settings.result_code = result;
  settings.run_active.store(0, std::memory_order_release);  // the very last action
}

bool start_run(listing_settings& settings) noexcept {
  settings.stop_requested = 0;
  settings.run_active = 1;
  try {
    std::thread worker(execute_run, std::ref(settings));
    worker.detach();
  } catch (...) {
    // The standard thread reports a failed start only by throwing.
    settings.result_code = run_cannot_create;
    settings.run_active = 0;
    return false;
  }
  return true;
}

void stop_run_and_wait(listing_settings& settings) noexcept {
  settings.stop_requested = 1;
  while (settings.run_active.load(std::memory_order_acquire) != 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

}  // namespace lumadir
