// Every change one installation run makes, kept so that a run that fails
// part-way can put the machine back as it found it: the folders and files it
// made, the files it replaced or took away (moved aside, not deleted, until the
// run ends), the registry keys it made and the values it wrote or deleted.
#pragma once

#include <cstdint>
#include <memory>

#include "base/registry.h"
#include "base/variant.h"
#include "base/variant_list.h"

namespace lumadir {

class install_journal {
 public:
  install_journal() noexcept = default;
  ~install_journal();
  install_journal(const install_journal&) = delete;
  install_journal& operator=(const install_journal&) = delete;

  // Where replaced files wait until the run ends: a fresh folder made inside
  // `folder` (the target, so that a move there stays on its drive and under
  // its access rules).
  [[nodiscard]] bool open(const variant& folder) noexcept;

  // Makes the folder when it is missing; true when it is there afterwards.
  // With `make` it is made so (setup/folder_security.h).
  [[nodiscard]] bool make_folder(const variant& folder,
                                 bool (*make)(const variant&) = nullptr) noexcept;
  // Makes the folder and every missing parent, from the drive down; the first
  // one missing with `make_first` when given.
  [[nodiscard]] bool make_folder_path(const variant& folder,
                                      bool (*make_first)(const variant&) = nullptr) noexcept;
  // The first folder make_folder_path made in this run, or empty.
  const variant& first_made_folder() const { return first_made_folder_; }

  // Moves an existing file aside; true when it was moved or never there.
  [[nodiscard]] bool set_aside(const variant& path) noexcept;
  // Copies the file to a place that is free (set_aside first).
  [[nodiscard]] bool copy_new(const variant& source, const variant& target) noexcept;
  // A file the run made some other way.
  void file_made(const variant& path) noexcept;

  // Registry: the key path is made when missing; the old value is kept.
  [[nodiscard]] bool write_text(registry_root root, const char* key, const char* name,
                                const variant& text) noexcept;
  [[nodiscard]] bool write_number(registry_root root, const char* key, const char* name,
                                  uint32_t number) noexcept;
  [[nodiscard]] bool write_multi_text(registry_root root, const char* key, const char* name,
                                      const variant& data) noexcept;
  [[nodiscard]] bool delete_value(registry_root root, const char* key, const char* name) noexcept;
  // Deletes a key of no subkeys with its values; true when it was never there.
  [[nodiscard]] bool delete_key(registry_root root, const char* key) noexcept;

  // The run succeeded: files set aside are deleted for good.
  void commit() noexcept;
  // The run failed: every change is undone, newest first. False, with what
  // could not be put back in `left`, when some change stays.
  bool undo(variant_list& left) noexcept;

 private:
  enum class kind { folder_made, file_made, file_set_aside, key_made, value_written, key_deleted };
  struct change {
    kind what = kind::file_made;
    registry_root root = registry_root::local_machine;
    variant path{""};   // file, folder or registry key
    variant aside{""};  // a file set aside: where it waits
    variant name{""};   // a registry value's name
    bool existed = false;
    uint32_t type = 0;  // the old value's type and bytes
    variant data{""};
    change* newer = nullptr;
    std::unique_ptr<change> older;  // each change owns the ones before it
  };
  change* add(kind what) noexcept;
  bool make_key_path(registry_root root, const char* key) noexcept;
  bool write_raw(registry_root root, const char* key, const char* name, uint32_t type,
                 const char* bytes, int32_t size) noexcept;
  bool remember_value(registry_root root, const char* key, const char* name) noexcept;
  void drop_newest() noexcept;
  void free_changes() noexcept;

  std::unique_ptr<change> newest_;
  change* oldest_ = nullptr;
  variant aside_folder_{""};
  int32_t aside_count_ = 0;
  variant first_made_folder_{""};
};

}  // namespace lumadir
