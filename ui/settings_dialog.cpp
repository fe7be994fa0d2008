#include "ui/settings_dialog.h"

#include <commctrl.h>
#include <commdlg.h>
#include <oleauto.h>
#include <windowsx.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "base/text_encoding.h"
#include "base/file_system.h"
#include "base/number_text.h"
#include "base/phrase_table.h"
#include "base/product.h"
#include "base/regex_binding.h"
#include "engine/listing_settings.h"
#include "ui/listing_font.h"
#include "window_kit/message_loop.h"

namespace lumadir {

namespace {

// Layout in 96-DPI pixels.
constexpr int32_t client_width = 512;
constexpr int32_t client_height = 432;
constexpr int32_t pages_height = 393;

enum class kind {
  group,
  label,
  edit,
  combo,
  list,
  check,
  multiline_check,
  radio,
  pushlike_radio,
  button,
  date,
  time
};

struct control_spec {
  int32_t page;  // 0-3: a tab; -1: the dialog itself
  int32_t id;
  kind what;
  int32_t x, y, w, h;
  int32_t phrase;     // 0: none
  const char* fixed;  // a fixed caption, when there is no phrase
  bool starts_group;  // radios: the first of their group
};

const control_spec controls[] = {
    // Filters. The date filter's caption is too long to share a row with the
    // Now button, which goes below the pickers it fills.
    {0, id_filter_GroupBox1, kind::group, 6, 4, 492, 74, 51, nullptr, true},
    {0, id_Label1, kind::label, 16, 24, 128, 16, 52, nullptr, true},
    {0, id_ComboBox1, kind::combo, 148, 20, 340, 200, 0, nullptr, true},
    {0, id_Label2, kind::label, 16, 50, 128, 16, 53, nullptr, true},
    {0, id_Edit2, kind::edit, 148, 47, 340, 22, 0, nullptr, true},
    {0, id_GroupBox2, kind::group, 6, 82, 492, 74, 54, nullptr, true},
    {0, id_Label3, kind::label, 16, 102, 128, 16, 52, nullptr, true},
    {0, id_Edit3, kind::edit, 148, 98, 340, 22, 0, nullptr, true},
    {0, id_Label4, kind::label, 16, 128, 128, 16, 53, nullptr, true},
    {0, id_Edit4, kind::edit, 148, 125, 340, 22, 0, nullptr, true},
    {0, id_GroupBox3, kind::group, 6, 160, 240, 128, 55, nullptr, true},
    {0, id_CheckBox1, kind::check, 16, 178, 222, 18, 56, nullptr, true},
    {0, id_Label5, kind::label, 16, 206, 42, 16, 58, nullptr, true},
    {0, id_DateTimePicker1, kind::date, 60, 202, 94, 22, 0, nullptr, true},
    {0, id_DateTimePicker2, kind::time, 158, 202, 80, 22, 0, nullptr, true},
    {0, id_Label6, kind::label, 16, 232, 42, 16, 59, nullptr, true},
    {0, id_DateTimePicker3, kind::date, 60, 228, 94, 22, 0, nullptr, true},
    {0, id_DateTimePicker4, kind::time, 158, 228, 80, 22, 0, nullptr, true},
    {0, id_Button10, kind::button, 158, 256, 80, 24, 57, nullptr, true},
    {0, id_GroupBox4, kind::group, 6, 292, 240, 66, 60, nullptr, true},
    {0, id_CheckBox2, kind::check, 16, 310, 222, 18, 61, nullptr, true},
    {0, id_Edit5, kind::edit, 16, 332, 80, 22, 0, nullptr, true},
    {0, id_Label7, kind::label, 100, 335, 22, 16, 0, "Kb", true},
    {0, id_Edit6, kind::edit, 128, 332, 80, 22, 0, nullptr, true},
    {0, id_Label8, kind::label, 212, 335, 22, 16, 0, "Kb", true},
    {0, id_GroupBox5, kind::group, 252, 160, 246, 198, 62, nullptr, true},
    {0, id_CheckBox16, kind::check, 262, 178, 126, 18, 63, nullptr, true},
    {0, id_ComboBox2, kind::list, 392, 175, 96, 120, 0, nullptr, true},
    {0, id_RadioButton14, kind::radio, 262, 206, 112, 18, 64, nullptr, true},
    {0, id_RadioButton15, kind::radio, 376, 206, 116, 18, 65, nullptr, false},
    {0, id_CheckBox10, kind::check, 262, 238, 112, 18, 66, nullptr, true},
    {0, id_CheckBox3, kind::check, 262, 266, 112, 18, 67, nullptr, true},
    {0, id_CheckBox4, kind::check, 262, 294, 112, 18, 68, nullptr, true},
    {0, id_CheckBox9, kind::check, 262, 322, 112, 18, 69, nullptr, true},
    {0, id_CheckBox5, kind::check, 376, 238, 116, 18, 70, nullptr, true},
    {0, id_CheckBox6, kind::check, 376, 266, 116, 18, 71, nullptr, true},
    {0, id_CheckBox7, kind::check, 376, 294, 116, 18, 72, nullptr, true},
    {0, id_CheckBox8, kind::check, 376, 322, 116, 18, 73, nullptr, true},
    // Sorting and folders. The last frames of a tab end where the Filters tab's do.
    {1, id_GroupBox6, kind::group, 6, 4, 244, 196, 78, nullptr, true},
    {1, id_RadioButton100, kind::radio, 16, 22, 226, 18, 79, nullptr, true},
    {1, id_RadioButton101, kind::radio, 16, 46, 226, 18, 80, nullptr, false},
    {1, id_RadioButton102, kind::radio, 16, 70, 226, 18, 81, nullptr, false},
    {1, id_RadioButton103, kind::radio, 16, 94, 226, 18, 82, nullptr, false},
    {1, id_RadioButton104, kind::radio, 16, 118, 226, 18, 83, nullptr, false},
    {1, id_cbCaseSensitive, kind::check, 16, 144, 226, 18, 144, nullptr, true},
    {1, id_sort_SpeedButton1, kind::pushlike_radio, 16, 168, 110, 24, 85, nullptr, true},
    {1, id_sort_SpeedButton2, kind::pushlike_radio, 132, 168, 110, 24, 86, nullptr, false},
    {1, id_GroupBox8, kind::group, 6, 206, 244, 152, 96, nullptr, true},
    {1, id_cbShowFiles, kind::check, 16, 224, 226, 18, 124, nullptr, true},
    {1, id_cbShowFolders, kind::check, 16, 248, 226, 18, 106, nullptr, true},
    {1, id_CheckBox11, kind::check, 16, 272, 226, 18, 97, nullptr, true},
    {1, id_CheckBox12, kind::check, 16, 296, 226, 18, 98, nullptr, true},
    {1, id_GroupBox7, kind::group, 256, 4, 242, 354, 87, nullptr, true},
    {1, id_RadioButton1, kind::radio, 266, 22, 224, 18, 88, nullptr, true},
    {1, id_RadioButton2, kind::radio, 266, 46, 224, 18, 89, nullptr, false},
    {1, id_RadioButton3, kind::radio, 266, 70, 224, 18, 90, nullptr, false},
    {1, id_RadioButton4, kind::radio, 266, 94, 224, 18, 91, nullptr, false},
    {1, id_RadioButton5, kind::radio, 266, 118, 224, 18, 92, nullptr, false},
    {1, id_RadioButton6, kind::radio, 266, 142, 224, 18, 93, nullptr, false},
    {1, id_RadioButton7, kind::radio, 266, 166, 224, 18, 94, nullptr, false},
    {1, id_RadioButton8, kind::radio, 266, 190, 224, 18, 95, nullptr, false},
    {1, id_cbRecurSize, kind::multiline_check, 266, 222, 224, 36, 147, nullptr, true},
    {1, id_cbProcessEmpty, kind::multiline_check, 266, 264, 224, 36, 148, nullptr, true},
    {1, id_cbFollowLinks, kind::multiline_check, 266, 306, 224, 36, 153, nullptr, true},
    // Columns (the rows are made apart).
    {2, id_Label9, kind::label, 4, 4 + column_rows::height + 9, column_rows::width, 40, 114,
     nullptr, true},
    {2, id_GroupBox9, kind::group, 308, 4, 190, 96, 105, nullptr, true},
    {2, id_CheckBox14, kind::multiline_check, 318, 22, 172, 32, 107, nullptr, true},
    {2, id_CheckBox15, kind::multiline_check, 318, 58, 172, 32, 108, nullptr, true},
    {2, id_GroupBox10, kind::group, 308, 106, 190, 124, 109, nullptr, true},
    {2, id_RadioButton9, kind::radio, 318, 126, 172, 18, 110, nullptr, true},
    {2, id_RadioButton10, kind::radio, 318, 150, 172, 18, 111, nullptr, false},
    {2, id_RadioButton11, kind::radio, 318, 174, 172, 18, 112, nullptr, false},
    {2, id_RadioButton12, kind::radio, 318, 198, 172, 18, 113, nullptr, false},
    // Colours and fonts (the four panels are made apart).
    {3, id_GroupBox12, kind::group, 6, 4, 492, 62, 115, nullptr, true},
    {3, id_Button5, kind::button, 16, 26, 170, 26, 116, nullptr, true},
    {3, id_GroupBox13, kind::group, 6, 72, 492, 120, 117, nullptr, true},
    {3, id_Button4, kind::button, 16, 94, 170, 26, 118, nullptr, true},
    {3, id_Button6, kind::button, 16, 126, 170, 26, 119, nullptr, true},
    {3, id_GroupBox14, kind::group, 6, 198, 492, 160, 120, nullptr, true},
    {3, id_Button7, kind::button, 16, 220, 170, 26, 121, nullptr, true},
    {3, id_Button8, kind::button, 16, 252, 170, 26, 122, nullptr, true},
    {3, id_Button9, kind::button, 16, 296, 170, 26, 123, nullptr, true},
    // The dialog's buttons.
    {-1, id_Button3, kind::button, 128, 400, 97, 25, 101, nullptr, true},
    {-1, id_Button2, kind::button, 304, 400, 97, 25, 100, nullptr, true},
    {-1, id_Button1, kind::button, 408, 400, 97, 25, 99, nullptr, true},
};

// The tables below tie each control to its setting; load and store walk them.

// A setting in the record or in its filter block, by member pointer.
template <auto member>
auto& setting(listing_settings& s) {
  if constexpr (requires { s.filter.*member; })
    return s.filter.*member;
  else
    return s.*member;
}

// A whole-number setting of any width, read and written as int64_t, so that
// one table holds them all.
struct number_field {
  int64_t (*get)(listing_settings&);
  void (*set)(listing_settings&, int64_t);
};
template <auto member>
constexpr number_field number() {
  return {[](listing_settings& s) -> int64_t { return setting<member>(s); },
          [](listing_settings& s, int64_t value) {
            auto& field = setting<member>(s);
            field = static_cast<std::remove_reference_t<decltype(field)>>(value);
          }};
}

constexpr number_field att_filter = number<&filter_block::att_filter>();
constexpr number_field attrs = number<&filter_block::attrs>();
constexpr number_field sort_order = number<&listing_settings::sort_order>();
constexpr number_field subfolders_level = number<&listing_settings::subfolders_level>();
constexpr number_field recursive_options = number<&listing_settings::recursive_options>();
constexpr number_field show_folders = number<&listing_settings::show_folders>();
constexpr number_field size_units = number<&listing_settings::size_units>();

// The mask fields.
const struct {
  int32_t id;
  variant filter_block::*text;
} mask_fields[] = {{id_ComboBox1, &filter_block::str_files_include},
                   {id_Edit2, &filter_block::str_files_skip},
                   {id_Edit3, &filter_block::str_folder_include},
                   {id_Edit4, &filter_block::str_folder_skip}};

// Boxes that turn a setting on (1) or off (0); an inverted box is checked for 0.
const struct {
  int32_t id;
  number_field field;
  bool inverted;
} switch_boxes[] = {
    {id_CheckBox1, number<&filter_block::time_filter>(), false},
    {id_CheckBox2, number<&filter_block::size_filter>(), false},
    {id_cbFollowLinks, number<&listing_settings::follow_folder_links>(), false},
    {id_CheckBox11, number<&listing_settings::show_folder_summary>(), false},
    {id_CheckBox12, number<&listing_settings::show_global_summary>(), false},
    {id_CheckBox14, number<&listing_settings::show_times>(), false},
    // A checked box keeps extensions in names.
    {id_CheckBox15, number<&listing_settings::remove_extension_from_name>(), true},
};

// Check boxes and radio buttons that stand for one value of a setting's bits
// in `mask`: checked when the bits hold it; checked on store, they set it.
constexpr int64_t every_bit = -1;
const struct {
  int32_t id;
  number_field field;
  int64_t mask;
  int64_t value;
} choices[] = {
    {id_CheckBox16, att_filter, 1, 1},  // the attribute filter is on
    {id_RadioButton14, att_filter, 4, 4},
    {id_RadioButton15, att_filter, 4, 0},
    {id_CheckBox10, attrs, FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_ARCHIVE},
    {id_CheckBox3, attrs, FILE_ATTRIBUTE_COMPRESSED, FILE_ATTRIBUTE_COMPRESSED},
    {id_CheckBox4, attrs, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_HIDDEN},
    {id_CheckBox9, attrs, FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_NORMAL},
    {id_CheckBox5, attrs, FILE_ATTRIBUTE_OFFLINE, FILE_ATTRIBUTE_OFFLINE},
    {id_CheckBox6, attrs, FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_READONLY},
    {id_CheckBox7, attrs, FILE_ATTRIBUTE_SYSTEM, FILE_ATTRIBUTE_SYSTEM},
    {id_CheckBox8, attrs, FILE_ATTRIBUTE_TEMPORARY, FILE_ATTRIBUTE_TEMPORARY},
    {id_sort_SpeedButton1, sort_order, every_bit, 0},
    {id_sort_SpeedButton2, sort_order, every_bit, 1},
    {id_cbShowFiles, show_folders, 1, 1},
    {id_cbShowFolders, show_folders, 2, 2},
    {id_RadioButton1, subfolders_level, every_bit, 0},
    {id_RadioButton2, subfolders_level, every_bit, -1},
    {id_RadioButton3, subfolders_level, every_bit, 1},
    {id_RadioButton4, subfolders_level, every_bit, 2},
    {id_RadioButton5, subfolders_level, every_bit, 3},
    {id_RadioButton6, subfolders_level, every_bit, 4},
    {id_RadioButton7, subfolders_level, every_bit, 5},
    {id_RadioButton8, subfolders_level, every_bit, 6},
    {id_cbRecurSize, recursive_options, 1, 1},
    {id_cbProcessEmpty, recursive_options, 2, 2},
    {id_RadioButton9, size_units, every_bit, 0},
    {id_RadioButton10, size_units, every_bit, 1},
    {id_RadioButton11, size_units, every_bit, 2},
    {id_RadioButton12, size_units, every_bit, -1},
};
// What store clears before the choices set their bits. The attribute filter's
// settings are the dialog's alone; the other bits of these two stay as read.
const struct {
  number_field field;
  int64_t mask;
} cleared_bits[] = {
    {att_filter, every_bit}, {attrs, every_bit}, {show_folders, 3}, {recursive_options, 3}};

// The sort keys: order_files for names and extensions depends on the case box.
const struct {
  int32_t id;
  int32_t ignoring_case, case_sensitive;
} sort_keys[] = {{id_RadioButton100, 0, 0},
                 {id_RadioButton101, 5, 1},
                 {id_RadioButton102, 6, 2},
                 {id_RadioButton103, 3, 3},
                 {id_RadioButton104, 4, 4}};

// The date filter's limits: a date picker and a time picker each.
const struct {
  int32_t date, time;
  time_value filter_block::*limit;
} time_limits[] = {{id_DateTimePicker1, id_DateTimePicker2, &filter_block::time_start},
                   {id_DateTimePicker3, id_DateTimePicker4, &filter_block::time_end}};

// The size filter's limits in kilobytes, each a byte count in two halves.
const struct {
  int32_t id;
  uint32_t filter_block::*low;
  uint32_t filter_block::*high;
} size_limits[] = {{id_Edit5, &filter_block::size_start, &filter_block::size_high_start},
                   {id_Edit6, &filter_block::size_end, &filter_block::size_high_end}};

// The colours tab: each sample panel, where it is, the colour and the font it
// shows (none for a plain swatch), and the buttons that change them.
const struct {
  int32_t id;
  int32_t x, y, w, h;
  uint32_t listing_settings::*background;
  font_style listing_settings::*font;
  int32_t colour_button, font_button;
} samples[sample_count] = {
    {id_Panel4, 196, 24, 292, 32, &listing_settings::body_background, nullptr, id_Button5, 0},
    {id_Panel5, 196, 92, 292, 90, &listing_settings::folder_background,
     &listing_settings::folder_font, id_Button6, id_Button4},
    {id_Panel6, 196, 218, 292, 62, &listing_settings::file_background_odd,
     &listing_settings::file_font, id_Button8, id_Button7},
    {id_Panel7, 196, 290, 292, 32, &listing_settings::file_background_even, nullptr, id_Button9, 0},
};

// Days since 30 December 1899, the date pickers' own count.
constexpr double day_count_base = 25569;

LRESULT CALLBACK page_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
      // The dialog handles what its controls report, whichever tab holds them.
      return SendMessageA(GetAncestor(window, GA_ROOT), message, wparam, lparam);
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

HMENU id_of(int32_t id) {
  return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
}

bool system_colour_chooser(HWND owner, COLORREF& color, COLORREF* custom) {
  CHOOSECOLORA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.rgbResult = color;
  dialog.lpCustColors = custom;
  dialog.Flags = CC_RGBINIT | CC_ANYCOLOR;
  if (!ChooseColorA(&dialog)) return false;
  color = dialog.rgbResult;
  return true;
}

bool system_font_chooser(HWND owner, font_style& font) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  LOGFONTW lf = font_description(font, dpi);
  CHOOSEFONTW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpLogFont = &lf;
  dialog.rgbColors = font.color;
  dialog.Flags = CF_SCREENFONTS | CF_SCALABLEONLY | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
  if (!ChooseFontW(&dialog)) return false;
  font.color = dialog.rgbColors & 0xFFFFFF;
  font.size = dialog.iPointSize > 0 ? (dialog.iPointSize + 5) / 10 : font.size;
  take_font_description(lf, font);
  return true;
}

// One custom colour as the settings keep it: "ColorA=BBGGRR" for the first slot.
void custom_colour_text(int32_t slot, COLORREF color, variant& out) {
  char text[24];
  std::snprintf(text, sizeof text, "Color%c=%06X", 'A' + slot,
                static_cast<unsigned>(color & 0xFFFFFF));
  out = text;
}

bool parse_custom_colour(const char* text, COLORREF& color) {
  const char* equals = std::strchr(text, '=');
  if (!equals) return false;
  char* end = nullptr;
  const unsigned long value = std::strtoul(equals + 1, &end, 16);
  if (end == equals + 1 || *end != '\0' || value > 0xFFFFFF) return false;
  color = static_cast<COLORREF>(value);
  return true;
}

}  // namespace

