#include "engine/text_format.h"

#include "base/file_system.h"
#include "base/phrase_table.h"
#include "base/text_encoding.h"
#include "engine/phrase_ids.h"

namespace lumadir {

namespace {

struct code_range {
  uint32_t first;
  uint32_t last;
};

// Combining marks of the common scripts and the invisible format characters.
constexpr code_range zero_width[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x05BF, 0x05BF}, {0x05C1, 0x05C2},
    {0x05C4, 0x05C5}, {0x05C7, 0x05C7}, {0x0610, 0x061A}, {0x064B, 0x065F}, {0x0670, 0x0670},
    {0x06D6, 0x06DC}, {0x06DF, 0x06E4}, {0x06E7, 0x06E8}, {0x06EA, 0x06ED}, {0x0900, 0x0902},
    {0x093A, 0x093A}, {0x093C, 0x093C}, {0x0941, 0x0948}, {0x094D, 0x094D}, {0x0951, 0x0957},
    {0x0E31, 0x0E31}, {0x0E34, 0x0E3A}, {0x0E47, 0x0E4E}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF},
    {0x200B, 0x200F}, {0x202A, 0x202E}, {0x2060, 0x2064}, {0x20D0, 0x20FF}, {0x302A, 0x302D},
    {0x3099, 0x309A}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0xFEFF, 0xFEFF}, {0xE0100, 0xE01EF}};

// East Asian Wide and Fullwidth blocks and the emoji shown as pictures.
constexpr code_range double_width[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},
    {0x23F0, 0x23F0},   {0x23F3, 0x23F3},   {0x25FD, 0x25FE},   {0x2614, 0x2615},
    {0x2648, 0x2653},   {0x267F, 0x267F},   {0x2693, 0x2693},   {0x26A1, 0x26A1},
    {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},   {0x26CE, 0x26CE},
    {0x26D4, 0x26D4},   {0x26EA, 0x26EA},   {0x26F2, 0x26F3},   {0x26F5, 0x26F5},
    {0x26FA, 0x26FA},   {0x26FD, 0x26FD},   {0x2705, 0x2705},   {0x270A, 0x270B},
    {0x2728, 0x2728},   {0x274C, 0x274C},   {0x274E, 0x274E},   {0x2753, 0x2755},
    {0x2757, 0x2757},   {0x2795, 0x2797},   {0x27B0, 0x27B0},   {0x27BF, 0x27BF},
    {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},   {0x2B55, 0x2B55},   {0x2E80, 0x3029},
    {0x302E, 0x303E},   {0x3041, 0x3098},   {0x309B, 0x33FF},   {0x3400, 0x4DBF},
    {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xA960, 0xA97F},   {0xAC00, 0xD7A3},
    {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6},   {0x16FE0, 0x16FE4}, {0x17000, 0x18CFF}, {0x1B000, 0x1B2FF},
    {0x1F004, 0x1F004}, {0x1F0CF, 0x1F0CF}, {0x1F18E, 0x1F18E}, {0x1F191, 0x1F19A},
    {0x1F200, 0x1F251}, {0x1F300, 0x1F320}, {0x1F32D, 0x1F335}, {0x1F337, 0x1F37C},
    {0x1F37E, 0x1F393}, {0x1F3A0, 0x1F3CA}, {0x1F3CF, 0x1F3D3}, {0x1F3E0, 0x1F3F0},
    {0x1F3F4, 0x1F3F4}, {0x1F3F8, 0x1F43E}, {0x1F440, 0x1F440}, {0x1F442, 0x1F4FC},
    {0x1F4FF, 0x1F53D}, {0x1F54B, 0x1F54E}, {0x1F550, 0x1F567}, {0x1F57A, 0x1F57A},
    {0x1F595, 0x1F596}, {0x1F5A4, 0x1F5A4}, {0x1F5FB, 0x1F64F}, {0x1F680, 0x1F6C5},
    {0x1F6CC, 0x1F6CC}, {0x1F6D0, 0x1F6D2}, {0x1F6D5, 0x1F6D7}, {0x1F6EB, 0x1F6EC},
    {0x1F6F4, 0x1F6FC}, {0x1F7E0, 0x1F7EB}, {0x1F90C, 0x1F93A}, {0x1F93C, 0x1F945},
    {0x1F947, 0x1F9FF}, {0x1FA70, 0x1FAFF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD}};

