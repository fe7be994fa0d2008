// lumadir.exe: the listing program, and under the name setup.exe its installer.
#include <windows.h>

#include "app/program_start.h"
#include "base/text_encoding.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR command_line, int) {
  if (!lumadir::system_speaks_utf8()) {
    MessageBoxA(nullptr, lumadir::utf8_windows_needed, "Lumadir", MB_ICONERROR | MB_OK);
    return 0;
  }
  return lumadir::run_program(command_line);
}
