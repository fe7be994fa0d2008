#include "app/settings_place.h"

#include "base/file_system.h"

namespace lumadir {

namespace {

const char settings_name[] = "settings.ini";

}  // namespace

variant settings_file_place(const variant& program_folder, const variant& user_data) noexcept {
  variant beside_program = path_in(program_folder, settings_name);
  variant folder(program_folder);
  if (user_data.length() == 0 || folder_writable(folder)) return beside_program;

  variant data(user_data);
  create_directory(data);  // normally there already
  variant vexa = path_in(user_data, "VEXA");
  create_directory(vexa);
  variant own = path_in(vexa, "Lumadir");
  create_directory(own);
  variant settings = path_in(own, settings_name);
  if (!name_exists(settings)) copy_file(beside_program, settings, false);
  return settings;
}

}  // namespace lumadir
