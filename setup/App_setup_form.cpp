#include "setup/App_setup_form.h"

#include <commctrl.h>

#include <cstdio>

#include "base/text_encoding.h"
#include "base/file_system.h"
#include "base/message_box.h"
#include "base/phrase_table.h"
#include "base/product.h"
#include "base/shell.h"
#include "setup/install_items.h"
#include "setup/setup_phrases.h"
#include "window_kit/message_loop.h"
#include "window_kit/picture_bitmap.h"

namespace lumadir {

namespace {

// Layout in 96-DPI pixels.
constexpr int32_t client_width = 500;
constexpr int32_t client_height = 340;
constexpr int32_t banner_width = 140;
constexpr int32_t picture_size = 96;

struct place_spec {
  int32_t id, x, y, w, h;
};
const place_spec places[] = {
    {id_setup_heading, 156, 14, 332, 24},
    {id_setup_text, 156, 46, 332, 84},
    {id_setup_language_heading, 156, 140, 332, 18},
    {id_setup_licence, 156, 46, 332, 200},
    {id_setup_accept, 156, 254, 332, 20},
    {id_setup_target_label, 156, 46, 332, 18},
    {id_setup_target, 156, 68, 226, 22},
    {id_setup_browse, 388, 67, 100, 24},
    // The options wrap onto a second line in longer languages (and the verb's
    // in English), so each has room for two.
    {id_setup_desktop, 156, 100, 332, 30},
    {id_setup_verb, 156, 132, 332, 30},
    {id_setup_space, 156, 172, 332, 18},
    {id_setup_note, 156, 196, 332, 80},
    {id_setup_summary, 156, 46, 332, 110},
    {id_setup_warning, 156, 160, 332, 96},
    {id_setup_replace, 156, 260, 332, 20},
    {id_setup_progress, 156, 60, 296, 20},
    {id_setup_percent, 458, 62, 34, 18},
    {id_setup_back, 236, 300, 80, 26},
    {id_setup_next, 320, 300, 80, 26},
    {id_setup_cancel, 408, 300, 80, 26},
};

// The page-dependent controls; what a page shows besides the buttons.
const int32_t page_controls[] = {id_setup_text,         id_setup_language_heading,
                                 id_setup_licence,      id_setup_accept,
                                 id_setup_target_label, id_setup_target,
                                 id_setup_browse,       id_setup_desktop,
                                 id_setup_verb,         id_setup_space,
                                 id_setup_note,         id_setup_summary,
                                 id_setup_progress,     id_setup_percent,
                                 id_setup_warning,      id_setup_replace};

// The files the summary names that an installation would replace; the rest
// are counted.
constexpr int32_t replace_names_shown = 4;

// The Next button of the last page is hidden: it has no phrase.
constexpr int32_t no_phrase = -1;

// What each failed installation step is called in the installer's words.
struct failure_words {
  install_result result;
  int32_t phrase;
};
constexpr failure_words failures[] = {
    {install_result::cannot_make_folder, phrase_cannot_make_folder},
    {install_result::free_space_unknown, phrase_free_space_unknown},
    {install_result::no_room, phrase_no_room},
    {install_result::replace_consent, phrase_replace_consent},
    {install_result::copy_failed, phrase_copy_failed},
    {install_result::shortcut_failed, phrase_shortcut_failed},
    {install_result::registry_failed, phrase_registry_failed},
};

int32_t failure_phrase(install_result result) {
  for (const failure_words& f : failures)
    if (f.result == result) return f.phrase;
  return phrase_copy_failed;
}

// The licence file is wrapped for a console; the box wraps it itself, so the
// lines of one paragraph are joined. Headings, rules, list items and indented
// lines keep their own line.
variant reflowed(const variant& text) {
  variant out("");
  const char* p = text.c_str();
  bool previous_blank = true;
  bool previous_rule = false;
  bool previous_indented = false;
  while (*p) {
    const char* end = p;
    while (*end && *end != '\r' && *end != '\n') ++end;
    const int32_t length = static_cast<int32_t>(end - p);
    const bool blank = length == 0;
    const bool indented = length > 0 && *p == ' ';
    const char* first = p;
    while (first < end && *first == ' ') ++first;
    // An indented paragraph continues on lines indented like it.
    const bool own_line = blank || (indented && !previous_indented) || *first == '-' ||
                          *first == '=' || *first == '*' || (*first >= '0' && *first <= '9');
    if (indented && previous_indented && !own_line) p = first;
    if (!blank && !previous_blank && !own_line && !previous_rule)
      out.append(' ');
    else if (out.length() > 0)
      out.append("\r\n");
    out.append(p, static_cast<int32_t>(end - p));
    previous_indented = indented;
    previous_blank = blank;
    previous_rule = length > 0 && (*p == '=' || *p == '-');
    p = end;
    if (*p == '\r') ++p;
    if (*p == '\n') ++p;
  }
  return out;
}

}  // namespace

bool TSetupForm::create(const variant& source_folder) noexcept {
  source_.assign_text_of(source_folder);
  if (!create_window("LumadirSetup", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                     WS_EX_CONTROLPARENT, nullptr, nullptr))
    return false;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  const auto make = [&](int32_t id, const char* cls, DWORD style, DWORD ex_style = 0) {
    CreateWindowExA(ex_style, cls, "", WS_CHILD | style, 0, 0, 10, 10, handle_,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  };
  make(id_setup_heading, "STATIC", WS_VISIBLE | SS_LEFT | SS_NOPREFIX);
  make(id_setup_text, "STATIC", SS_LEFT | SS_NOPREFIX);
  make(id_setup_language_heading, "STATIC", SS_LEFT);
  make(id_setup_licence, "EDIT",
       WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, WS_EX_CLIENTEDGE);
  make(id_setup_accept, "BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX);
  make(id_setup_target_label, "STATIC", SS_LEFT);
  make(id_setup_target, "EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
  make(id_setup_browse, "BUTTON", WS_TABSTOP | BS_PUSHBUTTON);
  make(id_setup_desktop, "BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX | BS_MULTILINE);
  make(id_setup_verb, "BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX | BS_MULTILINE);
  make(id_setup_space, "STATIC", SS_LEFT | SS_NOPREFIX);
  make(id_setup_note, "STATIC", SS_LEFT | SS_NOPREFIX);
  make(id_setup_summary, "STATIC", SS_LEFT | SS_NOPREFIX);
  make(id_setup_warning, "STATIC", SS_LEFT | SS_NOPREFIX);
  make(id_setup_replace, "BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX | BS_MULTILINE);
  make(id_setup_progress, PROGRESS_CLASSA, 0);
  make(id_setup_percent, "STATIC", SS_RIGHT);
  make(id_setup_back, "BUTTON", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON);
  make(id_setup_next, "BUTTON", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON);
  make(id_setup_cancel, "BUTTON", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON);
  SendMessageA(control(id_setup_progress), PBM_SETRANGE32, 0, 100);
  scale_ = scale_of(handle_);
  apply_message_font();
  rescale();
  return true;
}

void TSetupForm::rescale() noexcept {
  owned_font heading = make_message_font(scale_, true);
  SendMessageA(control(id_setup_heading), WM_SETFONT, reinterpret_cast<WPARAM>(heading.get()),
               TRUE);
  heading_font_ = static_cast<owned_font&&>(heading);
}

void TSetupForm::lay_out() noexcept {
  fit_client_area(handle_, scale_, client_width, client_height);
  for (const place_spec& p : places) place(control(p.id), scale_, p.x, p.y, p.w, p.h);
  for (int32_t i = 0; i < language_count_; ++i)
    place(languages_[i], scale_, 168, 162 + i * (18 + 8), 300, 18);
}

void TSetupForm::start() noexcept {
  SetWindowTextA(handle_, product_title);
  SetWindowTextA(control(id_setup_text), phrase(phrase_welcome_text));
  SetWindowTextA(control(id_setup_accept), phrase(phrase_accept_licence));
  SetWindowTextA(control(id_setup_target_label), phrase(phrase_target_label));
  SetWindowTextA(control(id_setup_browse), phrase(phrase_browse));
  SetWindowTextA(control(id_setup_desktop), phrase(phrase_desktop_option));
  SetWindowTextA(control(id_setup_verb), phrase(phrase_folder_verb_option));
  SetWindowTextA(control(id_setup_back), phrase(phrase_back));
  SetWindowTextA(control(id_setup_replace), phrase(phrase_replace_these));

  if (FindWindowA("TLumadir", nullptr)) {
    show_message_box(nullptr, phrase(phrase_product_running), product_title, box_error);
    abort_ = true;
    return;
  }
  variant missing("");
  if (!installation_.build_list(source_, missing)) {
    refuse_missing(missing);
    return;
  }
  // The licence, read-only: one that cannot be read cannot be accepted.
  variant licence("");
  if (!read_licence(licence)) {
    refuse_missing(variant(install_items::licence_file));
    return;
  }
  SetWindowTextA(control(id_setup_licence), reflowed(licence).c_str());

  variant space(phrase(phrase_space_needed));
  space.append(kilobytes_text(installation_.total_size()));
  space.append(phrase(phrase_kilobytes));
  SetWindowTextA(control(id_setup_space), space.c_str());

  language_count_ = language_table_ ? language_table_->language_count() : 0;
  if (language_count_ >= 2) {
    SetWindowTextA(control(id_setup_language_heading), phrase(phrase_language_heading));
    if (language_count_ > max_languages) language_count_ = max_languages;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    for (int32_t i = 0; i < language_count_; ++i) {
      const char* name = language_table_->full_names().item_at(i).c_str();
      languages_[i] = CreateWindowExA(
          0, "BUTTON", name, WS_CHILD | BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0),
          0, 0, 10, 10, handle_,
          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_setup_language_first + i)), instance,
          nullptr);
      SendMessageA(languages_[i], WM_SETFONT, reinterpret_cast<WPARAM>(message_font()), TRUE);
    }
    SendMessageA(languages_[0], BM_SETCHECK, BST_CHECKED, 0);
  } else {
    language_count_ = 0;
  }
  SendMessageA(control(id_setup_desktop), BM_SETCHECK, BST_CHECKED, 0);
  SendMessageA(control(id_setup_verb), BM_SETCHECK, BST_CHECKED, 0);
  lay_out();
  centre_on_screen(handle_);
  page_ = 0;
  enter_page();
}

void TSetupForm::show_only(const int32_t* ids, int32_t count) noexcept {
  for (int32_t id : page_controls) {
    bool shown = false;
    for (int32_t i = 0; i < count; ++i) shown = shown || ids[i] == id;
    ShowWindow(control(id), shown ? SW_SHOW : SW_HIDE);
  }
  for (int32_t i = 0; i < language_count_; ++i)
    ShowWindow(languages_[i], page_ == 0 ? SW_SHOW : SW_HIDE);
  if (page_ == 0 && language_count_ >= 2) ShowWindow(control(id_setup_language_heading), SW_SHOW);
}

void TSetupForm::set_buttons(int32_t cancel_phrase, int32_t next_phrase, bool back_shown) noexcept {
  SetWindowTextA(control(id_setup_cancel), phrase(cancel_phrase));
  if (next_phrase >= 0) SetWindowTextA(control(id_setup_next), phrase(next_phrase));
  ShowWindow(control(id_setup_next), next_phrase >= 0 ? SW_SHOW : SW_HIDE);
  ShowWindow(control(id_setup_back), back_shown ? SW_SHOW : SW_HIDE);
  EnableWindow(control(id_setup_next), TRUE);
}

void TSetupForm::enter_page() noexcept {
  variant heading(product_title);
  switch (page_) {
    case 0: {
      heading.append(phrase(phrase_welcome_heading));
      const int32_t shown[] = {id_setup_text};
      show_only(shown, 1);
      set_buttons(phrase_cancel, phrase_next, false);
      break;
    }
    case 1: {
      heading = phrase(phrase_licence_heading);
      const int32_t shown[] = {id_setup_licence, id_setup_accept};
      show_only(shown, 2);
      set_buttons(phrase_cancel, phrase_next, true);
      // Next only once the licence is accepted.
      EnableWindow(control(id_setup_next),
                   SendMessageA(control(id_setup_accept), BM_GETCHECK, 0, 0) == BST_CHECKED);
      break;
    }
    case 2: {
      heading.append(phrase(phrase_target_heading));
      if (target_.length() == 0) {
        bool previous = false;
        if (!default_target(target_, previous)) {
          show_message_box(nullptr, phrase(phrase_no_program_files), product_title, box_error);
          DestroyWindow(handle_);
          return;
        }
        SetWindowTextA(control(id_setup_note),
                       previous ? phrase(phrase_installed_here_before) : "");
        SetWindowTextA(control(id_setup_target), target_.c_str());
      }
      const int32_t shown[] = {id_setup_target_label, id_setup_target, id_setup_browse,
                               id_setup_desktop,      id_setup_verb,   id_setup_space,
                               id_setup_note};
      show_only(shown, 7);
      set_buttons(phrase_cancel, phrase_next, true);
      break;
    }
    case 3: {
      heading = phrase(phrase_summary_heading);
      target_ = window_text(control(id_setup_target));
      // The summary names the folder the files will go to: a relative one as
      // the full path it stands for.
      if (full_target(target_)) SetWindowTextA(control(id_setup_target), target_.c_str());
      variant summary(phrase(phrase_summary_intro));
      summary.append("\r\n\r\n");
      summary.append(phrase(phrase_summary_folder));
      summary.append(shortened_target(target_));
      summary.append("\r\n");
      const bool desktop =
          SendMessageA(control(id_setup_desktop), BM_GETCHECK, 0, 0) == BST_CHECKED;
      const bool verb = SendMessageA(control(id_setup_verb), BM_GETCHECK, 0, 0) == BST_CHECKED;
      summary.append(phrase(desktop ? phrase_desktop_yes : phrase_desktop_no));
      summary.append("\r\n");
      summary.append(phrase(verb ? phrase_folder_verb_yes : phrase_folder_verb_no));
      SetWindowTextA(control(id_setup_summary), summary.c_str());
      const int32_t shown[] = {id_setup_summary};
      show_only(shown, 1);
      set_buttons(phrase_cancel, phrase_install, true);
      warn_of_replacing();
      break;
    }
    case 4: {
      heading = phrase(phrase_installing_heading);
      SetWindowTextA(control(id_setup_heading), heading.c_str());
      run_installation();
      return;
    }
    default:
      break;
  }
  SetWindowTextA(control(id_setup_heading), heading.c_str());
}

void TSetupForm::show_progress(void* owner, int32_t percent) {
  auto* self = static_cast<TSetupForm*>(owner);
  SendMessageA(self->control(id_setup_progress), PBM_SETPOS, percent, 0);
  char text[8];
  std::snprintf(text, sizeof text, "%d%%", static_cast<int>(percent));
  SetWindowTextA(self->control(id_setup_percent), text);
  UpdateWindow(self->handle_);
}

// A folder that holds files of others is never written over unasked: the
// summary names what would be replaced, and Install waits until the user
// agrees. A folder of other files that none would replace gets a word that
// they stay.
void TSetupForm::warn_of_replacing() noexcept {
  SendMessageA(control(id_setup_replace), BM_SETCHECK, BST_UNCHECKED, 0);
  variant_list names;
  const int32_t count = installation_.files_to_replace(target_, names);
  variant warning("");
  if (count > 0) {
    warning = phrase(phrase_would_replace);
    int32_t shown = 0;
    for (variant_list::node* n = names.first(); n && shown < replace_names_shown;
         n = n->next, ++shown) {
      warning.append("\r\n    ");
      warning.append(n->value);
    }
    if (count > replace_names_shown) {
      warning.append("\r\n");
      warning.append(phrase(phrase_further_files));
      warning.append(variant(count - replace_names_shown));
    }
    ShowWindow(control(id_setup_replace), SW_SHOW);
    EnableWindow(control(id_setup_next), FALSE);
  } else {
    variant registered("");
    bool previous = false;
    const bool same = default_target(registered, previous) && previous &&
                      variant::compare_ignoring_case(registered, target_) == 0;
    if (!same && folder_holds_anything(target_)) warning = phrase(phrase_folder_not_empty);
  }
  SetWindowTextA(control(id_setup_warning), warning.c_str());
  ShowWindow(control(id_setup_warning), warning.length() > 0 ? SW_SHOW : SW_HIDE);
}

void TSetupForm::refuse_missing(const variant& name) noexcept {
  variant message(phrase(phrase_required_missing));
  message.append(name);
  message.append(phrase(phrase_required_missing_end));
  show_message_box(nullptr, message.c_str(), product_title, box_error);
  abort_ = true;
}

bool TSetupForm::read_licence(variant& text) const noexcept {
  variant path = path_in(source_, install_items::licence_file);
  if (!read_whole_file(path, text)) return false;
  text_from_stored_bytes(text);
  return true;
}

void TSetupForm::fail(install_result result) noexcept {
  // Which step failed, on what, and that the run was undone (or what of it
  // could not be).
  variant message(phrase(failure_phrase(result)));
  if (installation_.failed_item().length() > 0) {
    message.append("\r\n");
    message.append(installation_.failed_item());
  }
  message.append("\r\n\r\n");
  const variant_list& left = installation_.not_undone();
  if (left.count() == 0) {
    message.append(phrase(phrase_nothing_changed));
  } else {
    message.append(phrase(phrase_undo_incomplete));
    for (variant_list::node* n = left.first(); n; n = n->next) {
      message.append("\r\n");
      message.append(n->value);
    }
  }
  show_message_box(handle_, message.c_str(), product_title, box_error);
  page_ = 3;
  enter_page();
}

void TSetupForm::run_installation() noexcept {
  const bool desktop = SendMessageA(control(id_setup_desktop), BM_GETCHECK, 0, 0) == BST_CHECKED;
  const bool verb = SendMessageA(control(id_setup_verb), BM_GETCHECK, 0, 0) == BST_CHECKED;
  const int32_t shown[] = {id_setup_progress, id_setup_percent};
  show_only(shown, 2);
  set_buttons(phrase_close, no_phrase, false);
  show_progress(this, 0);
  // With several languages, the one chosen becomes the program's vxlang.xml.
  const char* language = nullptr;
  if (language_count_ >= 2) {
    for (int32_t i = 0; i < language_count_; ++i)
      if (SendMessageA(languages_[i], BM_GETCHECK, 0, 0) == BST_CHECKED)
        language = language_table_->short_names().item_at(i).c_str();
  }
  const bool replace = SendMessageA(control(id_setup_replace), BM_GETCHECK, 0, 0) == BST_CHECKED;
  const install_result result =
      installation_.install(target_, desktop, verb, language, show_progress, this, replace);
  if (result != install_result::done) {
    fail(result);
    return;
  }
  installed_ = true;
  SetWindowTextA(control(id_setup_heading), phrase(phrase_installed_heading));
  SetWindowTextA(control(id_setup_text), phrase(phrase_installed_text));
  const int32_t done[] = {id_setup_text};
  show_only(done, 1);
}

void TSetupForm::next() noexcept {
  if (page_ >= setup_page_count - 1) return;
  ++page_;
  enter_page();
}

void TSetupForm::back() noexcept {
  if (page_ == 0 || page_ == 4) return;
  --page_;
  enter_page();
}

void TSetupForm::browse() noexcept {
  browse_request request;
  variant title(product_title);
  title.append(' ');
  title.append(phrase(phrase_browse_prompt));
  request.prompt = title;
  request.initial_folder = window_text(control(id_setup_target));
  request.owner = handle_;
  request.flags = browse_file_system_only;
  if (!browse_for_folder(request)) return;
  variant chosen(request.result);
  if (chosen.length() > 0 && chosen.text().data()[chosen.length() - 1] != '\\') chosen.append('\\');
  chosen.append("LMD1");
  target_ = chosen;
  SetWindowTextA(control(id_setup_target), target_.c_str());
}

void TSetupForm::paint(HDC dc) noexcept {
  // The banner: a band of the program's colour with its picture.
  RECT banner = scale_.rect(0, 0, banner_width, client_height);
  const owned_brush band(CreateSolidBrush(RGB(0x24, 0x54, 0x8F)));
  FillRect(dc, &banner, band.get());
  const int32_t size = scale_(picture_size);
  const owned_bitmap picture = make_picture_bitmap(picture::program, size, false);
  draw_picture_bitmap(dc, picture.get(), (banner.right - size) / 2, scale_(24), size);
  RECT line = scale_.rect(banner_width + 8, 288, client_width - banner_width - 20, 2);
  DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
}

LRESULT TSetupForm::handle_message(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (lparam && HIWORD(wparam) != BN_CLICKED) break;
      switch (LOWORD(wparam)) {
        case id_setup_next:
        case IDOK:
          if (IsWindowVisible(control(id_setup_next)) && IsWindowEnabled(control(id_setup_next)))
            next();
          return 0;
        case id_setup_back:
          back();
          return 0;
        case id_setup_cancel:
        case IDCANCEL:
          SendMessageA(handle_, WM_CLOSE, 0, 0);
          return 0;
        case id_setup_browse:
          browse();
          return 0;
        case id_setup_accept:
          EnableWindow(control(id_setup_next),
                       SendMessageA(control(id_setup_accept), BM_GETCHECK, 0, 0) == BST_CHECKED);
          return 0;
        case id_setup_replace:
          EnableWindow(control(id_setup_next),
                       SendMessageA(control(id_setup_replace), BM_GETCHECK, 0, 0) == BST_CHECKED);
          return 0;
        default:
          break;
      }
      break;
    case WM_CLOSE:
      DestroyWindow(handle_);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return default_handling(message, wparam, lparam);
}

}  // namespace lumadir
