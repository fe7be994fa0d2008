#include "ui/main_window.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstdlib>
#include <new>

#include "base/file_system.h"
#include "base/message_box.h"
#include "base/phrase_table.h"
#include "base/product.h"
#include "engine/listing_format.h"
#include "engine/listing_run.h"
#include "engine/phrase_ids.h"
#include "engine/settings_file.h"
#include "ui/about_box.h"

namespace lumadir {

const char web_site_caption[] = "www.vexa.example";
const char web_site_address[] = "https://www.vexa.example/?r=lmd&s=p";

namespace {

// Layout in 96-DPI pixels.
constexpr int32_t client_width = 442;
constexpr int32_t client_height = 147;
constexpr int32_t toolbar_height = 65;
constexpr int32_t group_left = 0;
constexpr int32_t group_top = toolbar_height;

// The help-topic table; index = help context.
constexpr const char* help_topics[] = {
    "help.html",       "help\\ui_main.html", "help\\3100.html", "help\\3200.html",
    "help\\3300.html", "help\\3400.html",    "help\\4000.html",
};
constexpr int32_t help_topic_count = sizeof help_topics / sizeof help_topics[0];

const char save_dialog_title[] = "Save listing file as";

// The menu: a command, its phrase, its shortcut's text (none for an empty one).
struct menu_item {
  int32_t id;  // 0: separator
  int32_t phrase;
  const char* shortcut;
};
const menu_item action_menu[] = {
    {id_Opensourcefolder1, phrase_id::menu_open_source_folder, "Ctrl+O"},
    {0, 0, nullptr},
    {id_Saveas1, phrase_id::menu_save_as, "Ctrl+S"},
    {id_Preview1, phrase_id::menu_preview, "Ctrl+P"},
    {0, 0, nullptr},
    {id_Stop1, phrase_id::menu_stop, nullptr},
};
const menu_item options_menu[] = {
    {id_Settings1, phrase_id::menu_settings, "Ctrl+T"},
    {id_int_brows, phrase_id::menu_internal_viewer, nullptr},
};
const menu_item help_menu[] = {
    {id_Contents1, phrase_id::menu_contents, nullptr},
    {id_Support1, phrase_id::menu_support, nullptr},
    {0, 0, nullptr},
    {id_About1, phrase_id::menu_about, nullptr},
};
struct top_menu {
  int32_t phrase;
  const menu_item* items;
  int32_t count;
};
const top_menu menus[] = {
    {phrase_id::menu_action, action_menu, 6},
    {phrase_id::menu_options, options_menu, 2},
    {phrase_id::menu_help, help_menu, 4},
};

// What the status line says when a run has ended, by its result code.
const struct {
  run_result code;
  int32_t phrase;
} run_end_phrases[] = {
    {run_result::stopped, phrase_id::listing_stopped},
    {run_result::old_failure_200, phrase_id::run_failed_200},
    {run_result::bad_columns, phrase_id::columns_unusable},
    {run_result::cannot_create, phrase_id::listing_file_not_created},
    {run_result::write_failed, phrase_id::listing_write_failed},
    {run_result::old_failure_500, phrase_id::run_failed_500},
    {run_result::old_failure_550, phrase_id::run_failed_550},
    {run_result::no_temporary_folder, phrase_id::no_temporary_folder},
};

// Controls and menu items by state: enabled while idle (and disabled while
// running), or the other way round.
const int32_t idle_controls[] = {id_Edit1, id_SpeedButton1, id_SpeedButton4, id_SpeedButton3,
                                 id_SpeedButton5};
const int32_t idle_menu_items[] = {id_Opensourcefolder1, id_Preview1, id_Saveas1, id_Settings1};

}  // namespace

TLumadir::TLumadir() noexcept = default;

TLumadir::~TLumadir() {
  // The window goes while the settings its closing writes are still here.
  if (handle_) DestroyWindow(handle_);
}

void TLumadir::build() noexcept {
  browse_ = browse_request();
  created_ = false;
  if (!create_window("TLumadir", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                     WS_EX_CONTROLPARENT, nullptr, CreateMenu()))
    return;
  SetWindowContextHelpId(handle_, main_window_help_context);
  build_menu();
  create_controls();
  scale_ = scale_of(handle_);
  apply_message_font();
  lay_out();
  centre_on_screen(handle_);

  settings_.reset(new (std::nothrow) listing_settings);
  if (!settings_) return;
  settings_->progress_callback = show_progress;
  settings_->callback_owner = this;
  set_application_help(this);
  enter_idle_state();
  browse_.flags = browse_file_system_only;
  browse_.owner = handle_;
  created_ = true;
}

void TLumadir::build_menu() noexcept {
  HMENU bar = GetMenu(handle_);
  for (const top_menu& top : menus) {
    HMENU popup = CreatePopupMenu();
    for (int32_t i = 0; i < top.count; ++i) {
      const menu_item& item = top.items[i];
      if (item.id == 0)
        AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
      else
        AppendMenuA(popup, MF_STRING, static_cast<UINT_PTR>(item.id), "");
    }
    AppendMenuA(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup), "");
  }
  AppendMenuA(bar, MF_STRING, id_WebSite1, "");

