// settings.ini: one element per line, the filter section first, every value
// escaped for HTML; read with the XML reader.
#pragma once

#include "engine/listing_settings.h"

namespace lumadir {

constexpr int settings_read = 0;
constexpr int settings_cannot_open = 1;
constexpr int settings_malformed = 2;  // bad XML, or `columns` missing or not 32 lines

// Reads the keys present (in any letter case) into the record; absent keys keep
// their values, and fields set before a failure keep what they got.
[[nodiscard]] int read_settings(listing_settings& settings, const variant& path) noexcept;

// 0, or 1 when the file could not be written in full. The new content goes to a
// file beside the old one, which it replaces only once every line is written:
// a failure leaves the old file as it was.
[[nodiscard]] int write_settings(const listing_settings& settings, const variant& path) noexcept;

// The lines of the file, in order, each with its CR LF.
void settings_lines(const listing_settings& settings, variant_list& lines) noexcept;

}  // namespace lumadir
