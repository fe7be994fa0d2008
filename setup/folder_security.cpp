#include "setup/folder_security.h"

#include <windows.h>
#include <sddl.h>
#include <shlobj.h>

#include "base/text_encoding.h"

namespace lumadir {

// FA is every right on a file or folder; 0x1200a9 is reading data, attributes
// and rules, and running (FILE_GENERIC_READ | FILE_GENERIC_EXECUTE).
const char program_files_rules[] = "D:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";

namespace {

bool starts_with_folder(const variant& path, const wchar_t* folder) {
  const variant base = wtf8_from_utf16(reinterpret_cast<const char16_t*>(folder),
                                       static_cast<int32_t>(lstrlenW(folder)));
  const int32_t length = base.length();
  if (length == 0 || path.length() < length) return false;
  variant start;
  start.set_left(path, length);
  if (variant::compare_ignoring_case(start, base) != 0) return false;
  return path.length() == length || path.c_str()[length] == '\\' ||
         base.c_str()[length - 1] == '\\';
}

}  // namespace

bool inside_program_files(const variant& path) noexcept {
  const int folders[] = {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86};
  for (const int which : folders) {
    wchar_t folder[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, which, nullptr, SHGFP_TYPE_CURRENT, folder) == S_OK &&
        starts_with_folder(path, folder))
      return true;
  }
  return false;
}

bool make_folder_with_program_files_rules(const variant& folder) noexcept {
  SECURITY_ATTRIBUTES rules = {};
  rules.nLength = sizeof rules;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(program_files_rules, SDDL_REVISION_1,
                                                            &rules.lpSecurityDescriptor, nullptr))
    return false;
  utf16_text name;
  const bool made = name.assign_wtf8(folder.c_str(), folder.length()) &&
                    CreateDirectoryW(reinterpret_cast<const wchar_t*>(name.data()), &rules) != 0;
  LocalFree(rules.lpSecurityDescriptor);
  return made;
}

}  // namespace lumadir