  ACCEL keys[] = {
      {FVIRTKEY | FCONTROL, 'O', id_Opensourcefolder1},
      {FVIRTKEY | FCONTROL, 'S', id_Saveas1},
      {FVIRTKEY | FCONTROL, 'P', id_Preview1},
      {FVIRTKEY | FCONTROL, 'T', id_Settings1},
  };
  shortcuts_.reset(CreateAcceleratorTableA(keys, 4));
  set_window_shortcuts(handle_, shortcuts_.get());
}

void TLumadir::create_controls() noexcept {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  const auto id_of = [](int32_t id) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); };
  SpeedButton3.create(handle_, id_SpeedButton3, picture::save, picture_place::above_text);
  SpeedButton4.create(handle_, id_SpeedButton4, picture::preview, picture_place::above_text);
  SpeedButton6.create(handle_, id_SpeedButton6, picture::stop, picture_place::above_text);
  SpeedButton5.create(handle_, id_SpeedButton5, picture::settings, picture_place::above_text);
  Edit1 = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 10, 10,
                          handle_, id_of(id_Edit1), instance, nullptr);
  SpeedButton1.create(handle_, id_SpeedButton1, picture::browse, picture_place::left_of_text, 16);
  // The frame lies under the controls it holds and never paints over them.
  GroupBox1 =
      CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_GROUPBOX | WS_CLIPSIBLINGS, 0, 0,
                      10, 10, handle_, id_of(id_GroupBox1), instance, nullptr);
  SetWindowPos(GroupBox1, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  StatusBar1 = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, handle_,
                               id_of(id_StatusBar1), instance, nullptr);
  int parts[1] = {-1};
  SendMessageA(StatusBar1, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(parts));
}

void TLumadir::rescale() noexcept {
  for (flat_button* b : {&SpeedButton3, &SpeedButton4, &SpeedButton6, &SpeedButton5, &SpeedButton1})
    b->refresh_pictures();
}

void TLumadir::lay_out() noexcept {
  fit_client_area(handle_, scale_, client_width, client_height);
  place(SpeedButton3.handle(), scale_, 2, 4, 97, 57);
  place(SpeedButton4.handle(), scale_, 100, 4, 97, 57);
  place(SpeedButton6.handle(), scale_, 198, 4, 97, 57);
  place(SpeedButton5.handle(), scale_, 296, 4, 97, 57);
  SendMessageA(StatusBar1, WM_SIZE, 0, 0);
  RECT status;
  GetWindowRect(StatusBar1, &status);
  RECT client;
  GetClientRect(handle_, &client);
  const int group_height =
      MulDiv(client.bottom - (status.bottom - status.top), 96, scale_.dpi) - group_top - 2;
  place(GroupBox1, scale_, group_left + 4, group_top + 1, client_width - 8, group_height);
  place(Edit1, scale_, group_left + 8, group_top + 24, 337, 24);
  place(SpeedButton1.handle(), scale_, group_left + 344, group_top + 20, 81, 33);
  // The menu bar was measured when the window had its first, smaller size.
  DrawMenuBar(handle_);
}