bool TForm1::create(TLumadir* main_window, const variant& program_folder) noexcept {
  main_ = main_window;
  choose_colour_ = system_colour_chooser;
  choose_font_ = system_font_chooser;
  if (!create_window("LumadirSettings", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
                     WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, nullptr, nullptr))
    return false;
  scale_ = scale_of(handle_);
  PageControl1 = CreateWindowExA(
      0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, 0, 0, 10, 10,
      handle_, id_of(id_PageControl1), GetModuleHandleA(nullptr), nullptr);
  for (int32_t i = 0; i < settings_tab_count; ++i) {
    TCITEMA tab = {};
    tab.mask = TCIF_TEXT;
    tab.pszText = const_cast<char*>("");
    SendMessageA(PageControl1, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&tab));
  }
  create_pages();
  create_controls();

  // The mask presets, one per non-empty line of filter.txt.
  variant presets_path(program_folder);
  presets_path.append("filter.txt");
  variant presets("");
  if (read_whole_file(presets_path, presets)) {
    text_from_stored_bytes(presets);  // 2.0 wrote it in the ANSI code page
    variant_list lines;
    lines.split(variant("\r\n"), presets);
    for (auto* line = lines.first(); line; line = line->next) {
      if (line->value.length() > 0)
        SendMessageA(item(id_ComboBox1), CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(line->value.c_str()));
    }
  }
  SendMessageA(item(id_ComboBox2), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Exclude"));
  SendMessageA(item(id_ComboBox2), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Include"));
  for (int32_t i = 0; i < 16; ++i) custom_values_[i] = RGB(255, 255, 255);

  apply_message_font();
  lay_out();
  add_hints();
  show_page(0);
  centre_on_screen(handle_);
  return true;
}

void TForm1::add_hints() noexcept {
  hints_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, "", WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                           handle_, nullptr, GetModuleHandleA(nullptr), nullptr);
  SendMessageA(hints_, TTM_SETMAXTIPWIDTH, 0, scale_(300));
  const auto hint = [this](HWND control, const char* text) {
    TTTOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<char*>(text);
    SendMessageA(hints_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  };
  // The mask box's hint shows over its edit part, which takes the mouse.
  HWND combo = item(id_ComboBox1);
  HWND combo_edit = GetWindow(combo, GW_CHILD);
  const char mask_hint[] = "Select from list or type your own. \"*\" means all files.";
  hint(combo, mask_hint);
  if (combo_edit) hint(combo_edit, mask_hint);
  // The attribute group's hint shows over everything in the group.
  const char attribute_hint[] = "See help for more information";
  for (int32_t id = id_CheckBox16; id <= id_CheckBox8; ++id) hint(item(id), attribute_hint);
}

void TForm1::create_pages() noexcept {
  register_window_class("LumadirPage", page_procedure, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  for (int32_t i = 0; i < settings_tab_count; ++i) {
    pages_[i] = CreateWindowExA(WS_EX_CONTROLPARENT, "LumadirPage", "", WS_CHILD, 0, 0, 10, 10,
                                handle_, nullptr, GetModuleHandleA(nullptr), nullptr);
    // F1 anywhere on a tab opens that tab's topic.
    SetWindowContextHelpId(pages_[i], static_cast<DWORD>(i + 2));
  }
}

void TForm1::create_controls() noexcept {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  for (const control_spec& c : controls) {
    HWND parent = c.page < 0 ? handle_ : pages_[c.page];
    const char* cls = "BUTTON";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD ex_style = 0;
    switch (c.what) {
      case kind::group:
        style |= BS_GROUPBOX;
        break;
      case kind::label:
        cls = "STATIC";
        style |= SS_LEFT;
        break;
      case kind::edit:
        cls = "EDIT";
        style |= WS_TABSTOP | ES_AUTOHSCROLL;
        ex_style = WS_EX_CLIENTEDGE;
        break;
      case kind::combo:
        cls = "COMBOBOX";
        style |= WS_TABSTOP | CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL;
        break;
      case kind::list:
        cls = "COMBOBOX";
        style |= WS_TABSTOP | CBS_DROPDOWNLIST;
        break;
      case kind::check:
        style |= WS_TABSTOP | BS_AUTOCHECKBOX;
        break;
      case kind::multiline_check:
        style |= WS_TABSTOP | BS_AUTOCHECKBOX | BS_MULTILINE;
        break;
      case kind::radio:
        style |= BS_AUTORADIOBUTTON | (c.starts_group ? WS_TABSTOP : 0);
        break;
      case kind::pushlike_radio:
        style |= BS_AUTORADIOBUTTON | BS_PUSHLIKE | (c.starts_group ? WS_TABSTOP : 0);
        break;
      case kind::button:
        style |= WS_TABSTOP | (c.id == id_Button2 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        break;
      case kind::date:
        cls = DATETIMEPICK_CLASSA;
        style |= WS_TABSTOP | DTS_SHORTDATEFORMAT;
        break;
      case kind::time:
        cls = DATETIMEPICK_CLASSA;
        style |= WS_TABSTOP | DTS_TIMEFORMAT | DTS_UPDOWN;
        break;
    }
    if (c.starts_group) style |= WS_GROUP;
    CreateWindowExA(ex_style, cls, c.fixed ? c.fixed : "", style, 0, 0, 10, 10, parent, id_of(c.id),
                    instance, nullptr);
  }
  // Seconds show in the time pickers: the settings keep them.
  for (int32_t id : {id_DateTimePicker2, id_DateTimePicker4})
    SendMessageA(item(id), DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>("HH':'mm':'ss"));
  SendMessageA(item(id_ComboBox1), CB_LIMITTEXT, 0, 0);
  for (int32_t i = 0; i < sample_count; ++i) samples_[i].create(pages_[3], samples[i].id);
  // The column rows lie in an area of their own on the columns tab.
  column_area_ = CreateWindowExA(WS_EX_CONTROLPARENT, "LumadirPage", "", WS_CHILD | WS_VISIBLE, 0,
                                 0, 10, 10, pages_[2], id_of(id_column_area), instance, nullptr);
  columns_.create(column_area_, id_HeaderControl1);
  // Group frames lie under what they hold.
  for (const control_spec& c : controls) {
    if (c.what == kind::group)
      SetWindowPos(item(c.id), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void TForm1::lay_out() noexcept {
  fit_client_area(handle_, scale_, client_width, client_height);
  place(PageControl1, scale_, 0, 0, client_width, pages_height);
  RECT display;
  GetClientRect(PageControl1, &display);
  SendMessageA(PageControl1, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  for (HWND page : pages_) {
    SetWindowPos(page, HWND_TOP, display.left, display.top, display.right - display.left,
                 display.bottom - display.top, SWP_NOACTIVATE);
  }
  for (const control_spec& c : controls) place(item(c.id), scale_, c.x, c.y, c.w, c.h);
  for (const auto& sample : samples)
    place(item(sample.id), scale_, sample.x, sample.y, sample.w, sample.h);
  place(column_area_, scale_, 4, 4, column_rows::width, column_rows::height);
  columns_.lay_out(scale_);
}

HWND TForm1::item(int32_t id) const noexcept {
  if (HWND found = GetDlgItem(handle_, id)) return found;
  for (HWND page : pages_)
    if (HWND found = GetDlgItem(page, id)) return found;
  if (id == id_HeaderControl1) return columns_.header();
  return nullptr;
}

int32_t TForm1::active_tab() const noexcept {
  return static_cast<int32_t>(SendMessageA(PageControl1, TCM_GETCURSEL, 0, 0));
}

void TForm1::select_tab(int32_t index) noexcept {
  SendMessageA(PageControl1, TCM_SETCURSEL, index, 0);
  show_page(index);
}

void TForm1::show_page(int32_t index) noexcept {
  for (int32_t i = 0; i < settings_tab_count; ++i)
    ShowWindow(pages_[i], i == index ? SW_SHOW : SW_HIDE);
}

void TForm1::localize() noexcept {
  if (!phrases_) return;
  const phrase_table& p = *phrases_;
  SetWindowTextA(handle_, product_title);
  for (int32_t i = 0; i < settings_tab_count; ++i) {
    TCITEMA tab = {};
    tab.mask = TCIF_TEXT;
    tab.pszText = const_cast<char*>(p.phrase_text(74 + i));
    SendMessageA(PageControl1, TCM_SETITEMA, i, reinterpret_cast<LPARAM>(&tab));
  }
  for (const control_spec& c : controls)
    if (c.phrase) SetWindowTextA(item(c.id), p.phrase_text(c.phrase));
  columns_.localize(p);
  // A size unit caption and the attribute hints are fixed texts.
  SetWindowTextA(item(id_Label7), "Kb");
  SetWindowTextA(item(id_Label8), "Kb");
}

bool TForm1::checked(int32_t id) const noexcept {
  return SendMessageA(item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TForm1::set_checked(int32_t id, bool on) noexcept {
  SendMessageA(item(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TForm1::set_text(int32_t id, const char* text) noexcept {
  SetWindowTextA(item(id), text);
}

variant TForm1::text_of(HWND control) const noexcept {
  return window_text(control);
}

void TForm1::enable_groups() noexcept {
  const bool time = checked(id_CheckBox1);
  for (int32_t id : {id_DateTimePicker1, id_DateTimePicker2, id_DateTimePicker3, id_DateTimePicker4,
                     id_Label5, id_Label6})
    EnableWindow(item(id), time);
  const bool size = checked(id_CheckBox2);
  for (int32_t id : {id_Edit5, id_Edit6, id_Label7, id_Label8}) EnableWindow(item(id), size);
  // The attribute group's controls follow its box.
  const bool attributes = checked(id_CheckBox16);
  for (int32_t id = id_ComboBox2; id <= id_CheckBox8; ++id) EnableWindow(item(id), attributes);
}

namespace {

void set_picker(HWND picker, double days) {
  SYSTEMTIME when;
  if (VariantTimeToSystemTime(days, &when))
    SendMessageA(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&when));
}

double picker_days(HWND picker) {
  SYSTEMTIME when = {};
  SendMessageA(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&when));
  double days = 0;
  SystemTimeToVariantTime(&when, &days);
  return days;
}

// A 64-bit byte count from its halves, in whole kilobytes, as text.
void kilobytes_text(uint32_t low, uint32_t high, char (&out)[24]) {
  const uint64_t bytes = (static_cast<uint64_t>(high) << 32) | low;
  std::snprintf(out, sizeof out, "%llu", static_cast<unsigned long long>(bytes / 1024));
}

void bytes_of(const variant& text, uint32_t& low, uint32_t& high) {
  uint64_t kilobytes = 0;
  for (const char* p = text.c_str(); *p; ++p)
    if (*p >= '0' && *p <= '9') kilobytes = kilobytes * 10 + static_cast<uint64_t>(*p - '0');
  const uint64_t bytes = kilobytes * 1024;
  low = static_cast<uint32_t>(bytes);
  high = static_cast<uint32_t>(bytes >> 32);
}

// A limit is shown as the clocks read at its date, summer time or not, and not
// shifted by the offset in force today, which the system's file-time
// conversion applies to every date.
FILETIME filetime_of(time_value t) {
  const file_time ft = file_time_from_time(t);
  FILETIME out;
  out.dwLowDateTime = static_cast<DWORD>(ft);
  out.dwHighDateTime = static_cast<DWORD>(ft >> 32);
  return out;
}

time_value time_of(const FILETIME& ft) {
  return time_from_file_time((static_cast<file_time>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

time_value local_at_date(time_value utc) {
  const FILETIME in = filetime_of(utc);
  SYSTEMTIME system, local;
  FILETIME out;
  if (!FileTimeToSystemTime(&in, &system) ||
      !SystemTimeToTzSpecificLocalTime(nullptr, &system, &local) ||
      !SystemTimeToFileTime(&local, &out))
    return time_to_local(utc);
  return time_of(out);
}

time_value utc_at_date(time_value local) {
  const FILETIME in = filetime_of(local);
  SYSTEMTIME clock, system;
  FILETIME out;
  if (!FileTimeToSystemTime(&in, &clock) ||
      !TzSpecificLocalTimeToSystemTime(nullptr, &clock, &system) ||
      !SystemTimeToFileTime(&system, &out))
    return time_to_utc(local);
  return time_of(out);
}

// Seconds from a date picker's whole days and a time picker's time of day.
time_value seconds_of(double date_days, double time_days) {
  const double whole_days = std::trunc(date_days);
  const double fraction = time_days - std::trunc(time_days);
  // The pickers hold whole seconds; rounding keeps a stored second from
  // slipping to the one before through the fraction's binary form.
  return static_cast<time_value>((whole_days - day_count_base) * 86400) +
         static_cast<time_value>(std::lround(fraction * 86400));
}

}  // namespace

void TForm1::load(listing_settings& s) noexcept {
  const filter_block& f = s.filter;
  for (const auto& mask : mask_fields) set_text(mask.id, (f.*mask.text).c_str());
  for (const auto& box : switch_boxes) set_checked(box.id, (box.field.get(s) != 0) != box.inverted);
  for (const auto& choice : choices)
    set_checked(choice.id, (choice.field.get(s) & choice.mask) == choice.value);
  // The attribute mode list: Exclude, then Include.
  SendMessageA(item(id_ComboBox2), CB_SETCURSEL, (f.att_filter & 2) ? 1 : 0, 0);
  for (const auto& limit : time_limits) {
    const double days = local_at_date(f.*limit.limit) / 86400.0 + day_count_base;
    set_picker(item(limit.date), days);
    set_picker(item(limit.time), days);
  }
  for (const auto& limit : size_limits) {
    char kilobytes[24];
    kilobytes_text(f.*limit.low, f.*limit.high, kilobytes);
    set_text(limit.id, kilobytes);
  }
  bool case_sensitive = false;
  for (const auto& key : sort_keys) {
    set_checked(key.id, s.order_files == key.ignoring_case || s.order_files == key.case_sensitive);
    if (s.order_files == key.case_sensitive && key.case_sensitive != key.ignoring_case)
      case_sensitive = true;
  }
  set_checked(id_cbCaseSensitive, case_sensitive);
  enable_groups();

  columns_.load(s.columns, s.column_slots);

  for (int32_t i = 0; i < sample_count; ++i) {
    if (samples[i].font)
      samples_[i].show_font(s.*samples[i].font, s.*samples[i].background);
    else
      samples_[i].show_colour(s.*samples[i].background);
  }

  for (int32_t i = 0; i < 16; ++i) {
    custom_values_[i] = RGB(255, 255, 255);
    custom_texts_[i] = "";
  }
  custom_count_ = 0;
  for (auto* entry = s.custom_colors.first(); entry && custom_count_ < 16; entry = entry->next) {
    custom_texts_[custom_count_].assign_text_of(entry->value);
    parse_custom_colour(entry->value.c_str(), custom_values_[custom_count_]);
    ++custom_count_;
  }
  std::memcpy(custom_loaded_, custom_values_, sizeof custom_loaded_);
}

void TForm1::store(listing_settings& s) noexcept {
  filter_block& f = s.filter;
  for (const auto& mask : mask_fields) f.*mask.text = text_of(item(mask.id));
  for (const auto& box : switch_boxes) box.field.set(s, checked(box.id) != box.inverted ? 1 : 0);
  for (const auto& bits : cleared_bits) bits.field.set(s, bits.field.get(s) & ~bits.mask);
  for (const auto& choice : choices) {
    if (checked(choice.id))
      choice.field.set(s, (choice.field.get(s) & ~choice.mask) | choice.value);
  }
  if (SendMessageA(item(id_ComboBox2), CB_GETCURSEL, 0, 0) == 1) f.att_filter |= 2;
  for (const auto& limit : time_limits)
    f.*limit.limit =
        utc_at_date(seconds_of(picker_days(item(limit.date)), picker_days(item(limit.time))));
  for (const auto& limit : size_limits)
    bytes_of(text_of(item(limit.id)), f.*limit.low, f.*limit.high);
  const bool exact = checked(id_cbCaseSensitive);
  for (const auto& key : sort_keys)
    if (checked(key.id)) s.order_files = exact ? key.case_sensitive : key.ignoring_case;

  columns_.store(s.columns);

  for (int32_t i = 0; i < sample_count; ++i) {
    s.*samples[i].background = samples_[i].background();
    if (font_style listing_settings::*font = samples[i].font) {
      s.*font = samples_[i].font();
      (s.*font).weight = kept_weight((s.*font).weight);
    }
  }

  // Entries the colour dialog did not change go back exactly as they came; once
  // it changed any, it has sixteen to keep.
  const bool changed = std::memcmp(custom_loaded_, custom_values_, sizeof custom_loaded_) != 0;
  s.custom_colors.clear();
  for (int32_t i = 0; i < (changed ? 16 : custom_count_); ++i) {
    variant text(custom_texts_[i]);
    if (i >= custom_count_ || custom_values_[i] != custom_loaded_[i])
      custom_colour_text(i, custom_values_[i], text);
    s.custom_colors.push_copy(text);
  }
}

void TForm1::show_modal(HWND owner) noexcept {
  SetWindowLongPtrA(handle_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  show_page(active_tab());
  run_modal(handle_, owner);
}

void TForm1::Button2Click() noexcept {
  if (main_ && main_->settings()) {
    store(*main_->settings());
    main_->save_settings();
  }
  ShowWindow(handle_, SW_HIDE);
}

void TForm1::Button3Click() noexcept {
  application_help(active_tab() + 2);
}

void TForm1::set_now() noexcept {
  SYSTEMTIME now;
  GetLocalTime(&now);
  for (int32_t id :
       {id_DateTimePicker1, id_DateTimePicker2, id_DateTimePicker3, id_DateTimePicker4})
    SendMessageA(item(id), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&now));
}

void TForm1::pick_colour(sample_panel& panel, bool swatch) noexcept {
  COLORREF color = panel.background();
  if (!choose_colour_ || !choose_colour_(handle_, color, custom_values_)) return;
  if (swatch)
    panel.show_colour(color);
  else
    panel.set_background(color);
}

void TForm1::pick_font(sample_panel& panel) noexcept {
  font_style font = panel.font();
  if (choose_font_) choose_font_(handle_, font);
  // The caption is rewritten either way.
  panel.show_font(font, panel.background());
}

void TForm1::command(int32_t id, int32_t code, HWND control) noexcept {
  if (code == EN_CHANGE) {
    if (id == id_Edit5 || id == id_Edit6) keep_digits(control);
    return;
  }
  if (code != BN_CLICKED) return;
  for (int32_t i = 0; i < sample_count; ++i) {
    if (id == samples[i].colour_button) return pick_colour(samples_[i], !samples[i].font);
    if (samples[i].font_button && id == samples[i].font_button) return pick_font(samples_[i]);
  }
  switch (id) {
    case id_CheckBox1:
    case id_CheckBox2:
    case id_CheckBox16:
      enable_groups();
      break;
    case id_Button10:
      set_now();
      break;
    case id_Button2:
    case IDOK:
      Button2Click();
      break;
    case id_Button1:
    case IDCANCEL:
      ShowWindow(handle_, SW_HIDE);
      break;
    case id_Button3:
      Button3Click();
      break;
    default:
      break;
  }
}

LRESULT TForm1::handle_message(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      command(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam));
      return 0;
    case WM_NOTIFY: {
      const auto* note = reinterpret_cast<const NMHDR*>(lparam);
      if (note->idFrom == id_PageControl1 && note->code == TCN_SELCHANGE) show_page(active_tab());
      return 0;
    }
    case WM_CLOSE:
      ShowWindow(handle_, SW_HIDE);
      return 0;
    case next_tab_message:
      select_tab((active_tab() + (wparam ? 1 : settings_tab_count - 1)) % settings_tab_count);
      return 1;
    default:
      break;
  }
  return default_handling(message, wparam, lparam);
}

}  // namespace lumadir
