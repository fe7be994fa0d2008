// The two walks over the disk: the listing walk, which writes each folder's
// block in walk order, and the totals walk, which builds a tree of folders
// holding the totals of everything beneath them. Both take their folders,
// read and sorted, from a folder_reader.
#pragma once

#include <cstdint>

#include "base/entry_tree.h"
#include "engine/folder_reader.h"
#include "engine/listing_format.h"
#include "engine/listing_settings.h"

namespace lumadir {

// Lists `top` and, to `depth` more levels (negative: no limit), its
// subfolders, in the listing's form: done, stopped or write_failed. With a totals tree the
// subfolders come from `totals_root`'s descendants.
run_result list_folder(folder_reader& reader, int32_t depth, const variant& top,
                       listing_settings& settings, listing_format& form,
                       file_entry* totals_root) noexcept;

// Reads `top` and everything beneath it into the totals tree under `root`:
// done or stopped.
run_result scan_totals(folder_reader& reader, const variant& top, listing_settings& settings,
                       entry_tree& totals, file_entry* root) noexcept;

// Deletes, with their subtrees, the folders below the root that hold no bytes.
void prune_totals(entry_tree& totals) noexcept;

}  // namespace lumadir
