#include "ui/column_rows.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cstdlib>

#include "base/phrase_table.h"
#include "base/regex_binding.h"
#include "window_kit/window_base.h"

namespace lumadir {

namespace {

// The header's sections: caption phrase and width; the first is as wide as the
// longest column name of any language.
constexpr int32_t section_count = 3;
constexpr int32_t first_section_phrase = 102;
constexpr int32_t section_widths[section_count] = {134, 102, 62};

const struct {
  const char* key;
  int32_t phrase;
} column_names[] = {{"Name", 9},     {"Extension", 10}, {"Size", 11},       {"Modified", 12},
                    {"Created", 13}, {"Accessed", 14},  {"Attributes", 15}, {"Type", 16}};

// The lines of one slot in the columns setting.
enum slot_line : int32_t { line_key, line_shown, line_width, line_title, lines_per_slot };

HMENU id_of(int32_t id) {
  return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
}

}  // namespace

void keep_digits(HWND edit) noexcept {
  const variant text = window_text(edit);
  variant digits(text);
  regex_replace_all("[^0-9]", 0, digits, variant(""));
  if (digits == text) return;
  // The change this makes comes back here and finds only digits.
  SetWindowTextA(edit, digits.c_str());
  SendMessageA(edit, EM_SETSEL, digits.length(), digits.length());
}

column_rows::~column_rows() {
  // The rows' windows go with the dialog's, after this object: messages they
  // get then must not reach it.
  for (const column_row& row : rows_)
    if (row.panel) SetWindowLongPtrA(row.panel, GWLP_USERDATA, 0);
}

void column_rows::create(HWND area, int32_t header_id) noexcept {
  register_window_class("vx_panel", procedure, nullptr);
  HINSTANCE instance = GetModuleHandleA(nullptr);
  area_ = area;
  for (int32_t i = 0; i < count; ++i) order_[i] = &rows_[i];
  header_ = CreateWindowExA(0, WC_HEADERA, "", WS_CHILD | WS_VISIBLE | HDS_HORZ, 0, 0, 10, 10,
                            area_, id_of(header_id), instance, nullptr);
  for (int32_t i = 0; i < section_count; ++i) {
    HDITEMA section = {};
    section.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
    section.fmt = HDF_CENTER | HDF_STRING;
    section.pszText = const_cast<char*>("");
    section.cxy = 10;
    SendMessageA(header_, HDM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&section));
  }
  for (column_row& row : rows_) {
    row.panel = CreateWindowExA(WS_EX_CONTROLPARENT, "vx_panel", "", WS_CHILD | WS_VISIBLE, 0, 0,
                                10, 10, area_, nullptr, instance, this);
    row.shown = CreateWindowExA(0, "BUTTON", "",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX, 0,
                                0, 10, 10, row.panel, id_of(row_shown), instance, nullptr);
    row.label = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0,
                                0, 10, 10, row.panel, id_of(row_label), instance, nullptr);
    row.title = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 10, 10,
                                row.panel, id_of(row_title), instance, nullptr);
    row.width = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 10, 10,
                                row.panel, id_of(row_width), instance, nullptr);
  }
}

void column_rows::lay_out(const dpi_scale& scale) noexcept {
  scale_ = scale;
  place(header_, scale_, 0, 0, width, header_height);
  for (int32_t i = 0; i < section_count; ++i) {
    HDITEMA section = {};
    section.mask = HDI_WIDTH;
    section.cxy = scale_(section_widths[i]);
    SendMessageA(header_, HDM_SETITEMA, i, reinterpret_cast<LPARAM>(&section));
  }
  for (column_row& row : rows_) {
    place(row.shown, scale_, 4, 6, 16, 16);
    place(row.label, scale_, 24, 6, 104, 18);
    place(row.title, scale_, 132, 4, 98, 22);
    place(row.width, scale_, 234, 4, 40, 22);
  }
  place_rows();
}

