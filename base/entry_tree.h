// Files and folders in memory: one record per entry, linked into sibling lists
// and, for the totals of a folder walk, into a tree. The tree owns its entries.
#pragma once

#include <cstdint>

#include "base/variant.h"

namespace lumadir {

// The system's file attribute bits (FILE_ATTRIBUTE_*), for code that cannot
// include the system's headers; file_system_win.cpp checks them against those.
namespace file_attribute {
constexpr uint32_t read_only = 0x1;
constexpr uint32_t hidden = 0x2;
constexpr uint32_t system = 0x4;
constexpr uint32_t directory = 0x10;
constexpr uint32_t archive = 0x20;
constexpr uint32_t normal = 0x80;
constexpr uint32_t temporary = 0x100;
constexpr uint32_t reparse_point = 0x400;
constexpr uint32_t compressed = 0x800;
constexpr uint32_t offline = 0x1000;
}  // namespace file_attribute

struct file_entry {
  file_entry* parent = nullptr;  // none at the top level
  file_entry* next = nullptr;
  file_entry* previous = nullptr;
  file_entry* first_child = nullptr;
  variant name;
  variant extension;  // from the last "." on, dot included; empty for folders
  bool is_folder = false;
  uint64_t size = 0;     // a folder's own is 0; in a totals tree, all bytes beneath it
  int64_t modified = 0;  // time values (time_value): seconds since 1970-01-01
  int64_t created = 0;
  int64_t accessed = 0;
  uint32_t attributes = 0;  // file_attribute bits
  // A folder that stands for another place (junction, symbolic link, mount
  // point): listed, and entered only when the user asks links to be followed.
  bool is_link = false;
  int32_t total_files = 0;    // totals tree only, all levels beneath
  int32_t total_folders = 0;  // totals tree only, all levels beneath

  file_entry() noexcept : name(""), extension("") {}
  // Allocates a fresh entry; none when memory is exhausted.
  static file_entry* make() noexcept;
};

// Orders two entries under a sort key; negative, zero or positive.
using entry_compare = int (*)(const file_entry& a, const file_entry& b, int32_t sort_key);

class entry_tree {
 public:
  entry_tree() noexcept = default;
  entry_tree(const entry_tree&) = delete;
  entry_tree& operator=(const entry_tree&) = delete;
  ~entry_tree();

  file_entry* first() const { return first_; }
  int32_t sort_key = -1;  // -1: no sort has been set
  entry_compare compare = nullptr;

  // Linking hands the entry to the tree.
  void append_top(file_entry* entry) noexcept;
  void insert_front(file_entry* entry) noexcept;
  void insert_after(file_entry* sibling, file_entry* entry) noexcept;
  void append_child(file_entry* folder, file_entry* entry) noexcept;
  // Moves the top-level list of `from` (entries without children) to the end
  // of `folder`'s children here (the top level when none); `from` is left empty.
  void adopt_list(entry_tree& from, file_entry* folder) noexcept;
  // Unlinks the entry and frees it with its whole subtree.
  void remove(file_entry* entry) noexcept;
  void clear() noexcept;

  // A folder before its children, its children before its next sibling.
  static file_entry* next_in_preorder(const file_entry* entry) noexcept;
  // The next entry outside the entry's subtree.
  static file_entry* next_skipping_subtree(const file_entry* entry) noexcept;

  // The sibling list under `parent` (the top level when none). Stable.
  void sort_list(file_entry* parent) noexcept;
  void sort_all() noexcept;
  void reverse_list(file_entry* parent) noexcept;
  void reverse_all() noexcept;

 private:
  file_entry*& head_of(file_entry* parent) noexcept {
    return parent ? parent->first_child : first_;
  }
  template <typename Action>
  void for_each_list(Action action) noexcept;

  file_entry* first_ = nullptr;
  // Where the last append ended, so that reading a folder of n entries costs n,
  // not n squared. Each is either none or right; anything that reorders or
  // deletes drops them.
  file_entry* last_top_ = nullptr;
  file_entry* child_tail_parent_ = nullptr;
  file_entry* child_tail_ = nullptr;
  void forget_tails() noexcept { last_top_ = child_tail_parent_ = child_tail_ = nullptr; }
};

}  // namespace lumadir
