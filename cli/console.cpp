#include "cli/console.h"

#include <cstdio>
#include <cstring>

#include <atomic>
#include <chrono>
#include <cstdint>

#include "cli/progress_line.h"

#ifdef _WIN32
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#else
#include <csignal>
#include <unistd.h>
#endif

namespace lumadir {

bool is_console(void* handle) noexcept {
#ifdef _WIN32
  // Only a console has a console mode; a file, a pipe and NUL fail the call.
  DWORD mode = 0;
  return handle && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
#else
  return isatty(static_cast<int>(reinterpret_cast<intptr_t>(handle))) != 0;
#endif
}

bool console_is_interactive() noexcept {
#ifdef _WIN32
  return is_console(GetStdHandle(STD_ERROR_HANDLE));
#else
  return is_console(reinterpret_cast<void*>(static_cast<intptr_t>(fileno(stderr))));
#endif
}

static void write_to_stderr(void*, const char* bytes, int32_t count) {
  std::fwrite(bytes, 1, static_cast<size_t>(count), stderr);
  std::fflush(stderr);
}

static int64_t milliseconds_now() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

static progress_line& shown_progress() {
  static progress_line line(write_to_stderr, nullptr, milliseconds_now);
  return line;
}

void console_progress(const char* folder, int32_t folders, int64_t files) noexcept {
  shown_progress().update(folder, folders, files);
}

void console_progress_done() noexcept {
  shown_progress().finish();
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