void TLumadir::localize() noexcept {
  if (!phrases_) return;
  SetWindowTextA(SpeedButton3.handle(), phrase(phrase_id::button_save_as));
  SetWindowTextA(SpeedButton4.handle(), phrase(phrase_id::button_preview));
  SetWindowTextA(SpeedButton6.handle(), phrase(phrase_id::button_stop));
  SetWindowTextA(SpeedButton5.handle(), phrase(phrase_id::button_settings));
  SetWindowTextA(GroupBox1, phrase(phrase_id::source_folder_frame));
  SetWindowTextA(SpeedButton1.handle(), phrase(phrase_id::button_browse));

  HMENU bar = GetMenu(handle_);
  for (int32_t m = 0; m < 3; ++m) {
    const top_menu& top = menus[m];
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<char*>(phrase(top.phrase));
    SetMenuItemInfoA(bar, static_cast<UINT>(m), TRUE, &info);
    HMENU popup = GetSubMenu(bar, m);
    for (int32_t i = 0; i < top.count; ++i) {
      const menu_item& item = top.items[i];
      if (item.id == 0) continue;
      variant text(phrase(item.phrase));
      if (item.shortcut) {
        text.append('\t');
        text.append(item.shortcut);
      }
      info.dwTypeData = const_cast<char*>(text.c_str());
      SetMenuItemInfoA(popup, static_cast<UINT>(item.id), FALSE, &info);
    }
  }
  MENUITEMINFOA site = {};
  site.cbSize = sizeof site;
  site.fMask = MIIM_STRING;
  site.dwTypeData = const_cast<char*>(web_site_caption);
  SetMenuItemInfoA(bar, id_WebSite1, FALSE, &site);
  DrawMenuBar(handle_);
  browse_.prompt = phrase(phrase_id::choose_folder_prompt);
  if (settings_) {
    CheckMenuItem(bar, id_int_brows,
                  MF_BYCOMMAND | (settings_->enable_internal_viewer ? MF_CHECKED : MF_UNCHECKED));
  }
}

void TLumadir::hide_preview_button() noexcept {
  ShowWindow(SpeedButton4.handle(), SW_HIDE);
}

void TLumadir::set_source_folder(const char* folder) noexcept {
  SetWindowTextA(Edit1, folder);
}

void TLumadir::set_settings_path(const variant& path) noexcept {
  settings_path_.assign_text_of(path);
}

void TLumadir::set_program_folder(const variant& folder) noexcept {
  program_folder_.assign_text_of(folder);
}

bool TLumadir::help_hook(uint32_t, int32_t context, bool& call_standard_help) noexcept {
  call_standard_help = false;
  if (context < 0 || context >= help_topic_count) context = 0;
  open_help_topic(help_topics[context]);
  return true;
}

bool TLumadir::open_help_topic(const char* relative_path) noexcept {
  variant path(program_folder_);
  path.append(relative_path);
  if (shell_open("open", path)) return true;
  variant message("Can't open help file: ");
  message.append(path);
  show_message_box(handle_, message.c_str(), product_title, box_warning);
  return false;
}

bool TLumadir::open_web_address(const char* address) noexcept {
  if (shell_open("open", variant(address))) return true;
  show_message_box(handle_, "Can't go to VEXA web site", product_title, box_warning);
  return false;
}

