// The columns tab's rows: one `vx_panel` a listing column, with its shown box,
// name, title and width, under a header. Dragging a row onto another moves it
// there; both rows darken while the pointer is over the target. The order on
// screen is the order the columns setting keeps.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/variant.h"
#include "base/variant_list.h"
#include "base/variant_map.h"
#include "engine/listing_settings.h"
#include "window_kit/dpi.h"

namespace lumadir {

class phrase_table;

// Inside each row's panel.
enum column_row_part : int32_t { row_shown = 1, row_label, row_title, row_width };

// One listing column.
struct column_row {
  HWND panel = nullptr;  // a vx_panel
  HWND shown = nullptr;
  HWND label = nullptr;
  HWND title = nullptr;
  HWND width = nullptr;
  variant id{""};
  bool highlighted = false;
};

// Drops every character but digits from an edit control, the caret at the end.
void keep_digits(HWND edit) noexcept;

class column_rows {
 public:
  static constexpr int32_t count = column_slot_count;

  column_rows() noexcept = default;
  ~column_rows();
  column_rows(const column_rows&) = delete;
  column_rows& operator=(const column_rows&) = delete;

  // Makes the header and the rows inside `area`, a window the caller made
  // and places.
  void create(HWND area, int32_t header_id) noexcept;
  // The area's size in 96-DPI pixels: the header and the rows under it.
  static constexpr int32_t header_height = 20;
  static constexpr int32_t row_height = 32;
  static constexpr int32_t width = 298;
  static constexpr int32_t height = header_height + count * row_height;
  // Places the header and the rows in the area at the scale.
  void lay_out(const dpi_scale& scale) noexcept;
  // The header's captions and the columns' names in the language.
  void localize(const phrase_table& phrases) noexcept;

  // The columns setting: four lines per slot (key, shown, width, title), the
  // rows in that order; store writes the rows' order and values back.
  void load(const variant_list& columns, int32_t slots) noexcept;
  void store(variant_list& columns) const noexcept;

  HWND header() const { return header_; }
  // The rows in their current order, top to bottom.
  const column_row& row(int32_t position) const { return *order_[position]; }

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT row_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept;
  void place_rows() noexcept;
  int32_t position_of(HWND panel) const noexcept;
  int32_t row_at(POINT screen) const noexcept;
  void highlight(int32_t position, bool on) noexcept;
  void drop_row(int32_t from, int32_t to) noexcept;

  HWND area_ = nullptr;
  HWND header_ = nullptr;
  dpi_scale scale_;
  variant_map labels_;  // column key -> name in the language
  column_row rows_[count];
  column_row* order_[count] = {};

  // The drag under way: the row pressed, where, and the row it is over.
  int32_t drag_from_ = -1;
  bool dragging_ = false;
  POINT drag_start_ = {0, 0};
  int32_t drag_over_ = -1;
};

}  // namespace lumadir
