// Reads the folders of a walk in the order the walk visits them, on a small
// pool of threads ahead of the one thread that writes: each folder enumerated,
// filtered, its files' extensions split and its entries sorted. The walk only
// asks for "the next folder"; which folders come next, which are entered and
// the progress texts stay in the walk's order, so the listing is byte for byte
// what a serial walk writes.
//
// The folders still to read form one list in walk order: a folder that has
// been read puts its subfolders right after itself, which keeps the list in
// pre-order however the reading threads interleave. Readers take the first
// unread folder of the list, but only while fewer than `folders_read_ahead`
// folders (and `entries_read_ahead` entries) wait read and unwritten, so memory
// stays bounded on any tree. The writing thread reads a folder itself when no
// reader has taken it yet, so it never waits on a full queue.
#pragma once

#include <cstdint>

#include "base/entry_tree.h"
#include "engine/listing_settings.h"

namespace lumadir {

constexpr int32_t folders_read_ahead = 64;
constexpr int32_t entries_read_ahead = 64 * 1024;

// The reading threads a run gets on this machine: twice the processors (a
// reader mostly waits for the storage), at least 2, at most 8.
int32_t reader_threads_for_machine() noexcept;

// The extension of a file name (from its last dot, when that is not the first
// byte), cut off the name when asked.
void split_extension(file_entry& entry, bool cut_name) noexcept;

// One folder as the walk gets it.
struct folder_contents {
  variant path{""};                 // the parent's path, a separator, the name as read
  int32_t depth = 0;                // listing: levels still to list beneath (negative: all)
  file_entry* totals_entry = nullptr;  // its entry in the totals tree, when there is one
  bool readable = false;            // read to its end
  // The listing walk: the shown entries, filtered, extensions split, sorted.
  // The totals walk: its subfolders, filtered and sorted (files only counted).
  entry_tree entries;
  int32_t files = 0;  // totals walk: the files that passed the filter
  uint64_t size = 0;  // and their bytes
};

class folder_reader {
 public:
  // `threads` readers: 0 reads each folder only when the walk asks for it (the
  // serial walk); negative sizes the pool to the machine. Threads that cannot
  // be started leave fewer, down to the serial walk.
  folder_reader(listing_settings& settings, int32_t threads) noexcept;
  ~folder_reader();
  folder_reader(const folder_reader&) = delete;
  folder_reader& operator=(const folder_reader&) = delete;

  // Starts the listing walk at `top`, `depth` levels deep (negative: all).
  // With a totals tree the subfolders come from `totals_root`'s descendants.
  void start_listing(const variant& top, int32_t depth, file_entry* totals_root) noexcept;
  // Starts the totals walk at `top`, every level deep, under `root`.
  void start_totals(const variant& top, file_entry* root) noexcept;

  // The next folder the walk enters, after its "Reading" progress text; none
  // at the end of the walk or once a stop is requested. Valid until the next
  // call or the next start.
  folder_contents* next() noexcept;

  int32_t threads() const noexcept;

 private:
  struct pool;
  pool* pool_;
};

}  // namespace lumadir
