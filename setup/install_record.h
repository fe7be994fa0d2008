// What an installation made, kept so that removal takes away exactly that and
// nothing of the user's. The record lives in the product's registry key, not
// in a list file in the product folder: only administrators write under
// HKEY_LOCAL_MACHINE, while the product folder may be a drive's root that
// every user can write to, and a list there could be made to name any file.
#pragma once

#include <cstdint>

#include "base/variant.h"
#include "base/variant_list.h"

namespace lumadir {

// Values of the product key, each a REG_MULTI_SZ list of full paths.
extern const char made_files_value[];     // files the installations made
extern const char made_settings_value[];  // the user's settings.ini, filter.txt, format.xml
extern const char made_folders_value[];   // folders they made, parents first

// Reads a list value of the product key; false (the list empty) when there is
// none.
bool read_path_list(const char* value_name, variant_list& paths) noexcept;
// The paths as REG_MULTI_SZ data: each followed by a zero, one more at the end.
variant multi_string_of(const variant_list& paths) noexcept;
void split_multi_string(const char* data, int32_t length, variant_list& paths) noexcept;
// Whether the list holds the path; Windows names are compared ignoring case.
bool holds_path(const variant_list& paths, const variant& path) noexcept;
// Adds the path unless the list holds it already.
void add_path(variant_list& paths, const variant& path) noexcept;

}  // namespace lumadir
