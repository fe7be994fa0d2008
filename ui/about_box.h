// The About box, built in code: the program's name, a line of the maker's, a
// short description and an OK button, on a bevelled panel.
#pragma once

#include "base/owned_win.h"
#include "window_kit/window_base.h"

namespace lumadir {

class about_box : public vexa_generic_ui_class {
 public:
  about_box() noexcept = default;

  // Builds the box, hidden and centred on the screen.
  [[nodiscard]] bool create() noexcept;
  // Fills the labels; without phrases the caption, the description and the
  // button keep their first texts.
  void localize() noexcept;
  // Shows the box modally over the owner until its button or close box.
  void show(HWND owner) noexcept;

  HWND label(int index) const { return labels_[index]; }
  HWND button() const { return button_; }

 protected:
  LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam) override;
  void rescale() noexcept override;
  void lay_out() noexcept override;
  void paint(HDC dc) noexcept override;

 private:
  HWND labels_[4] = {};
  HWND button_ = nullptr;
  owned_font bold_font_;  // the product's name
};

}  // namespace lumadir