void column_rows::place_rows() noexcept {
  for (int32_t i = 0; i < count; ++i) {
    const column_row& row = *order_[i];
    place(row.panel, scale_, 0, header_height + i * row_height, width, row_height);
    // Keep the tab order the order on screen.
    SetWindowPos(row.panel, i == 0 ? HWND_TOP : order_[i - 1]->panel, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void column_rows::localize(const phrase_table& phrases) noexcept {
  for (int32_t i = 0; i < section_count; ++i) {
    HDITEMA section = {};
    section.mask = HDI_TEXT;
    section.pszText = const_cast<char*>(phrases.phrase_text(first_section_phrase + i));
    SendMessageA(header_, HDM_SETITEMA, i, reinterpret_cast<LPARAM>(&section));
  }
  labels_.clear();
  for (const auto& name : column_names)
    labels_.put(variant(name.key), variant(phrases.phrase_text(name.phrase)));
}

void column_rows::load(const variant_list& columns, int32_t slots) noexcept {
  auto* line = columns.first();
  for (int32_t i = 0; i < slots && i < count; ++i) {
    column_row& row = *order_[i];
    const char* parts[lines_per_slot] = {"", "0", "", ""};
    for (int32_t k = 0; k < lines_per_slot && line; ++k, line = line->next)
      parts[k] = line->value.c_str();
    row.id = parts[line_key];
    const variant* label = labels_.find(row.id);
    SetWindowTextA(row.label, label ? label->c_str() : "");
    SendMessageA(row.shown, BM_SETCHECK,
                 std::atoi(parts[line_shown]) != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
    SetWindowTextA(row.width, parts[line_width]);
    SetWindowTextA(row.title, parts[line_title]);
  }
}

void column_rows::store(variant_list& columns) const noexcept {
  auto* line = columns.first();
  for (int32_t i = 0; i < count && line; ++i) {
    const column_row& row = *order_[i];
    const bool shown = SendMessageA(row.shown, BM_GETCHECK, 0, 0) == BST_CHECKED;
    const variant values[lines_per_slot] = {row.id, variant(shown ? 1 : 0),
                                            variant(std::atoi(window_text(row.width).c_str())),
                                            window_text(row.title)};
    for (int32_t k = 0; k < lines_per_slot && line; ++k, line = line->next) line->value = values[k];
  }
}

int32_t column_rows::position_of(HWND panel) const noexcept {
  for (int32_t i = 0; i < count; ++i)
    if (order_[i]->panel == panel) return i;
  return -1;
}

int32_t column_rows::row_at(POINT screen) const noexcept {
  for (int32_t i = 0; i < count; ++i) {
    RECT r;
    GetWindowRect(order_[i]->panel, &r);
    if (!PtInRect(&r, screen)) continue;
    // Only our own draggable panels take a drop.
    char cls[16] = {};
    GetClassNameA(order_[i]->panel, cls, sizeof cls);
    return lstrcmpA(cls, "vx_panel") == 0 ? i : -1;
  }
  return -1;
}

void column_rows::highlight(int32_t position, bool on) noexcept {
  if (position < 0) return;
  order_[position]->highlighted = on;
  InvalidateRect(order_[position]->panel, nullptr, TRUE);
  RedrawWindow(order_[position]->panel, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void column_rows::drop_row(int32_t from, int32_t to) noexcept {
  if (from < 0 || to < 0 || from == to) return;
  column_row* moving = order_[from];
  // Out of its place, then just before a target above it or just after one below.
  if (to < from) {
    for (int32_t i = from; i > to; --i) order_[i] = order_[i - 1];
  } else {
    for (int32_t i = from; i < to; ++i) order_[i] = order_[i + 1];
  }
  order_[to] = moving;
  place_rows();
}

LRESULT CALLBACK column_rows::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = bound_object<column_rows>(window, message, lparam);
  if (!self) return DefWindowProcA(window, message, wparam, lparam);
  return self->row_message(window, message, wparam, lparam);
}

LRESULT column_rows::row_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  const int32_t position = position_of(window);
  const bool lit = position >= 0 && order_[position]->highlighted;
  const int face = lit ? COLOR_BTNSHADOW : COLOR_BTNFACE;
  switch (message) {
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(window, &r);
      FillRect(reinterpret_cast<HDC>(wparam), &r, GetSysColorBrush(face));
      DrawEdge(reinterpret_cast<HDC>(wparam), &r, BDR_RAISEDINNER | BDR_SUNKENOUTER, BF_RECT);
      return 1;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      SetBkColor(reinterpret_cast<HDC>(wparam), GetSysColor(face));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(face));
    case WM_COMMAND:
      // Inside a row only the width keeps to digits; the row's own identifiers
      // are not the dialog's.
      if (LOWORD(wparam) == row_width && HIWORD(wparam) == EN_CHANGE)
        keep_digits(reinterpret_cast<HWND>(lparam));
      return 0;
    case WM_LBUTTONDOWN:
      drag_from_ = position;
      dragging_ = false;
      drag_over_ = -1;
      drag_start_ = {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
      SetCapture(window);
      return 0;
    case WM_MOUSEMOVE: {
      if (drag_from_ < 0 || !(wparam & MK_LBUTTON)) return 0;
      POINT at = {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
      if (!dragging_) {
        if (std::abs(at.x - drag_start_.x) < GetSystemMetrics(SM_CXDRAG) &&
            std::abs(at.y - drag_start_.y) < GetSystemMetrics(SM_CYDRAG))
          return 0;
        dragging_ = true;
      }
      ClientToScreen(window, &at);
      const int32_t over = row_at(at);
      if (over != drag_over_) {
        // The dragged row and the row under the pointer darken together.
        if (drag_over_ >= 0) {
          highlight(drag_over_, false);
          highlight(drag_from_, false);
        }
        if (over >= 0) {
          highlight(over, true);
          highlight(drag_from_, true);
        }
        drag_over_ = over;
      }
      SetCursor(LoadCursor(nullptr, over >= 0 ? IDC_SIZENS : IDC_NO));
      return 0;
    }
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED: {
      if (drag_from_ < 0) return 0;
      const int32_t from = drag_from_, to = drag_over_;
      const bool dropped = dragging_ && message == WM_LBUTTONUP;
      drag_from_ = -1;
      drag_over_ = -1;
      dragging_ = false;
      for (int32_t i = 0; i < count; ++i) highlight(i, false);
      if (message == WM_LBUTTONUP) ReleaseCapture();
      if (dropped) drop_row(from, to);
      return 0;
    }
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

}  // namespace lumadir
