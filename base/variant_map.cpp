#include "base/variant_map.h"

#include <new>

namespace lumadir {

// Every walk here is iterative, climbing by parent links: nothing recurses, and
// nothing needs a stack sized to the tree.

namespace {

template <typename Node>
int32_t height_of(const Node* n) {
  return n ? n->height : 0;
}

template <typename Node>
void update_height(Node* n) {
  const int32_t left = height_of(n->left);
  const int32_t right = height_of(n->right);
  n->height = 1 + (left > right ? left : right);
}

}  // namespace

variant_map::~variant_map() {
  clear();
}

variant_map::node* variant_map::search(const variant& key, node*& parent,
                                       int& order) const noexcept {
  parent = nullptr;
  order = 0;
  node* n = root_;
  while (n) {
    order = variant::compare(key, n->key);
    if (order == 0) return n;
    parent = n;
    n = order < 0 ? n->left : n->right;
  }
  return nullptr;
}

void variant_map::replace_child(node* parent, node* old_child, node* new_child) noexcept {
  if (!parent)
    root_ = new_child;
  else if (parent->left == old_child)
    parent->left = new_child;
  else
    parent->right = new_child;
  if (new_child) new_child->parent = parent;
}

variant_map::node* variant_map::rotate_left(node* n) noexcept {
  node* top = n->right;
  n->right = top->left;
  if (top->left) top->left->parent = n;
  replace_child(n->parent, n, top);
  top->left = n;
  n->parent = top;
  update_height(n);
  update_height(top);
  return top;
}

variant_map::node* variant_map::rotate_right(node* n) noexcept {
  node* top = n->left;
  n->left = top->right;
  if (top->right) top->right->parent = n;
  replace_child(n->parent, n, top);
  top->right = n;
  n->parent = top;
  update_height(n);
  update_height(top);
  return top;
}

// From a node whose subtree just changed up to the root: heights refreshed and any
// node whose sides differ by two rotated back into balance. Going all the way up
// costs no more than the log n the search already took, and needs no reasoning
// about where an insertion or removal may stop.
void variant_map::rebalance_up(node* n) noexcept {
  while (n) {
    update_height(n);
    const int32_t balance = height_of(n->left) - height_of(n->right);
    if (balance > 1) {
      if (height_of(n->left->left) < height_of(n->left->right)) rotate_left(n->left);
      n = rotate_right(n);
    } else if (balance < -1) {
      if (height_of(n->right->right) < height_of(n->right->left)) rotate_right(n->right);
      n = rotate_left(n);
    }
    n = n->parent;
  }
}

bool variant_map::put(const variant& key, const variant& value) noexcept {
  node* parent = nullptr;
  int order = 0;
  if (node* existing = search(key, parent, order)) {
    existing->value = value;
    return true;
  }
  node* fresh = new (std::nothrow) node;
  if (!fresh) return false;
  fresh->key = key;
  fresh->value = value;
  fresh->parent = parent;
  if (!parent)
    root_ = fresh;
  else if (order < 0)
    parent->left = fresh;
  else
    parent->right = fresh;
  rebalance_up(parent);
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
  node* parent = nullptr;
  int order = 0;
  node* n = search(key, parent, order);
  return n ? &n->value : nullptr;
}

const variant* variant_map::find(const variant& key) const noexcept {
  node* parent = nullptr;
  int order = 0;
  const node* n = search(key, parent, order);
  return n ? &n->value : nullptr;
}

bool variant_map::remove(const variant& key) noexcept {
  node* parent = nullptr;
  int order = 0;
  node* doomed = search(key, parent, order);
  if (!doomed) return false;
  node* changed = nullptr;  // the lowest node whose subtree lost a node
  if (!doomed->left || !doomed->right) {
    changed = doomed->parent;
    replace_child(doomed->parent, doomed, doomed->left ? doomed->left : doomed->right);
  } else {
    // The in-order successor (leftmost of the right subtree) takes the doomed
    // node's place, keeping its own key and value.
    node* successor = doomed->right;
    while (successor->left) successor = successor->left;
    if (successor == doomed->right) {
      changed = successor;
    } else {
      changed = successor->parent;
      replace_child(successor->parent, successor, successor->right);
      successor->right = doomed->right;
      successor->right->parent = successor;
    }
    successor->left = doomed->left;
    successor->left->parent = successor;
    replace_child(doomed->parent, doomed, successor);
  }
  delete doomed;
  rebalance_up(changed);
  --count_;
  // The snapshot may hold the removed node.
  snapshot_ = nullptr;
  snapshot_taken_ = false;
  return true;
}

void variant_map::clear() noexcept {
  // Rotate left children up until each node has none, then free down the right;
  // parent links and heights no longer matter on the way out.
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

int32_t variant_map::height() const noexcept {
  // Depth-first by parent links: down the leftmost open path, then up to the
  // first ancestor with an unvisited right side.
  int32_t tallest = 0;
  int32_t depth = 1;
  const node* n = root_;
  while (n) {
    if (depth > tallest) tallest = depth;
    if (n->left) {
      n = n->left;
      ++depth;
    } else if (n->right) {
      n = n->right;
      ++depth;
    } else {
      for (;;) {
        const node* up = n->parent;
        --depth;
        if (!up) {
          n = nullptr;
          break;
        }
        if (up->left == n && up->right) {
          n = up->right;
          ++depth;
          break;
        }
        n = up;
      }
    }
  }
  return tallest;
}

void variant_map::start() noexcept {
  // In-order walk: from the leftmost node, each successor is the leftmost of the
  // right subtree, or else the first ancestor reached from its left side.
  node* tail = nullptr;
  snapshot_ = nullptr;
  node* n = root_;
  while (n && n->left) n = n->left;
  while (n) {
    n->snapshot_next = nullptr;
    if (tail)
      tail->snapshot_next = n;
    else
      snapshot_ = n;
    tail = n;
    if (n->right) {
      n = n->right;
      while (n->left) n = n->left;
    } else {
      while (n->parent && n->parent->right == n) n = n->parent;
      n = n->parent;
    }
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
