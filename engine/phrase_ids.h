// The ids of the program's phrase file, vxlang.xml: each number names one text
// of every language, so the numbers themselves never change.
#pragma once

#include <cstdint>

namespace lumadir::phrase_id {

// Progress texts of a run, and the summaries the listing writes.
constexpr int32_t preparing_listing = 126;  // "Preparing the listing..."
constexpr int32_t reading_folder = 127;     // "Reading " before a folder's path
constexpr int32_t summary_files = 128;      // "Files: "
constexpr int32_t summary_folders = 129;    // ", folders: "
constexpr int32_t summary_size = 130;       // ", size: "
constexpr int32_t writing_summary = 131;    // "Writing the summary..."
constexpr int32_t total_files = 132;        // "Total: files: "
constexpr int32_t total_folders = 133;      // ", folders: "
constexpr int32_t total_size = 134;         // ", size: "

// Cell texts of the Type and Attributes columns.
constexpr int32_t type_file_folder = 135;   // "File folder"
constexpr int32_t type_file = 136;          // "File": a file without an extension
constexpr int32_t attributes_folder = 137;  // "Folder"

// Start-up failures.
constexpr int32_t settings_unusable = 140;  // settings.ini missing or damaged

// The listing's row for a folder that cannot be read, before its path.
constexpr int32_t folder_unreadable = 141;

// The Type column of an extension the registry does not describe: " file".
constexpr int32_t type_extension_file = 145;

// Start-up failures: before the format file's load error.
constexpr int32_t format_unloadable = 146;

// A folder summary that counts all levels below: "All levels. ".
constexpr int32_t summary_all_levels = 149;

// Folder links in the Type and Attributes columns.
constexpr int32_t type_folder_link = 151;        // "Folder link"
constexpr int32_t attributes_folder_link = 152;  // "Link"

}  // namespace lumadir::phrase_id
