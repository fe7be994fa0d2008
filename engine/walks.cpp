#include "engine/walks.h"

#include "engine/columns.h"

namespace lumadir {

// One folder's block: its header, a row per shown entry, its summary; or the
// "cannot be read" row.
static run_result write_folder(folder_contents& folder, listing_settings& settings,
                               listing_format& form) {
  if (!folder.readable)
    return form.unreadable_folder(folder.path) ? run_result::done : run_result::write_failed;
  if (!form.folder_start(folder.path)) return run_result::write_failed;

  bool odd_row = true;
  int32_t files = 0;
  int32_t folders = 0;
  uint64_t size = 0;
  for (file_entry* e = folder.entries.first(); e; e = e->next) {
    const bool gets_row = e->is_folder ? (settings.show_folders & show_folder_rows) != 0
                                       : (settings.show_folders & show_file_rows) != 0;
    if (gets_row) {
      const run_result written = form.row(*e, odd_row);
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
    if (!form.folder_summary(whole_subtree ? totals_entry->total_files : files,
                             whole_subtree ? totals_entry->total_folders : folders,
                             whole_subtree ? totals_entry->size : size))
      return run_result::write_failed;
    if (settings.stopping()) return run_result::stopped;
  }
  return run_result::done;
}

run_result list_folder(folder_reader& reader, int32_t depth, const variant& top,
                       listing_settings& settings, listing_format& form,
                       file_entry* totals_root) noexcept {
  settings.walked_folders = 0;
  settings.walked_files = 0;
  reader.start_listing(top, depth, totals_root);
  while (folder_contents* folder = reader.next()) {
    if (settings.stopping()) return run_result::stopped;
    const run_result result = write_folder(*folder, settings, form);
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
