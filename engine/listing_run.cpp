#include "engine/listing_run.h"

#include <chrono>
#include <thread>

#include "base/file_system.h"
#include "engine/columns.h"
#include "engine/filter.h"
#include "engine/csv_format.h"
#include "engine/folder_reader.h"
#include "engine/html_format.h"
#include "engine/json_format.h"
#include "engine/listing_output.h"
#include "engine/text_format.h"
#include "engine/walks.h"

namespace lumadir {

void delete_previous_temporary_file(listing_settings& settings) noexcept {
  if (settings.temp_file.length() == 0) return;
  delete_file(settings.temp_file);
  settings.temp_file = "";
}

// True for "C:\..." and "\\server\..." (on the host, "/..."): a path that names
// its place without the current directory.
static bool is_absolute(const variant& path) {
  const char* p = path.c_str();
  if (path_separator == '/') return p[0] == '/';
  return (p[0] != '\0' && p[1] == ':' && p[2] == '\\') || (p[0] == '\\' && p[1] == '\\');
}

void normalise_source_path(variant& path) noexcept {
  path.convert_to(static_cast<int>(variant_kind::text));
  to_backslashes(path);
  while (path.length() > 0 && path.text().data()[path.length() - 1] == path_separator)
    path.set_length(path.length() - 1);
  if (path_separator == '\\' && path.length() == 2 && path.text().data()[1] == ':')
    path.append('\\');
  if (path.length() == 0 && path_separator == '/') path = "/";  // the host's root
  // A relative path is made absolute once, here: the walk joins names to it and
  // never changes the current directory. An absolute one stays exactly as
  // typed, so that a folder named "foo." is not taken for "foo".
  if (path.length() > 0 && !is_absolute(path)) make_full_path(path);
}

// A target that a finished listing may replace: none yet, or a file that is
// neither a folder nor read-only.
static bool replaceable(variant& target) {
  file_entry facts;
  if (!path_facts(target, facts)) return true;
  return !facts.is_folder && (facts.attributes & file_attribute::read_only) == 0;
}

// The part of a run that has an output file: totals, head, walk, foot. Both
// walks take their folders from one reader and its threads.
static run_result write_listing(listing_settings& settings, listing_format& form) {
  folder_reader reader(settings, settings.read_ahead_threads);
  entry_tree totals;
  file_entry* root = nullptr;
  if (settings.recursive_options != 0) {
    root = file_entry::make();
    if (root) {
      root->is_folder = true;
      totals.insert_front(root);
      if (scan_totals(reader, settings.source_path, settings, totals, root) ==
          run_result::stopped)
        return run_result::stopped;
      if (settings.recursive_options & totals_skip_empty) prune_totals(totals);
    }
  }
  run_result result = form.head(settings.source_path);
  if (result != run_result::done) return result;
  result = list_folder(reader, settings.subfolders_level, settings.source_path, settings, form,
                       root);
  if (result != run_result::done) return result;
  return form.foot();
}

template <typename Form>
static run_result write_listing_as(listing_settings& settings, listing_output& output) {
  Form form(settings, output);
  const run_result result = write_listing(settings, form);
  if (result != run_result::done) return result;
  // Everything produced must reach the file before the run counts as done.
  return output.flush() ? run_result::done : run_result::write_failed;
}

static run_result write_listing_in(listing_type type, listing_settings& settings,
                                   listing_output& output) {
  switch (type) {
    case listing_type::csv:
      return write_listing_as<csv_format>(settings, output);
    case listing_type::json:
      return write_listing_as<json_format>(settings, output);
    case listing_type::text:
      return write_listing_as<text_format>(settings, output);
    case listing_type::html:
      break;
  }
  return write_listing_as<html_format>(settings, output);
}

void execute_run(listing_settings& settings) noexcept {
  build_pattern_lists(settings.filter);
  delete_previous_temporary_file(settings);
  settings.file_type_cache.clear();
  settings.registered_extensions_read = false;  // the registry may have changed since
  settings.text_cache.clear();

  // Unusable columns are found before any file is made, so they cost nothing.
  run_result result = setup_columns(settings);
  const bool preview = settings.action == 0 || settings.action == 1;
  variant output_path("");
  variant target("");
  uint32_t attributes = file_attribute::archive;
  owned_file file;
  if (result == run_result::done && preview) {
    if (temporary_folder(output_path) == 0) {
      result = run_result::no_temporary_folder;
    } else {
      output_path.append("1.html");
      if (!unique_temporary_name(output_path)) result = run_result::cannot_create;
      attributes = file_attribute::temporary;
      if (result == run_result::done) file = create_output_file(output_path, attributes);
    }
  } else if (result == run_result::done && settings.action == 2) {
    // A save is written beside its target and put in its place only when
    // complete: a stop, a failure or a killed process never costs the old file.
    target.assign_text_of(settings.save_as_path);
    if (target.length() > 0 && make_full_path(target) && replaceable(target))
      file = create_file_beside(target, output_path, attributes);
  }
  if (result == run_result::done && !file) result = run_result::cannot_create;

  if (result == run_result::done) {
    if (preview) settings.temp_file = output_path;
    normalise_source_path(settings.source_path);
    {
      listing_output output(file.get());
      // A preview is shown in the browser: HTML whatever the saved form.
      const listing_type type =
          preview ? listing_type::html : listing_type_of(settings.output_type);
      result = write_listing_in(type, settings, output);
      // Whatever was produced before a stop or failure reaches the file.
      if (!output.flush() && result == run_result::done) result = run_result::write_failed;
    }
    if (result == run_result::done && settings.stopping()) result = run_result::stopped;
    if (preview) {
      file.reset();
      if (result == run_result::done) settings.result_file = output_path;
    } else {
      if (result == run_result::done && !flush_file(file.get())) result = run_result::write_failed;
      file.reset();  // closed before it may replace the target
      if (result == run_result::done && !replace_file(output_path, target))
        result = run_result::cannot_create;
      if (result != run_result::done) delete_file(output_path);
    }
  }
  settings.result_code.store(result);
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
    settings.result_code.store(run_result::cannot_create);
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