template <size_t N>
bool in_ranges(const code_range (&ranges)[N], uint32_t code_point) {
  size_t low = 0;
  size_t high = N;
  while (low < high) {
    const size_t middle = (low + high) / 2;
    if (code_point > ranges[middle].last)
      low = middle + 1;
    else if (code_point < ranges[middle].first)
      high = middle;
    else
      return true;
  }
  return false;
}

}  // namespace

int32_t text_width(const char* bytes, int32_t length) noexcept {
  int32_t width = 0;
  for (int32_t i = 0; i < length;) {
    uint32_t code_point = 0;
    int32_t size = decode_utf8(bytes + i, length - i, code_point);
    if (size == 0) {
      size = 1;  // a stray byte: shown as one replacement character
      code_point = replacement_character;
    }
    i += size;
    if (code_point < 0x300) {
      width += 1;
    } else if (in_ranges(zero_width, code_point)) {
      continue;
    } else {
      width += in_ranges(double_width, code_point) ? 2 : 1;
    }
  }
  return width;
}

void append_padded(variant& line, const variant& cell, int32_t width, bool right) noexcept {
  int32_t spaces = width - text_width(cell.text().data(), cell.length());
  if (!right) line.append(cell);
  for (; spaces > 0; --spaces) line.append(' ');
  if (right) line.append(cell);
}

const char* text_format::phrase(int32_t id) const {
  return settings_.language_phrases ? settings_.language_phrases->phrase_text(id) : "";
}

// How far below the source folder a folder lies: the walk builds every path
// by adding a separator and a name to its parent's.
int32_t text_format::depth_of(const variant& folder) const {
  if (folder.length() <= source_length_) return 0;
  int32_t depth = source_ends_with_separator_ ? 1 : 0;
  const char* p = folder.text().data();
  for (int32_t i = source_length_; i < folder.length(); ++i)
    if (p[i] == path_separator) ++depth;
  return depth;
}

void text_format::indent(int32_t depth) {
  for (int32_t i = 0; i < depth; ++i) line_.append("  ");
}

bool text_format::write_line() {
  // Padding stops where the text does.
  int32_t end = line_.length();
  while (end > 0 && line_.text().data()[end - 1] == ' ') --end;
  line_.set_length(end);
  line_.append("\r\n");
  const bool written = output_.write(line_);
  line_ = "";
  return written;
}

run_result text_format::head(const variant& source_path) noexcept {
  const run_result prepared = prepare_listing(settings_);
  if (prepared != run_result::done) return prepared;
  column_count_ = shown_columns(settings_, columns_);
  for (int32_t c = 0; c < column_count_; ++c) {
    titles_[c] = "";
    append_clean_text(titles_[c], columns_[c].title->text().data(), columns_[c].title->length(),
                      false);
  }
  source_length_ = source_path.length();
  source_ends_with_separator_ =
      source_length_ > 0 && source_path.text().data()[source_length_ - 1] == path_separator;
  return run_result::done;
}

