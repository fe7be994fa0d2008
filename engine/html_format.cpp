#include "engine/html_format.h"

#include "engine/html_writer.h"

namespace lumadir {

run_result html_format::head(const variant& source_path) noexcept {
  return write_head(source_path, settings_, output_);
}

bool html_format::folder_start(const variant& folder) noexcept {
  return write_folder_header(folder, settings_, output_);
}

bool html_format::unreadable_folder(const variant& folder) noexcept {
  return write_unreadable_folder(folder, settings_, output_);
}

// Row start by parity, a cell per visible column, row end. Times are shown in
// local time.
run_result html_format::row(file_entry& entry, bool odd_row) noexcept {
  entry.modified = settings_.text_cache.to_local(entry.modified);
  entry.created = settings_.text_cache.to_local(entry.created);
  entry.accessed = settings_.text_cache.to_local(entry.accessed);
  if (!write_row_start(odd_row, settings_, output_)) return run_result::write_failed;
  if (settings_.stopping()) return run_result::stopped;
  for (int32_t position = 0; position < settings_.column_slots; ++position) {
    if (column_writer writer = settings_.column_writers[position]) {
      writer(position, entry, settings_, output_);
      if (settings_.stopping()) return run_result::stopped;
    }
  }
  if (!write_row_end(settings_, output_)) return run_result::write_failed;
  if (settings_.stopping()) return run_result::stopped;
  return run_result::done;
}

bool html_format::folder_summary(int32_t files, int32_t folders, uint64_t size) noexcept {
  return write_folder_summary(files, folders, size, settings_, output_);
}

run_result html_format::foot() noexcept {
  return write_foot(settings_, output_);
}

}  // namespace lumadir