variant TLumadir::status_text() const noexcept {
  const int length = LOWORD(SendMessageA(StatusBar1, SB_GETTEXTLENGTHA, 0, 0));
  variant text("");
  text.set_length(length + 1);
  SendMessageA(StatusBar1, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text.text_data()));
  text.set_length(length);
  return text;
}

void TLumadir::set_status(const char* text) noexcept {
  SendMessageA(StatusBar1, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
}

void TLumadir::show_progress(void* owner, variant* text) {
  // Runs on the worker: the status line takes the text before this returns.
  auto* self = static_cast<TLumadir*>(owner);
  SendMessageA(self->StatusBar1, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text->c_str()));
  delete text;
}

void TLumadir::enter_idle_state() noexcept {
  running_ = false;
  HMENU bar = GetMenu(handle_);
  for (int32_t id : idle_controls) EnableWindow(control(id), TRUE);
  for (int32_t id : idle_menu_items)
    EnableMenuItem(bar, static_cast<UINT>(id), MF_BYCOMMAND | MF_ENABLED);
  EnableWindow(control(id_SpeedButton6), FALSE);
  EnableMenuItem(bar, id_Stop1, MF_BYCOMMAND | MF_GRAYED);
  set_status("");
}

void TLumadir::enter_running_state() noexcept {
  running_ = true;
  HMENU bar = GetMenu(handle_);
  // The focus must not stay on a control about to be disabled, or the keyboard
  // is lost; Stop is the one control that matters now.
  EnableWindow(control(id_SpeedButton6), TRUE);
  EnableMenuItem(bar, id_Stop1, MF_BYCOMMAND | MF_ENABLED);
  HWND focus = GetFocus();
  for (int32_t id : idle_controls) {
    if (focus == control(id)) SetFocus(control(id_SpeedButton6));
    EnableWindow(control(id), FALSE);
  }
  for (int32_t id : idle_menu_items)
    EnableMenuItem(bar, static_cast<UINT>(id), MF_BYCOMMAND | MF_GRAYED);
}

void TLumadir::start_listing_run() noexcept {
  const int length = GetWindowTextLengthA(Edit1);
  if (length == 0) {
    show_message_box(handle_, phrase(phrase_id::no_source_folder), product_title, box_question);
    return;
  }
  settings_->source_path = window_text(Edit1);
  enter_running_state();
  settings_->run_active = 1;
  start_run(*settings_);  // a failure to start leaves 400 for the timer to report
  SetTimer(handle_, Timer1, 300, nullptr);
}

void TLumadir::set_save_dialog_initial_folder() noexcept {
  if (!settings_ || settings_->save_as_path.length() == 0) return;
  variant folder;
  folder.assign_text_of(settings_->save_as_path);
  if (!deepest_existing_folder(folder)) folder = "";
  save_initial_folder_ = static_cast<variant&&>(folder);
}

