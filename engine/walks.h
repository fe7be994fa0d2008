// The two walks over the disk: the listing walk, which reads, filters, sorts and
// writes one folder and then descends depth first; and the totals walk, which
// builds a tree of folders holding the totals of everything beneath them.
#pragma once

#include <cstdint>

#include "base/entry_tree.h"
#include "engine/listing_format.h"
#include "engine/listing_settings.h"

namespace lumadir {

// Lists one folder and, to `depth` more levels (negative: no limit), its
// subfolders, in the listing's form: 0, 100 (stopped) or 450 (a write failed).
// With a totals tree the subfolders come from `totals_entry`'s children.
int32_t list_folder(int32_t depth, const variant& folder, listing_settings& settings,
                    listing_format& form, entry_tree* totals, file_entry* totals_entry) noexcept;

// Reads `folder` under its entry of the totals tree and recurses: 0 or 100.
int32_t scan_totals(const variant& folder, listing_settings& settings, entry_tree& totals,
                    file_entry* entry) noexcept;

// Deletes, with their subtrees, the folders below the root that hold no bytes.
void prune_totals(entry_tree& totals) noexcept;

// The extension of a file name (from its last dot, when that is not the first
// byte), cut off the name when asked.
void split_extension(file_entry& entry, bool cut_name) noexcept;

// Starts a walk from `top`: forgets the places the last walk entered.
void start_walk(const variant& top, listing_settings& settings) noexcept;
// Whether a walk goes into a folder it found at `path`: a folder link only when
// links are followed, and then every place at most once.
bool walk_enters(const file_entry& folder, variant& path, listing_settings& settings) noexcept;

// folder + "\" + name, without doubling a trailing backslash.
variant child_path(const variant& folder, const variant& name) noexcept;

}  // namespace lumadir
