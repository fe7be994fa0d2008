// The settings dialog: every listing option on four tabs (filters; sorting and
// folders; columns; colours and fonts). Each showing starts by loading the
// Listing settings into the controls; OK stores them back and writes
// settings.ini, Cancel drops the edits.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/variant.h"
#include "base/variant_map.h"
#include "base/owned_win.h"
#include "ui/column_rows.h"
#include "ui/main_window.h"
#include "ui/sample_panel.h"
#include "window_kit/window_base.h"

namespace lumadir {

class phrase_table;

// Control identifiers, tab by tab. The names are the dialog's old ones, which
// files and tests rely on; the comments say what each control is.
enum settings_dialog_id : int32_t {
  // Filters
  id_filter_GroupBox1 = 1001,  // frame "Files"
  id_Label1,                   // "Names to include:" for files
  id_ComboBox1,                // file masks to include; the presets of filter.txt
  id_Label2,                   // "Names to skip:" for files
  id_Edit2,                    // file masks to skip
  id_GroupBox2,                // frame "Folders"
  id_Label3,                   // "Names to include:" for folders
  id_Edit3,                    // folder masks to include
  id_Label4,                   // "Names to skip:" for folders
  id_Edit4,                    // folder masks to skip
  id_GroupBox3,                // frame "Date modified"
  id_CheckBox1,                // filter by modification date
  id_Label5,                   // "From:"
  id_DateTimePicker1,          // from: the date
  id_DateTimePicker2,          // from: the time of day
  id_Label6,                   // "To:"
  id_DateTimePicker3,          // to: the date
  id_DateTimePicker4,          // to: the time of day
  id_Button10,                 // "Now": both limits to the present
  id_GroupBox4,                // frame "Size"
  id_CheckBox2,                // filter by size
  id_Edit5,                    // smallest size, in kilobytes
  id_Label7,                   // "Kb"
  id_Edit6,                    // largest size, in kilobytes
  id_Label8,                   // "Kb"
  id_GroupBox5,                // frame "Attributes"
  id_CheckBox16,               // filter by attributes
  id_ComboBox2,                // the attribute mode: Exclude or Include
  id_RadioButton14,            // match all of the checked attributes
  id_RadioButton15,            // match any of them
  id_CheckBox10,               // archive
  id_CheckBox3,                // compressed
  id_CheckBox4,                // hidden
  id_CheckBox9,                // normal
  id_CheckBox5,                // offline
  id_CheckBox6,                // read-only
  id_CheckBox7,                // system
  id_CheckBox8,                // temporary
  // Sorting and folders
  id_GroupBox6 = 1101,   // frame "Sort by"
  id_RadioButton100,     // unsorted
  id_RadioButton101,     // by name
  id_RadioButton102,     // by extension
  id_RadioButton103,     // by size
  id_RadioButton104,     // by date modified
  id_cbCaseSensitive,    // names and extensions in case-sensitive order
  id_sort_SpeedButton1,  // ascending
  id_sort_SpeedButton2,  // descending
  id_GroupBox8,          // frame "Show"
  id_cbShowFiles,        // rows for files
  id_cbShowFolders,      // rows for folders
  id_CheckBox11,         // a summary under each folder
  id_CheckBox12,         // the grand total
  id_GroupBox7,          // frame "Subfolders"
  id_RadioButton1,       // this folder only
  id_RadioButton2,       // all levels
  id_RadioButton3,       // 1 level ...
  id_RadioButton4,       // 2 levels
  id_RadioButton5,       // 3 levels
  id_RadioButton6,       // 4 levels
  id_RadioButton7,       // 5 levels
  id_RadioButton8,       // ... 6 levels
  id_cbRecurSize,        // summaries count all levels below
  id_cbProcessEmpty,     // skip the contents of folders of 0 bytes
  id_cbFollowLinks,      // enter folder links, each folder once
  // Columns
  id_HeaderControl1 = 1201,  // the header over the column rows: column, title, width
  id_Label9,                 // how to reorder the rows
  id_GroupBox9,              // frame "Options"
  id_CheckBox14,             // times with dates
  id_CheckBox15,             // extensions in file names
  id_GroupBox10,             // frame "Size units"
  id_RadioButton9,           // bytes
  id_RadioButton10,          // kilobytes
  id_RadioButton11,          // megabytes
  id_RadioButton12,          // by size
  id_column_area,            // holds the header and the rows
  // Colours and fonts
  id_GroupBox12 = 1401,  // frame "Page"
  id_Button5,            // the page's background
  id_Panel4,             // its swatch
  id_GroupBox13,         // frame "Folder headings"
  id_Button4,            // their font
  id_Button6,            // their background
  id_Panel5,             // their sample
  id_GroupBox14,         // frame "File rows"
  id_Button7,            // their font
  id_Button8,            // the odd rows' background
  id_Panel6,             // the sample, over the odd rows' background
  id_Button9,            // the even rows' background
  id_Panel7,             // its swatch
  // The dialog itself
  id_PageControl1 = 1500,  // the tabs
  id_Button3,              // Help
  id_Button2,              // OK
  id_Button1,              // Cancel
};

constexpr int32_t settings_tab_count = 4;
// The colour swatches and font samples, in the order of their identifiers.
constexpr int32_t sample_count = 4;

class TForm1 : public vexa_generic_ui_class, public settings_editor {
 public:
  TForm1() noexcept = default;

