// The parts of the file layer that are built on its own handle operations, the
// same on every platform.
#include "base/file_system.h"

namespace lumadir {

static bool is_open(file_handle handle) { return handle != invalid_file_handle() && handle; }

bool read_whole_file(variant& path, variant& out) noexcept {
  const file_handle f = open_file(path, variant("r"));
  if (!is_open(f)) return false;
  const uint32_t size = seek_file(f, 0, seek_end);
  bool ok = size != ~0u && size <= 0x7FFFFFFF;
  if (ok && size > 0) {
    seek_file(f, 0, seek_begin);
    const int32_t read = read_file(f, static_cast<int32_t>(size), out);
    ok = read == out.length();
  }
  close_file(f);
  return ok;
}

bool write_whole_file(variant& path, const variant& mode, variant_list& items) noexcept {
  const file_handle f = open_file(path, mode);
  if (!is_open(f)) {
    items.clear();
    return false;
  }
  bool ok = true;
  variant item;
  while (items.pop(item)) {
    const int32_t length = item.length();
    if (write_file(f, item, length) < length) {
      ok = false;
      break;
    }
  }
  close_file(f);
  items.clear();  // consumed, also after a short write
  return ok;
}

}  // namespace lumadir
