// The settings dialog: every listing option on four tabs (filters; sorting and
// folders; columns; colours and fonts). Each showing starts by loading the
// Listing settings into the controls; OK stores them back and writes
// settings.ini, Cancel drops the edits.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/variant.h"
#include "base/variant_map.h"
#include "ui/main_window.h"
#include "ui/sample_panel.h"
#include "window_kit/window_base.h"

namespace lumadir {

class phrase_table;

// Control identifiers, tab by tab.
enum settings_dialog_id : int32_t {
  // Filters
  id_filter_GroupBox1 = 1001,
  id_Label1,
  id_ComboBox1,
  id_Label2,
  id_Edit2,
  id_GroupBox2,
  id_Label3,
  id_Edit3,
  id_Label4,
  id_Edit4,
  id_GroupBox3,
  id_CheckBox1,
  id_Label5,
  id_DateTimePicker1,
  id_DateTimePicker2,
  id_Label6,
  id_DateTimePicker3,
  id_DateTimePicker4,
  id_Button10,
  id_GroupBox4,
  id_CheckBox2,
  id_Edit5,
  id_Label7,
  id_Edit6,
  id_Label8,
  id_GroupBox5,
  id_CheckBox16,
  id_ComboBox2,
  id_RadioButton14,
  id_RadioButton15,
  id_CheckBox10,
  id_CheckBox3,
  id_CheckBox4,
  id_CheckBox9,
  id_CheckBox5,
  id_CheckBox6,
  id_CheckBox7,
  id_CheckBox8,
  // Sorting and folders
  id_GroupBox6 = 1101,
  id_RadioButton100,
  id_RadioButton101,
  id_RadioButton102,
  id_RadioButton103,
  id_RadioButton104,
  id_cbCaseSensitive,
  id_sort_SpeedButton1,
  id_sort_SpeedButton2,
  id_GroupBox8,
  id_cbShowFiles,
  id_cbShowFolders,
  id_CheckBox11,
  id_CheckBox12,
  id_GroupBox7,
  id_RadioButton1,
  id_RadioButton2,
  id_RadioButton3,
  id_RadioButton4,
  id_RadioButton5,
  id_RadioButton6,
  id_RadioButton7,
  id_RadioButton8,
  id_cbRecurSize,
  id_cbProcessEmpty,
  id_cbFollowLinks,  // enter folder links, each folder once
  // Columns
  id_HeaderControl1 = 1201,
  id_Label9,
  id_GroupBox9,
  id_CheckBox14,
  id_CheckBox15,
  id_GroupBox10,
  id_RadioButton9,
  id_RadioButton10,
  id_RadioButton11,
  id_RadioButton12,
  id_column_area,
  // Colours and fonts
  id_GroupBox12 = 1401,
  id_Button5,
  id_Panel4,
  id_GroupBox13,
  id_Button4,
  id_Button6,
  id_Panel5,
  id_GroupBox14,
  id_Button7,
  id_Button8,
  id_Panel6,
  id_Button9,
  id_Panel7,
  // The dialog itself
  id_PageControl1 = 1500,
  id_Button3,
  id_Button2,
  id_Button1,
};

// Inside each column row's panel.
enum column_row_part : int32_t { row_shown = 1, row_label, row_title, row_width };

constexpr int32_t settings_tab_count = 4;

// One listing column on the columns tab.
struct column_row {
  HWND panel = nullptr;  // a vx_panel
  HWND shown = nullptr;
  HWND label = nullptr;
  HWND title = nullptr;
  HWND width = nullptr;
  variant id{""};
  bool highlighted = false;
};

class TForm1 : public vexa_generic_ui_class, public settings_editor {
 public:
  TForm1() noexcept = default;
  ~TForm1() override;

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
  const column_row& row(int32_t position) const { return *order_[position]; }
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
  void create_column_rows() noexcept;
  void add_hints() noexcept;
  void lay_out_rows() noexcept;
  void show_page(int32_t index) noexcept;
  void enable_groups() noexcept;
  void command(int32_t id, int32_t code, HWND control) noexcept;
  void keep_digits(HWND edit) noexcept;
  void pick_colour(sample_panel& panel, bool swatch) noexcept;
  void pick_font(sample_panel& panel) noexcept;
  void set_now() noexcept;
  bool checked(int32_t id) const noexcept;
  void set_checked(int32_t id, bool on) noexcept;
  void set_text(int32_t id, const char* text) noexcept;
  variant text_of(HWND control) const noexcept;

  // Dragging one row onto another.
  static LRESULT CALLBACK row_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  int32_t row_position(HWND panel) const noexcept;
  int32_t row_at(POINT screen) const noexcept;
  void highlight(int32_t position, bool on) noexcept;
  void drop_row(int32_t from, int32_t to) noexcept;

  TLumadir* main_ = nullptr;
  variant_map column_labels_;
  HWND pages_[settings_tab_count] = {};
  HWND PageControl1 = nullptr;
  HWND column_area_ = nullptr;
  HWND hints_ = nullptr;
  column_row rows_[8];
  column_row* order_[8] = {};
  sample_panel Panel4, Panel5, Panel6, Panel7;
  COLORREF custom_values_[16] = {};
  COLORREF custom_loaded_[16] = {};  // as the last load left them
  variant custom_texts_[16];
  int32_t custom_count_ = 0;
  colour_chooser choose_colour_ = nullptr;
  font_chooser choose_font_ = nullptr;
  bool keeping_digits_ = false;

  // The drag under way: the row pressed, where, and the row it is over.
  int32_t drag_from_ = -1;
  bool dragging_ = false;
  POINT drag_start_ = {0, 0};
  int32_t drag_over_ = -1;
};

}  // namespace lumadir
