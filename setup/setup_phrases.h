// Phrase ids of setup_lang.xml, the installer's own phrase file. They are not
// the program's (vxlang.xml): the same number means another text there.
#pragma once

#include <cstdint>

namespace lumadir {

// Why the installer will not start, and why an installation failed.
constexpr int32_t phrase_product_running = 0;
constexpr int32_t phrase_required_missing = 1;  // + the name + phrase_required_missing_end
constexpr int32_t phrase_registry_failed = 2;
constexpr int32_t phrase_copy_failed = 3;
constexpr int32_t phrase_shortcut_failed = 4;
constexpr int32_t phrase_required_missing_end = 6;

// Page headings are the product's title + one of these, or one alone.
constexpr int32_t phrase_welcome_heading = 7;  // ": welcome"
constexpr int32_t phrase_space_needed = 8;     // + kilobytes + phrase_kilobytes
constexpr int32_t phrase_kilobytes = 9;
constexpr int32_t phrase_target_heading = 10;  // ": where to install"
constexpr int32_t phrase_installed_here_before = 12;
constexpr int32_t phrase_no_program_files = 13;

// The summary's options.
constexpr int32_t phrase_desktop_yes = 14;
constexpr int32_t phrase_desktop_no = 15;
constexpr int32_t phrase_folder_verb_yes = 16;
constexpr int32_t phrase_folder_verb_no = 17;

// Failures before anything is written.
constexpr int32_t phrase_no_room = 18;
constexpr int32_t phrase_free_space_unknown = 19;
constexpr int32_t phrase_cannot_make_folder = 20;

// Buttons.
constexpr int32_t phrase_cancel = 21;
constexpr int32_t phrase_next = 22;
constexpr int32_t phrase_back = 23;
constexpr int32_t phrase_install = 25;
constexpr int32_t phrase_close = 26;

// The pages' texts and controls.
constexpr int32_t phrase_summary_heading = 27;
constexpr int32_t phrase_browse_prompt = 28;  // after the product's title
constexpr int32_t phrase_welcome_text = 29;
constexpr int32_t phrase_licence_heading = 30;
constexpr int32_t phrase_accept_licence = 31;
constexpr int32_t phrase_target_label = 32;
constexpr int32_t phrase_browse = 33;
constexpr int32_t phrase_desktop_option = 34;
constexpr int32_t phrase_folder_verb_option = 35;
constexpr int32_t phrase_summary_intro = 36;
constexpr int32_t phrase_summary_folder = 37;  // + the target
constexpr int32_t phrase_installing_heading = 38;
constexpr int32_t phrase_installed_text = 39;
constexpr int32_t phrase_language_heading = 40;
constexpr int32_t phrase_needs_administrator = 41;
constexpr int32_t phrase_installed_heading = 42;

// Files of others in the target, and what a failed installation left.
constexpr int32_t phrase_would_replace = 43;  // + the names (installation::files_to_replace)
constexpr int32_t phrase_replace_these = 44;
constexpr int32_t phrase_further_files = 45;  // + how many more
constexpr int32_t phrase_nothing_changed = 46;
constexpr int32_t phrase_undo_incomplete = 47;  // + what stays changed
constexpr int32_t phrase_folder_not_empty = 48;
constexpr int32_t phrase_replace_consent = 49;

}  // namespace lumadir
