// An ordered map from variant to variant: an AVL tree keyed by the byte comparison
// of the keys' text forms, so keys put in order (extensions in listing order) cost
// log n each, not n. Iteration takes a snapshot of the pairs in key order and hands
// them out from its front one at a time.
#pragma once

#include "base/variant.h"

namespace lumadir {

class variant_map {
 public:
  variant_map() noexcept = default;
  variant_map(const variant_map&) = delete;
  variant_map& operator=(const variant_map&) = delete;
  ~variant_map();

  // A new key becomes a leaf where the search ends, the tree is rebalanced (and the
  // snapshot dropped); an existing key gets a copy of the value (and keeps the
  // snapshot). Nodes are relinked, never moved: a value found stays where it is
  // until its own key is removed.
  bool put(const variant& key, const variant& value) noexcept;
  // Copies the value out; false, with `value` set to integer 0, when missing.
  bool get(const variant& key, variant& value) const noexcept;
  variant* find(const variant& key) noexcept;
  const variant* find(const variant& key) const noexcept;
  bool remove(const variant& key) noexcept;
  void clear() noexcept;
  int32_t count() const { return count_; }
  // Nodes on the longest path from the root, measured by a walk (0 when empty);
  // for tests of the balance.
  int32_t height() const noexcept;

  // Snapshot iteration in ascending key order.
  void start() noexcept;
  bool next(variant& key, variant& value) noexcept;

 private:
  struct node {
    variant key;
    variant value;
    node* left = nullptr;
    node* right = nullptr;
    node* parent = nullptr;
    node* snapshot_next = nullptr;  // threads the snapshot; no allocation needed
    int32_t height = 1;             // of the subtree under this node
  };

  // The node of the key, or none with `parent` and `order` saying where it would
  // hang.
  node* search(const variant& key, node*& parent, int& order) const noexcept;
  void replace_child(node* parent, node* old_child, node* new_child) noexcept;
  node* rotate_left(node* n) noexcept;
  node* rotate_right(node* n) noexcept;
  void rebalance_up(node* n) noexcept;

  node* root_ = nullptr;
  int32_t count_ = 0;
  node* snapshot_ = nullptr;
  bool snapshot_taken_ = false;
};

}  // namespace lumadir
