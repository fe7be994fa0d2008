#include "cli/console.h"

#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace lumadir {

static bool progress_shown = false;

bool console_is_interactive() noexcept {
  return isatty(fileno(stderr)) != 0;
}

void console_progress(const char* text) noexcept {
  // Long paths are cut from the front so the line fits a usual console.
  const size_t length = std::strlen(text);
  const size_t room = 78;
  const char* shown = length > room ? text + (length - room) : text;
  std::fprintf(stderr, "\r%-78.78s", shown);
  std::fflush(stderr);
  progress_shown = true;
}

void console_progress_done() noexcept {
  if (!progress_shown) return;
  std::fprintf(stderr, "\r%78s\r", "");
  std::fflush(stderr);
  progress_shown = false;
}

bool copy_to_standard_output(const variant& path) noexcept {
  FILE* in = std::fopen(path.c_str(), "rb");
  if (!in) return false;
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);  // no CR added before each LF
#endif
  char buffer[64 * 1024];
  bool ok = true;
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
    if (std::fwrite(buffer, 1, n, stdout) != n) {
      ok = false;
      break;
    }
  std::fclose(in);
  return std::fflush(stdout) == 0 && ok;
}

}  // namespace lumadir
