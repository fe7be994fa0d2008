#include "base/variant_map.h"

#include <new>

namespace lumadir {

// The tree is unbalanced and may degenerate into a chain (keys put in order), so
// every walk here is iterative: no recursion as deep as the map is large.

variant_map::~variant_map() {
  clear();
}

variant_map::node** variant_map::slot_of(const variant& key) const noexcept {
  node** slot = const_cast<node**>(&root_);
  while (*slot) {
    const int order = variant::compare(key, (*slot)->key);
    if (order == 0) break;
    slot = order < 0 ? &(*slot)->left : &(*slot)->right;
  }
  return slot;
}

bool variant_map::put(const variant& key, const variant& value) noexcept {
  node** slot = slot_of(key);
  if (*slot) {
    (*slot)->value = value;
    return true;
  }
  node* fresh = new (std::nothrow) node;
  if (!fresh) return false;
  fresh->key = key;
  fresh->value = value;
  *slot = fresh;
  ++count_;
  snapshot_ = nullptr;
  snapshot_taken_ = false;
  return true;
}

bool variant_map::get(const variant& key, variant& value) const noexcept {
  const variant* found = find(key);
  if (!found) {
    value = 0;
    return false;
  }
  value = *found;
  return true;
}

variant* variant_map::find(const variant& key) noexcept {
  node* n = *slot_of(key);
  return n ? &n->value : nullptr;
}

const variant* variant_map::find(const variant& key) const noexcept {
  const node* n = *slot_of(key);
  return n ? &n->value : nullptr;
}

bool variant_map::remove(const variant& key) noexcept {
  node** slot = slot_of(key);
  node* doomed = *slot;
  if (!doomed) return false;
  if (!doomed->left) {
    *slot = doomed->right;
  } else if (!doomed->right) {
    *slot = doomed->left;
  } else {
    // Splice in the in-order successor: the leftmost node of the right subtree.
    node** successor_slot = &doomed->right;
    while ((*successor_slot)->left) successor_slot = &(*successor_slot)->left;
    node* successor = *successor_slot;
    *successor_slot = successor->right;
    successor->left = doomed->left;
    successor->right = doomed->right;
    *slot = successor;
  }
  delete doomed;
  --count_;
  // The snapshot may hold the removed node.
  snapshot_ = nullptr;
  snapshot_taken_ = false;
  return true;
}

void variant_map::clear() noexcept {
  // Rotate left children up until each node has none, then free down the right.
  node* n = root_;
  while (n) {
    if (n->left) {
      node* l = n->left;
      n->left = l->right;
      l->right = n;
      n = l;
    } else {
      node* right = n->right;
      delete n;
      n = right;
    }
  }
  root_ = nullptr;
  count_ = 0;
  snapshot_ = nullptr;
  snapshot_taken_ = false;
}

void variant_map::start() noexcept {
  // In-order walk with an explicit stack threaded through snapshot_next: a node
  // waiting on the stack is linked to the one below it; once visited, it is
  // relinked into the snapshot chain.
  node* stack = nullptr;
  node* tail = nullptr;
  snapshot_ = nullptr;
  node* n = root_;
  while (n || stack) {
    while (n) {
      n->snapshot_next = stack;
      stack = n;
      n = n->left;
    }
    node* visited = stack;
    stack = stack->snapshot_next;
    visited->snapshot_next = nullptr;
    if (tail)
      tail->snapshot_next = visited;
    else
      snapshot_ = visited;
    tail = visited;
    n = visited->right;
  }
  snapshot_taken_ = true;
}

bool variant_map::next(variant& key, variant& value) noexcept {
  if (!snapshot_taken_ || !snapshot_) return false;
  key = snapshot_->key;
  value = snapshot_->value;
  snapshot_ = snapshot_->snapshot_next;
  return true;
}

}  // namespace lumadir
