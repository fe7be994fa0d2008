#include "engine/walks.h"

#include "base/file_system.h"
#include "base/phrase_table.h"
#include "engine/columns.h"
#include "engine/filter.h"

namespace lumadir {

static void report_folder(listing_settings& settings, const variant& folder) {
  if (!settings.progress_callback) return;
  variant text(settings.language_phrases ? settings.language_phrases->phrase_text(127) : "");
  text.append(folder);
  settings.progress(static_cast<variant&&>(text));
}

// Reads a folder's entries: folders first, then files, each in the system's order.
static bool read_folder(const variant& folder, entry_tree& tree, file_entry* parent) {
  variant path(folder);
  return find_files(path, tree, parent, true, variant("*"));
}

void split_extension(file_entry& entry, bool cut_name) noexcept {
  const int32_t dot = entry.name.find_last(variant('.'));
  if (dot < 1) return;
  entry.extension.set_left(variant(entry.name.c_str() + dot), entry.name.length() - dot);
  if (cut_name) entry.name.set_length(dot);
}

bool walk_enters(const file_entry& folder, variant& path, listing_settings& settings) noexcept {
  if (!settings.follow_folder_links) return !folder.is_link;
  // Followed links can lead back to where the walk has been (a link to a parent
  // folder): each place, by volume and file ID, is entered once.
  variant identity;
  if (!folder_identity(path, identity)) return true;  // its reading will tell
  if (settings.entered_folders.find(identity)) return false;
  settings.entered_folders.put(identity, variant(1));
  return true;
}

void start_walk(const variant& top, listing_settings& settings) noexcept {
  settings.entered_folders.clear();
  variant path(top);
  if (settings.follow_folder_links) {
    variant identity;
    if (folder_identity(path, identity)) settings.entered_folders.put(identity, variant(1));
  }
}

variant child_path(const variant& folder, const variant& name) noexcept {
  variant path;
  path.assign_text_of(folder);
  const int32_t length = path.length();
  if (length > 0 && path.text().data()[length - 1] != path_separator) path.append(path_separator);
  path.append(name);
  return path;
}

static void sort_siblings(entry_tree& tree, file_entry* parent, const listing_settings& settings) {
  if (settings.order_files == 0) return;
  tree.compare = compare_entries;
  tree.sort_key = settings.order_files - 1;
  tree.sort_list(parent);
  if (settings.sort_order != 0) tree.reverse_list(parent);
}

int32_t list_folder(int32_t depth, const variant& folder, listing_settings& settings,
                    listing_format& form, entry_tree* totals, file_entry* totals_entry) noexcept {
  report_folder(settings, folder);
  entry_tree list;
  if (!read_folder(folder, list, nullptr))
    return form.unreadable_folder(folder) ? 0 : 450;
  if (settings.stopping()) return 100;
  filter_entries(list, settings.filter, nullptr);
  if (settings.stopping()) return 100;

  for (file_entry* e = list.first(); e; e = e->next)
    if (!e->is_folder) split_extension(*e, settings.remove_extension_from_name != 0);
  sort_siblings(list, nullptr, settings);

  if (settings.stopping()) return 100;
  if (!form.folder_start(folder)) return 450;

  bool odd_row = true;
  int32_t files = 0;
  int32_t folders = 0;
  uint64_t size = 0;
  for (file_entry* e = list.first(); e; e = e->next) {
    const bool gets_row =
        e->is_folder ? (settings.show_folders & 2) != 0 : (settings.show_folders & 1) != 0;
    if (gets_row) {
      const int32_t written = form.row(*e, odd_row);
      if (written != 0) return written;
      odd_row = !odd_row;
    }
    if (e->is_folder) {
      ++folders;
    } else {
      ++files;
      size += e->size;
    }
  }

  if (settings.show_global_summary != 0) {
    settings.run_file_count += files;
    settings.run_folder_count += folders;
    settings.run_total_size += size;
  }
  if (settings.show_folder_summary != 0) {
    const bool whole_subtree = (settings.recursive_options & 1) && totals_entry;
    if (!form.folder_summary(whole_subtree ? totals_entry->total_files : files,
                             whole_subtree ? totals_entry->total_folders : folders,
                             whole_subtree ? totals_entry->size : size))
      return 450;
    if (settings.stopping()) return 100;
  }

  if (depth == 0) return 0;
  const int32_t next_depth = depth < 0 ? depth : depth - 1;  // negative: no limit
  file_entry* first_child =
      totals ? (totals_entry ? totals_entry->first_child : nullptr) : list.first();
  for (file_entry* child = first_child; child; child = child->next) {
    if (settings.stopping()) return 100;
    if (!child->is_folder) continue;
    variant path = child_path(folder, child->name);
    if (!walk_enters(*child, path, settings)) continue;
    const int32_t result =
        list_folder(next_depth, path, settings, form, totals, totals ? child : nullptr);
    if (result != 0) return result;
  }
  return 0;
}

int32_t scan_totals(const variant& folder, listing_settings& settings, entry_tree& totals,
                    file_entry* entry) noexcept {
  report_folder(settings, folder);
  uint64_t size = entry->size;
  if (!read_folder(folder, totals, entry)) return 0;
  if (settings.stopping()) return 100;
  filter_entries(totals, settings.filter, entry);
  if (settings.stopping()) return 100;

  int32_t files = 0;
  int32_t folders = 0;
  for (file_entry* child = entry->first_child; child;) {
    file_entry* following = child->next;
    if (child->is_folder) {
      ++folders;
    } else {
      ++files;
      size += child->size;
      totals.remove(child);
    }
    if (settings.stopping()) return 100;
    child = following;
  }
  entry->total_files += files;
  entry->total_folders += folders;
  if (entry->first_child) sort_siblings(totals, entry, settings);

  for (file_entry* ancestor = entry->parent; ancestor; ancestor = ancestor->parent) {
    ancestor->size += size;
    ancestor->total_files += entry->total_files;
    ancestor->total_folders += entry->total_folders;
  }
  entry->size = size;

  for (file_entry* child = entry->first_child; child; child = child->next) {
    if (settings.stopping()) return 100;
    variant path = child_path(folder, child->name);
    if (!walk_enters(*child, path, settings)) continue;
    const int32_t result = scan_totals(path, settings, totals, child);
    if (result != 0) return result;
  }
  return 0;
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