  // Builds the dialog, hidden; the presets come from filter.txt in the
  // program folder.
  bool create(TLumadir* main_window, const variant& program_folder) noexcept;
  void localize() noexcept;

  // settings_editor
  void load(listing_settings& settings) noexcept override;
  void show_modal(HWND owner) noexcept override;
  void store(listing_settings& settings) noexcept;

  // A control of any tab, by identifier.
  HWND item(int32_t id) const noexcept;
  HWND page(int32_t index) const { return pages_[index]; }
  int32_t active_tab() const noexcept;
  void select_tab(int32_t index) noexcept;
  // The column rows in their current order, top to bottom.
  const column_row& row(int32_t position) const { return columns_.row(position); }
  // The custom colours the colour dialog offers.
  COLORREF* custom_colours() { return custom_values_; }
  // What a colour dialog would answer, for the colour buttons; tests replace it.
  using colour_chooser = bool (*)(HWND owner, COLORREF& color, COLORREF* custom);
  using font_chooser = bool (*)(HWND owner, font_style& font);
  void set_choosers(colour_chooser colours, font_chooser fonts) {
    choose_colour_ = colours;
    choose_font_ = fonts;
  }

  void Button2Click() noexcept;  // OK
  void Button3Click() noexcept;  // Help

 protected:
  LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam) override;
  void lay_out() noexcept override;

 private:
  void create_pages() noexcept;
  void create_controls() noexcept;
  void add_hints() noexcept;
  void show_page(int32_t index) noexcept;
  void enable_groups() noexcept;
  void command(int32_t id, int32_t code, HWND control) noexcept;
  void pick_colour(sample_panel& panel, bool swatch) noexcept;
  void pick_font(sample_panel& panel) noexcept;
  void set_now() noexcept;
  bool checked(int32_t id) const noexcept;
  void set_checked(int32_t id, bool on) noexcept;
  void set_text(int32_t id, const char* text) noexcept;
  variant text_of(HWND control) const noexcept;

  TLumadir* main_ = nullptr;
  HWND pages_[settings_tab_count] = {};
  HWND PageControl1 = nullptr;
  HWND column_area_ = nullptr;
  HWND hints_ = nullptr;
  column_rows columns_;
  sample_panel samples_[sample_count];  // Panel4 to Panel7
  COLORREF custom_values_[16] = {};
  COLORREF custom_loaded_[16] = {};  // as the last load left them
  variant custom_texts_[16];
  int32_t custom_count_ = 0;
  colour_chooser choose_colour_ = nullptr;
  font_chooser choose_font_ = nullptr;

};

}  // namespace lumadir
