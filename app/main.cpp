// lumadir.exe: the listing program, and under the name setup.exe its installer.
#include <windows.h>

#include "app/program_start.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR command_line, int) {
  return lumadir::run_program(command_line);
}
