#include "cli/console.h"

#include <cstdio>
#include <cstring>

#include <atomic>

#ifdef _WIN32
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <csignal>
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

static std::atomic<listing_settings*> interruptible_run{nullptr};

#ifdef _WIN32
static BOOL WINAPI on_console_event(DWORD) {
  listing_settings* settings = interruptible_run.load();
  if (!settings) return FALSE;
  settings->stop_requested = 1;
  // For a closed console the process ends when this returns: give the run
  // the time to stop (it looks every few entries) and clean up.
  for (int i = 0; i < 100 && settings->run_active.load() != 0; ++i) Sleep(50);
  return TRUE;
}
#else
extern "C" void on_interrupt_signal(int) {
  if (listing_settings* settings = interruptible_run.load()) settings->stop_requested = 1;
}
#endif

void stop_run_on_interrupt(listing_settings& settings) noexcept {
  interruptible_run = &settings;
#ifdef _WIN32
  SetConsoleCtrlHandler(on_console_event, TRUE);
#else
  std::signal(SIGINT, on_interrupt_signal);
  std::signal(SIGTERM, on_interrupt_signal);
#endif
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
