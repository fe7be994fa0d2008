// The HTML form of a listing: the page that is previewed, printed and saved,
// written by html_writer from the format phrases, each row's cells by the
// column writers.
#pragma once

#include "engine/listing_format.h"

namespace lumadir {

class html_format final : public listing_format {
 public:
  using listing_format::listing_format;
  run_result head(const variant& source_path) noexcept override;
  bool folder_start(const variant& folder) noexcept override;
  bool unreadable_folder(const variant& folder) noexcept override;
  run_result row(file_entry& entry, bool odd_row) noexcept override;
  bool folder_summary(int32_t files, int32_t folders, uint64_t size) noexcept override;
  run_result foot() noexcept override;
};

}  // namespace lumadir
