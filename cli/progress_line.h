// The one-line progress lumadir-cli shows on a console: folders and files so
// far, the time since the start and the folder being read, redrawn a few
// times a second rather than per folder (a console is slow to write to), and
// erased at the end. Writing and the clock are given, so tests can watch it.
#pragma once

#include <cstdint>

namespace lumadir {

class progress_line {
 public:
  using write_function = void (*)(void* sink, const char* bytes, int32_t count);
  using clock_function = int64_t (*)();  // milliseconds, from any start

  static constexpr int64_t redraw_interval_ms = 250;
  static constexpr int32_t width = 79;  // fits a usual console without wrapping

  progress_line(write_function write, void* sink, clock_function clock) noexcept;

  // A folder is being read; the counts are what the listing holds so far.
  // Draws when the last drawing (or, for the first, the start) is a redraw
  // interval old.
  void update(const char* folder, int32_t folders, int64_t files) noexcept;
  // Erases the line, when one was drawn.
  void finish() noexcept;

 private:
  write_function write_;
  void* sink_;
  clock_function clock_;
  int64_t started_ = 0;
  int64_t drawn_at_ = 0;
  bool drawn_ = false;
};

}  // namespace lumadir
