// Taking an installation away again, apart from remove.exe's questions and
// boxes. Only what the installations recorded goes (setup/install_record.h):
// the files they made, a folder they made once it is empty, their shortcuts,
// the folder verb, the uninstall entry and the product's key. A file that was
// there before, or that the user put beside the program since, stays.
#pragma once

#include "base/variant.h"
#include "base/variant_list.h"

namespace lumadir {

struct removal_request {
  // The user's settings.ini, filter.txt and format.xml (those an installation
  // made) and the per-user settings folder go too.
  bool users_own = false;
  // The running remove.exe: it cannot delete itself, so it and the folders
  // that hold only it are left to the system's next start.
  variant own_file{""};
};

// What could not be removed. While anything of the installation stays, it
// stays registered (uninstall entry, product key and the record of what is
// left), so that the removal can be run again once the cause is gone.
struct removal_report {
  variant_list left;  // files, shortcuts and folders, full paths
  bool folder_verb_left = false;
  bool uninstall_entry_left = false;
  bool product_key_left = false;
  // An installation that recorded nothing (made before the record was kept):
  // its folder, whose files are not known and stay.
  variant unrecorded_folder{""};
  bool complete() const {
    return left.count() == 0 && !folder_verb_left && !uninstall_entry_left && !product_key_left &&
           unrecorded_folder.length() == 0;
  }
};

// The folder of the registered installation ("inst_dir"); false when no
// installation is registered.
[[nodiscard]] bool registered_installation(variant& folder) noexcept;

// Removes the registered installation; true when nothing of it is left.
[[nodiscard]] bool remove_installation(const removal_request& request,
                                       removal_report& report) noexcept;

}  // namespace lumadir
