// The listing document, written in one pass while the folders are walked: the
// head, the folder blocks and the foot. All markup is format phrases, looked up
// by number; between them go the values computed here (colours, CSS, counts,
// percentages, paths, cells). Each block is built whole and written as one.
#pragma once

#include <cstdint>

#include "base/entry_tree.h"
#include "engine/listing_output.h"
#include "engine/listing_settings.h"

namespace lumadir {

// "#RRGGBB" of a 0x00BBGGRR colour.
variant colour_text(uint32_t colour) noexcept;
// The CSS declarations of a listing font.
variant font_css(const font_style& font) noexcept;

// Prepares the run (prepare_listing) and writes the style, title, column-width
// and header blocks: done, stopped, bad_columns or write_failed.
run_result write_head(const variant& source_path, listing_settings& settings,
                      listing_output& output) noexcept;

// The folder blocks; each gives whether its write succeeded.
bool write_unreadable_folder(const variant& folder, listing_settings& settings,
                             listing_output& output) noexcept;
bool write_folder_header(const variant& folder, listing_settings& settings,
                         listing_output& output) noexcept;
bool write_row_start(bool odd_row, listing_settings& settings, listing_output& output) noexcept;
bool write_row_end(listing_settings& settings, listing_output& output) noexcept;
bool write_folder_summary(int32_t files, int32_t folders, uint64_t size, listing_settings& settings,
                          listing_output& output) noexcept;

// The global summary (when asked for) and the closing phrases: done, stopped
// or write_failed.
run_result write_foot(listing_settings& settings, listing_output& output) noexcept;

}  // namespace lumadir
