// The installer window: a five-page wizard (welcome and language, licence,
// target folder and options, summary, installation) over the installation
// steps of installation.h.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/owned_win.h"
#include "setup/installation.h"
#include "window_kit/window_base.h"

namespace lumadir {

class phrase_table;

enum setup_id : int32_t {
  id_setup_back = 601,
  id_setup_next,
  id_setup_cancel,
  id_setup_heading,
  id_setup_text,
  id_setup_language_heading,
  id_setup_licence,
  id_setup_accept,
  id_setup_target_label,
  id_setup_target,
  id_setup_browse,
  id_setup_desktop,
  id_setup_verb,
  id_setup_space,
  id_setup_note,
  id_setup_summary,
  id_setup_progress,
  id_setup_percent,
  id_setup_warning,
  id_setup_replace,
  id_setup_language_first = 650,  // one radio button per language
};

constexpr int32_t setup_page_count = 5;

class TSetupForm : public vexa_generic_ui_class {
 public:
  TSetupForm() noexcept = default;

  // Builds the window, hidden, in the source folder (a full path with "\").
  bool create(const variant& source_folder) noexcept;
  // The installer's phrases; the language choice also walks their lists of
  // language names, which takes the table itself.
  void set_phrases(phrase_table* phrases) {
    vexa_generic_ui_class::set_phrases(phrases);
    language_table_ = phrases;
  }
  // Localizes, checks that the product is not running and that every required
  // file is there, sizes and centres the window, enters page 0. Sets the abort
  // flag when the installer must not go on.
  void start() noexcept;
  bool aborted() const { return abort_; }

  int32_t page() const { return page_; }
  void next() noexcept;
  void back() noexcept;
  const variant& target() const { return target_; }
  installation& items() { return installation_; }

 protected:
  LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam) override;
  void rescale() noexcept override;
  void lay_out() noexcept override;
  void paint(HDC dc) noexcept override;

 private:
  void enter_page() noexcept;
  void show_only(const int32_t* ids, int32_t count) noexcept;
  void set_buttons(int32_t cancel_phrase, int32_t next_phrase, bool back_shown) noexcept;
  void run_installation() noexcept;
  void browse() noexcept;
  void fail(install_result result) noexcept;
  // Says which required file is missing (or unreadable) and aborts.
  void refuse_missing(const variant& name) noexcept;
  [[nodiscard]] bool read_licence(variant& text) const noexcept;
  void warn_of_replacing() noexcept;
  static void show_progress(void* owner, int32_t percent);

  phrase_table* language_table_ = nullptr;
  installation installation_;
  variant source_{""};
  variant target_{""};
  int32_t page_ = 0;
  bool abort_ = false;
  bool installed_ = false;
  int32_t language_count_ = 0;
  static constexpr int32_t max_languages = 16;
  HWND languages_[max_languages] = {};
  owned_font heading_font_;
};

}  // namespace lumadir