bool TLumadir::execute_save_dialog(HWND owner, variant& chosen, int32_t* output_type) noexcept {
  // The filter phrase separates its parts with "|"; the dialog wants zeros and
  // a double zero at the end. The forms phrase lists the four forms in
  // listing_type order; a phrase file without it offers HTML alone.
  const char* forms = output_type ? phrase(phrase_id::save_dialog_forms_filter) : "";
  const bool every_form = *forms != '\0';
  variant filter(every_form ? forms : phrase(phrase_id::save_dialog_filter));
  filter.append("||");
  char* f = filter.text_data();
  for (int32_t i = 0; i < filter.length(); ++i)
    if (f[i] == '|') f[i] = '\0';
  const listing_type remembered =
      every_form ? listing_type_of(*output_type) : listing_type::html;
  // As long as a path may be: UTF-8 takes up to three bytes a character.
  constexpr DWORD file_bytes = 32768 * 3;
  char* file = static_cast<char*>(std::calloc(file_bytes, 1));
  if (!file) return false;
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = f;
  dialog.nFilterIndex = static_cast<DWORD>(remembered) + 1;
  dialog.lpstrFile = file;
  dialog.nMaxFile = file_bytes;
  dialog.lpstrInitialDir =
      save_initial_folder_.length() > 0 ? save_initial_folder_.c_str() : nullptr;
  dialog.lpstrTitle = save_dialog_title;
  dialog.lpstrDefExt = every_form ? listing_type_name(remembered)
                       : phrases_ ? phrase(phrase_id::listing_file_extension)
                                  : nullptr;
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER |
                 OFN_NOCHANGEDIR | OFN_ENABLESIZING;
  const bool accepted = GetSaveFileNameA(&dialog) != 0;
  if (accepted) {
    chosen = file;
    // The extension decides; a name with another one takes the form chosen in
    // the list, and with "All files", HTML.
    listing_type type = listing_type::html;
    if (!listing_type_of_path(chosen, type) && dialog.nFilterIndex >= 1 &&
        dialog.nFilterIndex <= static_cast<DWORD>(listing_type_count))
      type = static_cast<listing_type>(dialog.nFilterIndex - 1);
    // A phrase file that offers HTML alone gets HTML, whatever was saved last.
    if (output_type) *output_type = every_form ? static_cast<int32_t>(type) : 0;
  }
  std::free(file);
  return accepted;
}

void TLumadir::Saveas1Click() noexcept {
  if (running_) return;
  set_status("");
  // Asking for a file name first would be wasted when there is no folder.
  if (GetWindowTextLengthA(Edit1) == 0) {
    start_listing_run();
    return;
  }
  set_save_dialog_initial_folder();
  variant chosen("");
  int32_t output_type = settings_->output_type;
  if (!execute_save_dialog(handle_, chosen, &output_type)) return;
  settings_->output_type = output_type;
  settings_->action = 2;
  settings_->save_as_path = chosen;
  variant status(phrase(phrase_id::saving_listing_to));
  status.append(settings_->save_as_path);
  set_status(status.c_str());
  start_listing_run();
}

void TLumadir::Preview1Click() noexcept {
  if (running_) return;
  set_status("");
  settings_->action = 0;
  start_listing_run();
}

void TLumadir::Stop1Click() noexcept {
  if (running_) settings_->stop_requested = 1;
}

void TLumadir::Settings1Click() noexcept {
  if (running_ || !editor_) return;
  set_status("");
  editor_->load(*settings_);
  editor_->show_modal(handle_);
}

void TLumadir::int_browsClick() noexcept {
  settings_->enable_internal_viewer = settings_->enable_internal_viewer ? 0 : 1;
  // A run reads the settings' texts on its own thread; the file is written
  // when it has ended.
  if (settings_->run_active)
    settings_write_pending_ = true;
  else
    write_settings_file();
  CheckMenuItem(GetMenu(handle_), id_int_brows,
                MF_BYCOMMAND | (settings_->enable_internal_viewer ? MF_CHECKED : MF_UNCHECKED));
}

void TLumadir::Opensourcefolder1Click() noexcept {
  if (running_) return;
  set_status("");
  variant initial = window_text(Edit1);
  if (initial.length() == 0) {
    initial.assign_text_of(settings_->source_path);
  }
  if (!deepest_existing_folder(initial)) initial = "";
  browse_.initial_folder = initial;
  browse_.owner = handle_;
  if (browse_for_folder(browse_)) SetWindowTextA(Edit1, browse_.result.c_str());
}