bool text_format::write_rows() {
  if (cells_.count() == 0) return true;
  for (int32_t c = 0; c < column_count_; ++c)
    widths_[c] = text_width(titles_[c].text().data(), titles_[c].length());
  const variant_list::node* cell = cells_.first();
  while (cell) {
    for (int32_t c = 0; c < column_count_ && cell; ++c, cell = cell->next) {
      const int32_t width = text_width(cell->value.text().data(), cell->value.length());
      if (width > widths_[c]) widths_[c] = width;
    }
  }
  bool written = true;
  cell = cells_.first();
  for (bool titles = true; titles || cell; titles = false) {
    indent(depth_ + 1);
    for (int32_t c = 0; c < column_count_; ++c) {
      if (c > 0) line_.append("  ");
      const variant& text = titles ? titles_[c] : cell->value;
      append_padded(line_, text, widths_[c], columns_[c].key == column_key::size);
      if (!titles) cell = cell->next;
    }
    written = write_line() && written;
  }
  cells_.clear();
  return written;
}

bool text_format::folder_start(const variant& folder) noexcept {
  if (!write_rows()) return false;
  depth_ = depth_of(folder);
  if (any_folder_ && !write_line()) return false;  // a blank line between folders
  any_folder_ = true;
  indent(depth_);
  if (depth_ == 0) {
    append_clean_text(line_, folder.text().data(), folder.length(), false);
  } else {
    const int32_t slash = folder.find_last(variant(path_separator));
    append_clean_text(line_, folder.text().data() + slash + 1, folder.length() - slash - 1, false);
    line_.append(path_separator);
  }
  return write_line();
}

bool text_format::unreadable_folder(const variant& folder) noexcept {
  if (!write_rows()) return false;
  depth_ = depth_of(folder);
  if (any_folder_ && !write_line()) return false;
  any_folder_ = true;
  indent(depth_);
  line_.append(phrase(141));
  append_clean_text(line_, folder.text().data(), folder.length(), false);
  return write_line();
}

run_result text_format::row(file_entry& entry, bool) noexcept {
  if (settings_.stopping()) return run_result::stopped;
  entry.modified = settings_.text_cache.to_local(entry.modified);
  entry.created = settings_.text_cache.to_local(entry.created);
  entry.accessed = settings_.text_cache.to_local(entry.accessed);
  for (int32_t c = 0; c < column_count_; ++c) {
    variant cell = plain_cell_text(columns_[c].key, entry, settings_);
    const byte_text& bytes = cell.text();
    bool printable_ascii = true;
    for (int32_t i = 0; i < bytes.length() && printable_ascii; ++i)
      printable_ascii = bytes.data()[i] >= 0x20 && bytes.data()[i] < 0x7F;
    if (!printable_ascii) {
      variant clean("");
      append_clean_text(clean, bytes.data(), bytes.length(), false);
      cell = static_cast<variant&&>(clean);
    }
    if (!cells_.push(cell)) return run_result::write_failed;  // out of memory: the listing cannot be whole
  }
  return run_result::done;
}

bool text_format::folder_summary(int32_t files, int32_t folders, uint64_t size) noexcept {
  if (!write_rows()) return false;
  indent(depth_ + 1);
  if (settings_.recursive_options & 1) line_.append(phrase(149));
  line_.append(phrase(128));
  line_.append(variant(files));
  line_.append(phrase(129));
  line_.append(variant(folders));
  line_.append(phrase(130));
  line_.append(size_text(size, settings_.size_units, settings_.size_unit_text,
                         settings_.number_format_record));
  return write_line();
}

run_result text_format::foot() noexcept {
  if (settings_.language_phrases)
    settings_.progress(variant(settings_.language_phrases->phrase_text(phrase_id::writing_summary)));
  if (!write_rows()) return run_result::write_failed;
  if (settings_.show_global_summary != 0) {
    if (any_folder_ && !write_line()) return run_result::write_failed;
    line_.append(phrase(132));
    line_.append(variant(settings_.run_file_count));
    line_.append(phrase(133));
    line_.append(variant(settings_.run_folder_count));
    line_.append(phrase(134));
    line_.append(size_text(settings_.run_total_size, settings_.size_units, settings_.size_unit_text,
                           settings_.number_format_record));
    if (!write_line()) return run_result::write_failed;
  }
  return run_result::done;
}

}  // namespace lumadir
