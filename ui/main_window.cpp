#include "ui/main_window.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstdlib>
#include <new>

#include "base/file_system.h"
#include "base/message_box.h"
#include "base/phrase_table.h"
#include "engine/listing_format.h"
#include "engine/listing_run.h"
#include "engine/settings_file.h"
#include "ui/about_box.h"
#include "ui/message_loop.h"

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
const char* const help_topics[] = {
    "help.html",       "help\\ui_main.html", "help\\3100.html", "help\\3200.html",
    "help\\3300.html", "help\\3400.html",    "help\\4000.html",
};

const char save_dialog_title[] = "Save listing file as";

// The menu: a command, its phrase, its shortcut's text (none for an empty one).
struct menu_item {
  int32_t id;  // 0: separator
  int32_t phrase;
  const char* shortcut;
};
const menu_item action_menu[] = {
    {id_Opensourcefolder1, 33, "Ctrl+O"}, {0, 0, nullptr}, {id_Saveas1, 34, "Ctrl+S"},
    {id_Preview1, 35, "Ctrl+P"},          {0, 0, nullptr}, {id_Stop1, 37, nullptr},
};
const menu_item options_menu[] = {
    {id_Settings1, 36, "Ctrl+T"},
    {id_int_brows, 143, nullptr},
};
const menu_item help_menu[] = {
    {id_Contents1, 39, nullptr},
    {id_Support1, 40, nullptr},
    {0, 0, nullptr},
    {id_About1, 41, nullptr},
};
struct top_menu {
  int32_t phrase;
  const menu_item* items;
  int32_t count;
};
const top_menu menus[] = {
    {32, action_menu, 6},
    {142, options_menu, 2},
    {38, help_menu, 4},
};

// Controls and menu items by state: enabled while idle (and disabled while
// running), or the other way round.
const int32_t idle_controls[] = {id_Edit1, id_SpeedButton1, id_SpeedButton4, id_SpeedButton3,
                                 id_SpeedButton5};
const int32_t idle_menu_items[] = {id_Opensourcefolder1, id_Preview1, id_Saveas1, id_Settings1};

}  // namespace

TLumadir::TLumadir() noexcept = default;

TLumadir::~TLumadir() {
  if (handle_) DestroyWindow(handle_);
  if (shortcuts_) DestroyAcceleratorTable(shortcuts_);
  if (font_) DeleteObject(font_);
  delete settings_;
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
  apply_fonts();
  lay_out();
  centre_on_screen(handle_);

  settings_ = new (std::nothrow) listing_settings;
  if (!settings_) return;
  settings_->progress_callback = show_progress;
  settings_->callback_owner = this;
  install_help_topics(help_topics, 7);
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
  shortcuts_ = CreateAcceleratorTableA(keys, 4);
  set_window_shortcuts(handle_, shortcuts_);
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

void TLumadir::apply_fonts() noexcept {
  if (font_) DeleteObject(font_);
  font_ = make_message_font(scale_);
  set_font_everywhere(handle_, font_);
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
  const phrase_table& p = *phrases_;
  SetWindowTextA(SpeedButton3.handle(), p.phrase_text(43));
  SetWindowTextA(SpeedButton4.handle(), p.phrase_text(44));
  SetWindowTextA(SpeedButton6.handle(), p.phrase_text(45));
  SetWindowTextA(SpeedButton5.handle(), p.phrase_text(46));
  SetWindowTextA(GroupBox1, p.phrase_text(47));
  SetWindowTextA(SpeedButton1.handle(), p.phrase_text(48));

  HMENU bar = GetMenu(handle_);
  for (int32_t m = 0; m < 3; ++m) {
    const top_menu& top = menus[m];
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<char*>(p.phrase_text(top.phrase));
    SetMenuItemInfoA(bar, static_cast<UINT>(m), TRUE, &info);
    HMENU popup = GetSubMenu(bar, m);
    for (int32_t i = 0; i < top.count; ++i) {
      const menu_item& item = top.items[i];
      if (item.id == 0) continue;
      variant text(p.phrase_text(item.phrase));
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
  browse_.prompt = p.phrase_text(26);
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
    show_message_box(handle_, phrases_ ? phrases_->phrase_text(31) : "", program_title,
                     box_question);
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
  // a double zero at the end. Phrase 154 lists the four forms in listing_type
  // order; a phrase file without it offers HTML alone.
  const char* forms = output_type && phrases_ ? phrases_->phrase_text(154) : "";
  const bool every_form = *forms != '\0';
  variant filter(every_form ? forms : phrases_ ? phrases_->phrase_text(28) : "");
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
                       : phrases_ ? phrases_->phrase_text(27)
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
  variant status(phrases_ ? phrases_->phrase_text(30) : "");
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
  const auto phrase = [this](int32_t id) { return phrases_ ? phrases_->phrase_text(id) : ""; };
  variant text("");
  switch (settings_->result_code.load()) {
    case run_done:
      if (settings_->action == 0) {
        if (viewer_)
          viewer_->show_listing();
        else
          shell_open("open", settings_->result_file);
      } else {
        sound_default_beep();
      }
      if (settings_->action == 2) {
        text = phrase(17);
        text.append(settings_->save_as_path);
      } else {
        text = phrase(18);
      }
      break;
    case 100:
      text = phrase(19);
      break;
    case 200:
      text = phrase(20);
      break;
    case 300:
      text = phrase(21);
      break;
    case 400:
      text = phrase(22);
      break;
    case 450:
      text = phrase(23);
      break;
    case 500:
      text = phrase(24);
      break;
    case 550:
      text = phrase(25);
      break;
    case run_no_temporary_folder:
      text = phrase(150);
      break;
    default:
      break;
  }
  const int32_t code = settings_->result_code.load();
  if (code != run_done && code != run_stopped)
    show_message_box(nullptr, text.c_str(), program_title, box_warning);
  set_status(text.c_str());
}

void TLumadir::write_settings_file() noexcept {
  if (viewer_) {
    viewer_->placement(settings_->preview_width, settings_->preview_height, settings_->preview_left,
                       settings_->preview_top);
  }
  if (write_settings(*settings_, settings_path_) != 0)
    show_message_box(nullptr, phrases_ ? phrases_->phrase_text(29) : "", program_title,
                     box_warning);
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
    delete settings_;
    settings_ = nullptr;
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
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(handle_, &paint);
      RECT toolbar = scale_.rect(0, 0, client_width, toolbar_height);
      DrawEdge(dc, &toolbar, BDR_RAISEDINNER, BF_RECT);
      EndPaint(handle_, &paint);
      return 0;
    }
    case WM_CLOSE:
      FormClose();
      return 0;
    case WM_DESTROY:
      FormDestroy();
      return 0;
    case WM_DPICHANGED: {
      scale_.dpi = HIWORD(wparam);
      apply_fonts();
      for (flat_button* b :
           {&SpeedButton3, &SpeedButton4, &SpeedButton6, &SpeedButton5, &SpeedButton1})
        b->refresh_pictures();
      const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(handle_, nullptr, suggested->left, suggested->top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      lay_out();
      InvalidateRect(handle_, nullptr, TRUE);
      return 0;
    }
    default:
      break;
  }
  return default_handling(message, wparam, lparam);
}

}  // namespace lumadir
