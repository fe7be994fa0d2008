#include "engine/listing_output.h"

#include <cstring>

namespace lumadir {

bool listing_output::write_through(const char* bytes, int32_t count) noexcept {
  if (write_file(file_, bytes, count) != count) failed_ = true;
  return !failed_;
}

bool listing_output::flush() noexcept {
  if (failed_) return false;
  if (used_ == 0) return true;
  const int32_t count = used_;
  used_ = 0;
  return write_through(buffer_, count);
}

bool listing_output::write(const char* bytes, int32_t count) noexcept {
  if (failed_) return false;
  if (count <= 0) return true;
  if (count > buffer_size - used_ && !flush()) return false;
  if (count >= buffer_size) return write_through(bytes, count);  // too big to gather
  std::memcpy(buffer_ + used_, bytes, static_cast<size_t>(count));
  used_ += count;
  return true;
}

bool listing_output::write_text(const char* text) noexcept {
  return write(text, static_cast<int32_t>(std::strlen(text)));
}

bool listing_output::write(const variant& block) noexcept {
  const byte_text& bytes = block.text();
  return write(bytes.data(), bytes.length());
}

}  // namespace lumadir
