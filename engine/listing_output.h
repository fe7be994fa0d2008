// The listing file as the writer sees it: blocks appended in order, gathered in
// a bounded buffer and handed to the system when it is full and when the run
// ends, so a listing of many rows does not cost one system call per cell. The
// bytes and their order are exactly the blocks'; a failed or short system write
// makes this block's write, and every later one, fail.
#pragma once

#include <cstdint>

#include "base/file_system.h"
#include "base/variant.h"

namespace lumadir {

class listing_output {
 public:
  static constexpr int32_t buffer_size = 64 * 1024;

  explicit listing_output(file_handle file) noexcept : file_(file) {}
  ~listing_output() { flush(); }
  listing_output(const listing_output&) = delete;
  listing_output& operator=(const listing_output&) = delete;

  // One block; false when it (or anything before it) could not be written.
  bool write(const char* bytes, int32_t count) noexcept;
  bool write(const variant& block) noexcept;
  bool write_text(const char* text) noexcept;  // a zero-terminated block
  // Hands everything gathered to the system; false when that failed.
  bool flush() noexcept;
  bool failed() const { return failed_; }

 private:
  bool write_through(const char* bytes, int32_t count) noexcept;

  file_handle file_;
  int32_t used_ = 0;
  bool failed_ = false;
  char buffer_[buffer_size];
};

}  // namespace lumadir