void TLumadir::Timer1Timer() noexcept {
  if (settings_->run_active) return;
  KillTimer(handle_, Timer1);
  enter_idle_state();
  if (settings_write_pending_) {
    settings_write_pending_ = false;
    write_settings_file();
  }
  const run_result code = settings_->result_code.load();
  variant text("");
  if (code == run_result::done) {
    if (settings_->action == 0) {
      if (viewer_)
        viewer_->show_listing();
      else
        shell_open("open", settings_->result_file);
    } else {
      sound_default_beep();
    }
    if (settings_->action == 2) {
      text = phrase(phrase_id::listing_saved_to);
      text.append(settings_->save_as_path);
    } else {
      text = phrase(phrase_id::listing_ready);
    }
  }
  for (const auto& end : run_end_phrases)
    if (end.code == code) text = phrase(end.phrase);
  if (code != run_result::done && code != run_result::stopped)
    show_message_box(nullptr, text.c_str(), product_title, box_warning);
  set_status(text.c_str());
}

void TLumadir::write_settings_file() noexcept {
  if (viewer_) {
    viewer_->placement(settings_->preview_width, settings_->preview_height, settings_->preview_left,
                       settings_->preview_top);
  }
  if (write_settings(*settings_, settings_path_) != 0)
    show_message_box(nullptr, phrase(phrase_id::settings_not_saved), product_title, box_warning);
}

void TLumadir::FormClose() noexcept {
  if (settings_) {
    if (settings_->run_active) {
      // The run reads the settings and writes to the status line: stop it and
      // keep answering it until it has gone.
      settings_->stop_requested = 1;
      wait_answering_sent_messages(settings_->run_active);
    }
    KillTimer(handle_, Timer1);
    settings_write_pending_ = false;
    write_settings_file();
  }
  DestroyWindow(handle_);
}

void TLumadir::FormDestroy() noexcept {
  KillTimer(handle_, Timer1);
  if (settings_) {
    if (settings_->run_active) {
      settings_->stop_requested = 1;
      wait_answering_sent_messages(settings_->run_active);
    }
    if (settings_->temp_file.length() > 0) {
      delete_file(settings_->temp_file);
      settings_->temp_file = "";
    }
    settings_.reset();
  }
  set_window_shortcuts(handle_, nullptr);
  set_application_help(nullptr);
  PostQuitMessage(0);
}

void TLumadir::command(int32_t id) noexcept {
  if (!settings_) return;
  switch (id) {
    case id_Saveas1:
    case id_SpeedButton3:
      Saveas1Click();
      break;
    case id_Preview1:
    case id_SpeedButton4:
      Preview1Click();
      break;
    case id_Stop1:
    case id_SpeedButton6:
      Stop1Click();
      break;
    case id_Settings1:
    case id_SpeedButton5:
      Settings1Click();
      break;
    case id_int_brows:
      int_browsClick();
      break;
    case id_Opensourcefolder1:
    case id_SpeedButton1:
      Opensourcefolder1Click();
      break;
    case id_Contents1:
      open_help_topic("help.html");
      break;
    case id_Support1:
      open_help_topic("support.html");
      break;
    case id_About1:
      if (about_) about_->show(handle_);
      break;
    case id_WebSite1:
      open_web_address(web_site_address);
      break;
    default:
      break;
  }
}

void TLumadir::paint(HDC dc) noexcept {
  RECT toolbar = scale_.rect(0, 0, client_width, toolbar_height);
  DrawEdge(dc, &toolbar, BDR_RAISEDINNER, BF_RECT);
}

LRESULT TLumadir::handle_message(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND: {
      const int32_t id = LOWORD(wparam);
      // Controls report many things; only a button's click is a command.
      if (lparam && HIWORD(wparam) != BN_CLICKED) break;
      if (lparam && !IsWindowEnabled(reinterpret_cast<HWND>(lparam))) return 0;
      command(id);
      return 0;
    }
    case WM_TIMER:
      if (wparam == Timer1 && settings_) Timer1Timer();
      return 0;
    case WM_CLOSE:
      FormClose();
      return 0;
    case WM_DESTROY:
      FormDestroy();
      return 0;
    default:
      break;
  }
  return default_handling(message, wparam, lparam);
}

}  // namespace lumadir
