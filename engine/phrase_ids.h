// The ids of the program's phrase file, vxlang.xml: each number names one text
// of every language, so the numbers themselves never change.
#pragma once

#include <cstdint>

namespace lumadir::phrase_id {

// The About box.
constexpr int32_t about_caption = 1;
constexpr int32_t about_description = 2;
constexpr int32_t about_ok = 3;

// The column names, as the settings dialog lists them.
constexpr int32_t column_name = 9;
constexpr int32_t column_extension = 10;
constexpr int32_t column_size = 11;
constexpr int32_t column_modified = 12;
constexpr int32_t column_created = 13;
constexpr int32_t column_accessed = 14;
constexpr int32_t column_attributes = 15;
constexpr int32_t column_type = 16;

// How a run ended, for the status line and the warning box.
constexpr int32_t listing_saved_to = 17;
constexpr int32_t listing_ready = 18;
constexpr int32_t listing_stopped = 19;
constexpr int32_t run_failed_200 = 20;
constexpr int32_t columns_unusable = 21;
constexpr int32_t listing_file_not_created = 22;
constexpr int32_t listing_write_failed = 23;
constexpr int32_t run_failed_500 = 24;
constexpr int32_t run_failed_550 = 25;

// The main window's dialogs, boxes and status texts.
constexpr int32_t choose_folder_prompt = 26;
constexpr int32_t listing_file_extension = 27;
constexpr int32_t save_dialog_filter = 28;  // parts separated by "|"
constexpr int32_t settings_not_saved = 29;
constexpr int32_t saving_listing_to = 30;
constexpr int32_t no_source_folder = 31;

// The main window's menus.
constexpr int32_t menu_action = 32;
constexpr int32_t menu_open_source_folder = 33;
constexpr int32_t menu_save_as = 34;
constexpr int32_t menu_preview = 35;
constexpr int32_t menu_settings = 36;
constexpr int32_t menu_stop = 37;
constexpr int32_t menu_help = 38;
constexpr int32_t menu_contents = 39;
constexpr int32_t menu_support = 40;
constexpr int32_t menu_about = 41;

// The toolbar buttons of the main and preview windows, the folder frame.
constexpr int32_t button_save_as = 43;
constexpr int32_t button_preview = 44;
constexpr int32_t button_stop = 45;
constexpr int32_t button_settings = 46;
constexpr int32_t source_folder_frame = 47;
constexpr int32_t button_browse = 48;
constexpr int32_t button_print = 49;
constexpr int32_t button_close = 50;

// The settings dialog's tab titles (four, from this one on) and the column
// tab's header sections (three, from this one on).
constexpr int32_t first_settings_tab = 74;
constexpr int32_t first_column_header = 102;

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

// The main window's Options menu.
constexpr int32_t menu_options = 142;
constexpr int32_t menu_internal_viewer = 143;

// The Type column of an extension the registry does not describe: " file".
constexpr int32_t type_extension_file = 145;

// Start-up failures: before the format file's load error.
constexpr int32_t format_unloadable = 146;

// A folder summary that counts all levels below: "All levels. ".
constexpr int32_t summary_all_levels = 149;

// A run that found no usable temporary folder.
constexpr int32_t no_temporary_folder = 150;

// Folder links in the Type and Attributes columns.
constexpr int32_t type_folder_link = 151;        // "Folder link"
constexpr int32_t attributes_folder_link = 152;  // "Link"

// The main window's Save as filter offering every listing form, in
// listing_type order ("|"-separated like the HTML-only filter).
constexpr int32_t save_dialog_forms_filter = 154;
// The CSV form's title of its first column, the folder's path: "Folder".
constexpr int32_t csv_folder_title = 155;

}  // namespace lumadir::phrase_id
