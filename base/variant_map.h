// An ordered map from variant to variant: an unbalanced binary search tree keyed by
// the byte comparison of the keys' text forms. Iteration takes a snapshot of the
// pairs in key order and hands them out from its front one at a time.
#pragma once

#include "base/variant.h"

namespace lumadir {

class variant_map {
 public:
  variant_map() noexcept = default;
  variant_map(const variant_map&) = delete;
  variant_map& operator=(const variant_map&) = delete;
  ~variant_map();

  // A new key becomes a leaf where the search ends (and drops the snapshot); an
  // existing key gets a copy of the value (and keeps the snapshot).
  bool put(const variant& key, const variant& value) noexcept;
  // Copies the value out; false, with `value` set to integer 0, when missing.
  bool get(const variant& key, variant& value) const noexcept;
  variant* find(const variant& key) noexcept;
  const variant* find(const variant& key) const noexcept;
  bool remove(const variant& key) noexcept;
  void clear() noexcept;
  int32_t count() const { return count_; }

  // Snapshot iteration in ascending key order.
  void start() noexcept;
  bool next(variant& key, variant& value) noexcept;

 private:
  struct node {
    variant key;
    variant value;
    node* left = nullptr;
    node* right = nullptr;
    node* snapshot_next = nullptr;  // threads the snapshot; no allocation needed
  };

  node** slot_of(const variant& key) const noexcept;

  node* root_ = nullptr;
  int32_t count_ = 0;
  node* snapshot_ = nullptr;
  bool snapshot_taken_ = false;
};

}  // namespace lumadir
