#include "app/settings_place.h"

#include "base/file_system.h"

namespace lumadir {

namespace {

const char settings_name[] = "settings.ini";

variant joined(const variant& folder, const char* name) {
  variant path(folder);
  if (path.length() > 0 && path.text().data()[path.length() - 1] != '\\') path.append('\\');
  path.append(name);
  return path;
}

}  // namespace

variant settings_file_place(const variant& program_folder, const variant& user_data) noexcept {
  variant beside_program = joined(program_folder, settings_name);
  variant folder(program_folder);
  if (user_data.length() == 0 || folder_writable(folder)) return beside_program;

  variant data(user_data);
  create_directory(data);  // normally there already
  variant vexa = joined(user_data, "VEXA");
  create_directory(vexa);
  variant own = joined(vexa, "Lumadir");
  create_directory(own);
  variant settings = joined(own, settings_name);
  if (!name_exists(settings)) copy_file(beside_program, settings, false);
  return settings;
}

}  // namespace lumadir
