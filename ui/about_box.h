// The About box, built in code: the program's name, a line of the maker's, a
// short description and an OK button, on a bevelled panel.
#pragma once

#include "ui/dpi.h"
#include "ui/window_base.h"

namespace lumadir {

class phrase_table;

class about_box : public vexa_generic_ui_class {
 public:
  about_box() noexcept = default;
  ~about_box() override;

  // Builds the box, hidden and centred on the screen.
  bool create() noexcept;
  void set_phrases(const phrase_table* phrases) { phrases_ = phrases; }
  // Fills the labels; without phrases the caption, the description and the
  // button keep their first texts.
  void localize() noexcept;
  // Shows the box modally over the owner until its button or close box.
  void show(HWND owner) noexcept;

  HWND label(int index) const { return labels_[index]; }
  HWND button() const { return button_; }

 protected:
  LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void lay_out() noexcept;
  void apply_fonts() noexcept;

  const phrase_table* phrases_ = nullptr;
  HWND labels_[4] = {};
  HWND button_ = nullptr;
  HFONT font_ = nullptr;
  HFONT bold_font_ = nullptr;
  dpi_scale scale_;
};

}  // namespace lumadir
