#include <windows.h>

#include <cstdlib>

#include "base/text_encoding.h"
#include "base/text_encoding_system.h"

namespace lumadir {

// With the UTF-8 manifest GetACP() is 65001, so the legacy code page has to be
// asked of the system locale itself.
static UINT legacy_code_page() {
  DWORD code_page = 0;
  if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                     reinterpret_cast<LPWSTR>(&code_page),
                     sizeof code_page / sizeof(wchar_t)) == 0 ||
      code_page == 0 || code_page == CP_UTF8)
    return 1252;
  return code_page;
}

bool system_speaks_utf8() noexcept {
  return GetACP() == CP_UTF8;
}

bool legacy_code_page_to_utf8(const char* bytes, int32_t length, variant& out) noexcept {
  if (length <= 0) {
    out = "";
    return true;
  }
  const UINT code_page = legacy_code_page();
  const int units = MultiByteToWideChar(code_page, 0, bytes, length, nullptr, 0);
  if (units <= 0) return false;
  auto* wide = static_cast<wchar_t*>(std::malloc(sizeof(wchar_t) * units));
  if (!wide) return false;
  MultiByteToWideChar(code_page, 0, bytes, length, wide, units);
  out = wtf8_from_utf16(reinterpret_cast<const char16_t*>(wide), units);
  std::free(wide);
  return true;
}

}  // namespace lumadir
