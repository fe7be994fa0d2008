#include "engine/cell_writers.h"

#include "base/phrase_table.h"
#include "engine/listing_output.h"

namespace lumadir {

// Format phrases 41 and 42 surround the Name cell, 43 and 44 Extension, and so
// on, two per key in key order.
template <column_key key>
static void write_cell(int32_t, const file_entry& entry, listing_settings& settings,
                       listing_output& output) {
  const int32_t opening = 41 + 2 * static_cast<int32_t>(key);
  const phrase_table* format = settings.format_phrases;
  // The three pieces go into the output buffer one after the other, which gives
  // the same bytes as one block without building it first.
  if (format) output.write_text(format->phrase_text(opening));
  write_cell_text(key, entry, settings, output);
  if (format) output.write_text(format->phrase_text(opening + 1));
}

column_writer cell_writer_of(column_key key) noexcept {
  switch (key) {
    case column_key::name:
      return write_cell<column_key::name>;
    case column_key::extension:
      return write_cell<column_key::extension>;
    case column_key::size:
      return write_cell<column_key::size>;
    case column_key::modified:
      return write_cell<column_key::modified>;
    case column_key::created:
      return write_cell<column_key::created>;
    case column_key::accessed:
      return write_cell<column_key::accessed>;
    case column_key::attributes:
      return write_cell<column_key::attributes>;
    case column_key::type:
      return write_cell<column_key::type>;
  }
  return nullptr;
}

}  // namespace lumadir
