// The numbers of the phrases in the program's phrase file (vxlang.xml), by
// what each phrase is. The numbers are the file's: they never change.
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

// The main window's Options menu.
constexpr int32_t menu_options = 142;
constexpr int32_t menu_internal_viewer = 143;

// A run that found no usable temporary folder.
constexpr int32_t no_temporary_folder = 150;

}  // namespace lumadir::phrase_id
