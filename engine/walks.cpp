#include "engine/walks.h"

#include "engine/columns.h"
#include "engine/html_writer.h"

namespace lumadir {

// One row: row start by parity, a cell per visible column, row end. Times are
// shown in local time.
static run_result write_row(file_entry& entry, bool odd_row, listing_settings& settings,
                            listing_output& output) {
  entry.modified = settings.text_cache.to_local(entry.modified);
  entry.created = settings.text_cache.to_local(entry.created);
  entry.accessed = settings.text_cache.to_local(entry.accessed);
  if (!write_row_start(odd_row, settings, output)) return run_result::write_failed;
  if (settings.stopping()) return run_result::stopped;
  for (int32_t position = 0; position < settings.column_slots; ++position) {
    if (column_writer writer = settings.column_writers[position]) {
      writer(position, entry, settings, output);
      if (settings.stopping()) return run_result::stopped;
    }
  }
  if (!write_row_end(settings, output)) return run_result::write_failed;
  if (settings.stopping()) return run_result::stopped;
  return run_result::done;
}

// One folder's block: its header, a row per shown entry, its summary; or the
// "cannot be read" row.
static run_result write_folder(folder_contents& folder, listing_settings& settings,
                               listing_output& output) {
  if (!folder.readable)
    return write_unreadable_folder(folder.path, settings, output) ? run_result::done
                                                                  : run_result::write_failed;
  if (!write_folder_header(folder.path, settings, output)) return run_result::write_failed;

  bool odd_row = true;
  int32_t files = 0;
  int32_t folders = 0;
  uint64_t size = 0;
  for (file_entry* e = folder.entries.first(); e; e = e->next) {
    const bool gets_row = e->is_folder ? (settings.show_folders & show_folder_rows) != 0
                                       : (settings.show_folders & show_file_rows) != 0;
    if (gets_row) {
      const run_result written = write_row(*e, odd_row, settings, output);
      if (written != run_result::done) return written;
      odd_row = !odd_row;
    }
    if (e->is_folder) {
      ++folders;
    } else {
      ++files;
      size += e->size;
    }
  }

  ++settings.walked_folders;
  settings.walked_files += files;
  if (settings.show_global_summary != 0) {
    settings.run_file_count += files;
    settings.run_folder_count += folders;
    settings.run_total_size += size;
  }
  if (settings.show_folder_summary != 0) {
    const file_entry* totals_entry = folder.totals_entry;
    const bool whole_subtree = (settings.recursive_options & totals_all_levels) && totals_entry;
    if (!write_folder_summary(whole_subtree ? totals_entry->total_files : files,
                              whole_subtree ? totals_entry->total_folders : folders,
                              whole_subtree ? totals_entry->size : size, settings, output))
      return run_result::write_failed;
    if (settings.stopping()) return run_result::stopped;
  }
  return run_result::done;
}

run_result list_folder(folder_reader& reader, int32_t depth, const variant& top,
                       listing_settings& settings, listing_output& output,
                       file_entry* totals_root) noexcept {
  settings.walked_folders = 0;
  settings.walked_files = 0;
  reader.start_listing(top, depth, totals_root);
  while (folder_contents* folder = reader.next()) {
    if (settings.stopping()) return run_result::stopped;
    const run_result result = write_folder(*folder, settings, output);
    if (result != run_result::done) return result;
  }
  return settings.stopping() ? run_result::stopped : run_result::done;
}

run_result scan_totals(folder_reader& reader, const variant& top, listing_settings& settings,
                       entry_tree& totals, file_entry* root) noexcept {
  reader.start_totals(top, root);
  while (folder_contents* folder = reader.next()) {
    if (settings.stopping()) return run_result::stopped;
    if (!folder->readable) continue;
    file_entry* entry = folder->totals_entry;
    int32_t folders = 0;
    for (file_entry* e = folder->entries.first(); e; e = e->next) ++folders;
    // The subfolders move into the totals tree, already filtered and sorted;
    // the walk's later folders hold pointers to them.
    totals.adopt_list(folder->entries, entry);
    entry->total_files += folder->files;
    entry->total_folders += folders;
    for (file_entry* ancestor = entry->parent; ancestor; ancestor = ancestor->parent) {
      ancestor->size += folder->size;
      ancestor->total_files += entry->total_files;
      ancestor->total_folders += entry->total_folders;
    }
    entry->size += folder->size;
  }
  return settings.stopping() ? run_result::stopped : run_result::done;
}

void prune_totals(entry_tree& totals) noexcept {
  file_entry* root = totals.first();
  if (!root) return;
  for (file_entry* e = root->first_child; e;) {
    if (e->is_folder && e->size == 0) {
      file_entry* following = entry_tree::next_skipping_subtree(e);
      totals.remove(e);
      e = following;
    } else {
      e = entry_tree::next_in_preorder(e);
    }
  }
}

}  // namespace lumadir
