#include "cli/progress_line.h"

#include <cstdio>
#include <cstring>

namespace lumadir {

progress_line::progress_line(write_function write, void* sink, clock_function clock) noexcept
    : write_(write), sink_(sink), clock_(clock), started_(clock()) {}

void progress_line::update(const char* folder, int32_t folders, int64_t files) noexcept {
  const int64_t now = clock_();
  // A short run shows nothing; a long one a line that changes a few times a second.
  if (now - (drawn_ ? drawn_at_ : started_) < redraw_interval_ms) return;
  drawn_ = true;
  drawn_at_ = now;
  const int64_t seconds = (now - started_) / 1000;
  char line[width + 2];
  int n = std::snprintf(line, sizeof line, "\r%d folders, %lld files, %lld:%02lld ", folders,
                        static_cast<long long>(files), static_cast<long long>(seconds / 60),
                        static_cast<long long>(seconds % 60));
  if (n < 0) return;
  if (n > width + 1) n = width + 1;
  // The folder's end tells most: a long path is cut at its front.
  const size_t room = static_cast<size_t>(width + 1 - n);
  const size_t length = std::strlen(folder);
  const char* shown = length > room ? folder + (length - room) : folder;
  while (shown != folder && (static_cast<unsigned char>(*shown) & 0xC0) == 0x80)
    ++shown;  // never half a character
  const size_t taken = length - static_cast<size_t>(shown - folder);
  std::memcpy(line + n, shown, taken);
  // Padded to the full width, so nothing of a longer earlier line stays.
  std::memset(line + n + taken, ' ', room - taken);
  write_(sink_, line, width + 1);
}

void progress_line::finish() noexcept {
  if (!drawn_) return;
  char line[width + 3];
  line[0] = '\r';
  std::memset(line + 1, ' ', width);
  line[width + 1] = '\r';
  write_(sink_, line, width + 2);
  drawn_ = false;
}

}  // namespace lumadir
