// A flat button with a picture: no frame until the pointer is over it, a
// sunken frame while pressed, a grey faded picture when disabled. It is an
// owner-drawn push button, so keyboard, focus and BN_CLICKED work as usual.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/owned_win.h"
#include "window_kit/pictures.h"

namespace lumadir {

enum class picture_place { above_text, left_of_text };

class flat_button {
 public:
  flat_button() noexcept = default;
  ~flat_button();
  flat_button(const flat_button&) = delete;
  flat_button& operator=(const flat_button&) = delete;

  // The picture is `size` pixels square at 96 DPI.
  bool create(HWND parent, int32_t id, picture which, picture_place place,
              int32_t size = 24) noexcept;
  HWND handle() const { return handle_; }
  // Remakes the pictures for the window's DPI (after a DPI change).
  void refresh_pictures() noexcept;

 private:
  // A system button is not a window of ours: it is subclassed, and the
  // subclass's reference data is the object.
  static LRESULT CALLBACK subclass_procedure(HWND window, UINT message, WPARAM wparam,
                                             LPARAM lparam, UINT_PTR id, DWORD_PTR data);
  void draw(const DRAWITEMSTRUCT& item) noexcept;

  HWND handle_ = nullptr;
  picture picture_ = picture::save;
  picture_place place_ = picture_place::above_text;
  owned_bitmap normal_;
  owned_bitmap disabled_;
  int32_t picture_size_ = 0;  // at the window's DPI
  int32_t design_size_ = 24;  // at 96 DPI
  bool hot_ = false;
};

}  // namespace lumadir
