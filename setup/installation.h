// What the installer does, apart from its window: the list of install items
// and their sizes, the target folder's rules, and the installation steps
// (files, shortcuts, registry, folder verb, uninstall entry) with their
// progress, and how it ended (install_result).
//
// An installation is all or nothing: a step that fails undoes every change of
// the run (setup/install_journal.h) before the failure is reported. What it
// made is recorded (setup/install_record.h) so that remove.exe takes that away
// and nothing else.
#pragma once

#include <cstdint>
#include <memory>

#include "base/number_text.h"
#include "base/variant.h"
#include "base/variant_list.h"

namespace lumadir {

class install_journal;

struct install_item {
  variant name{""};    // relative to the source folder; inside a folder item "help\x.html"
  uint32_t flags = 0;  // install_items::copy_when_absent and the others
  uint64_t size = 0;
  bool folder = false;  // a folder item (created in the target)
};

// How an installation ended: done, or the step that failed (the window says
// each in its own words). Everything of a failed run is undone.
enum class install_result : int32_t {
  done,
  cannot_make_folder,  // the target could not be made full, or not created
  free_space_unknown,
  no_room,
  replace_consent,  // files of others would be replaced, and that was not agreed to
  copy_failed,
  shortcut_failed,
  registry_failed,
};

using install_progress = void (*)(void* owner, int32_t percent);

class installation {
 public:
  installation() noexcept = default;
  installation(const installation&) = delete;
  installation& operator=(const installation&) = delete;

  // Reads the items from the source folder (a full path ending in "\"). False
  // with the first missing required item's name.
  [[nodiscard]] bool build_list(const variant& source_folder, variant& missing) noexcept;
  uint64_t total_size() const { return total_size_; }
  int32_t item_count() const { return count_; }
  const install_item& item(int32_t i) const { return items_[i]; }

  // The install items the installation would put in place of files in the
  // target that no recorded installation made (the user's settings.ini,
  // filter.txt and format.xml are never replaced): their names, relative to
  // the target. The count.
  int32_t files_to_replace(const variant& target, variant_list& names) const noexcept;

  // The steps of the installation page, in order. With a chosen language (its
  // short name, when the user had several to choose from) the installed
  // vxlang.xml is written again with that language first. Files of others in
  // the target are replaced only with `replace_others`.
  [[nodiscard]] install_result install(variant target, bool desktop_shortcut, bool folder_verb,
                                       const char* chosen_language, install_progress progress,
                                       void* owner, bool replace_others = false) noexcept;

  // After a failure: the file, folder or key the step failed on (may be empty),
  // and what the undo could not put back (empty when it put back everything).
  const variant& failed_item() const { return failed_item_; }
  const variant_list& not_undone() const { return not_undone_; }
  // The folder given the access rules of Program Files, or empty.
  const variant& secured_folder() const { return secured_folder_; }

  const variant& source_folder() const { return source_; }

 private:
  bool add(const variant& name, uint32_t flags, bool folder, variant& missing) noexcept;
  void advance(int32_t points) noexcept;
  install_result run_steps(const variant& target, bool desktop_shortcut, bool folder_verb,
                           const char* chosen_language, install_journal& journal) noexcept;
  [[nodiscard]] bool copy_item(const install_item& item, const variant& target_folder,
                               install_journal& journal) noexcept;
  bool fail_on(const variant& item) noexcept;

  std::unique_ptr<install_item[]> items_;
  int32_t count_ = 0;
  int32_t capacity_ = 0;
  uint64_t total_size_ = 0;
  variant source_{""};
  int32_t progress_ = 0;
  install_progress report_ = nullptr;
  void* owner_ = nullptr;
  file_time started_ = 0;
  variant failed_item_{""};
  variant_list not_undone_;
  variant secured_folder_{""};
  // What the installations made: the record of earlier ones and this run's.
  variant_list made_files_;
  variant_list made_settings_;
  variant_list made_folders_;
};

// "/" to "\", trailing "\" removed, a bare drive given its "\".
void normalize_target(variant& target) noexcept;
// normalize_target, and a relative folder made full against the current one
// (the installer's own folder); false when the system cannot.
[[nodiscard]] bool full_target(variant& target) noexcept;
// Whether the folder exists and holds any file or folder.
bool folder_holds_anything(const variant& folder) noexcept;
// A drive path longer than 60 characters as "C:\..." and its last 54.
variant shortened_target(const variant& target) noexcept;
// The folder a previous installation used (its "inst_dir"), or Program Files
// + "\VEXA\LMD1". False when neither can be read; `previous` tells which.
[[nodiscard]] bool default_target(variant& target, bool& previous) noexcept;
// The folder verb's command for the installed program.
variant folder_verb_command(const variant& program) noexcept;
// Bytes as whole kilobytes rounded up, in the user's number format.
variant kilobytes_text(uint64_t bytes) noexcept;

}  // namespace lumadir
