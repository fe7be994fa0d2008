// Windows only: takes REG_ICASE folding from the ANSI code page when the DLL
// loads, so that accented letters fold like the rest of the system does.
// Under a UTF-8 code page the upper half of this table means nothing, which is
// why patterns compiled with VX_REG_UTF8 fold by Unicode and never read it.
#include <windows.h>

#include "vx_internal.h"

namespace {

void fill_fold_table() {
  unsigned char upper[256], lower[256];
  for (unsigned c = 0; c < 256; ++c) {
    char u[1] = {static_cast<char>(c)}, l[1] = {static_cast<char>(c)};
    // NUL is left alone: the buffer calls stop at nothing, but be explicit.
    if (c != 0) {
      CharUpperBuffA(u, 1);
      CharLowerBuffA(l, 1);
    }
    upper[c] = static_cast<unsigned char>(u[0]);
    lower[c] = static_cast<unsigned char>(l[0]);
  }
  vx_regex_set_case_table(upper, lower);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) fill_fold_table();
  return TRUE;
}
