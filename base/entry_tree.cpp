#include "base/entry_tree.h"

#include <new>

namespace lumadir {

file_entry* file_entry::make() noexcept {
  return new (std::nothrow) file_entry;
}

entry_tree::~entry_tree() {
  clear();
}

void entry_tree::append_top(file_entry* entry) noexcept {
  file_entry* last = last_top_ ? last_top_ : first_;
  while (last && last->next) last = last->next;
  if (last) {
    insert_after(last, entry);
  } else {
    entry->parent = entry->previous = entry->next = nullptr;
    first_ = entry;
  }
  last_top_ = entry;
}

void entry_tree::insert_front(file_entry* entry) noexcept {
  entry->parent = nullptr;
  entry->previous = nullptr;
  entry->next = first_;
  if (first_) first_->previous = entry;
  first_ = entry;
}

void entry_tree::insert_after(file_entry* sibling, file_entry* entry) noexcept {
  if (sibling == last_top_) last_top_ = entry;
  if (sibling == child_tail_) child_tail_ = entry;
  entry->parent = sibling->parent;
  entry->previous = sibling;
  entry->next = sibling->next;
  if (sibling->next) sibling->next->previous = entry;
  sibling->next = entry;
}

void entry_tree::append_child(file_entry* folder, file_entry* entry) noexcept {
  file_entry* last = folder == child_tail_parent_ ? child_tail_ : folder->first_child;
  while (last && last->next) last = last->next;
  if (last) {
    insert_after(last, entry);
  } else {
    entry->parent = folder;
    entry->previous = entry->next = nullptr;
    folder->first_child = entry;
  }
  child_tail_parent_ = folder;
  child_tail_ = entry;
}

void entry_tree::adopt_list(entry_tree& from, file_entry* folder) noexcept {
  file_entry* e = from.first_;
  from.first_ = nullptr;
  from.forget_tails();
  while (e) {
    file_entry* following = e->next;
    e->next = e->previous = nullptr;
    if (folder)
      append_child(folder, e);
    else
      append_top(e);
    e = following;
  }
}

// Frees an unlinked entry and everything beneath it, deepest first, without
// recursion.
static void free_subtree(file_entry* top) noexcept {
  file_entry* n = top;
  while (n) {
    if (n->first_child) {
      n = n->first_child;
      continue;
    }
    if (n == top) {
      delete n;
      return;
    }
    file_entry* up = n->parent;
    up->first_child = n->next;
    delete n;
    n = up->first_child ? up->first_child : up;
  }
}

void entry_tree::remove(file_entry* entry) noexcept {
  if (!entry) return;
  forget_tails();
  if (entry->previous)
    entry->previous->next = entry->next;
  else
    head_of(entry->parent) = entry->next;
  if (entry->next) entry->next->previous = entry->previous;
  entry->next = entry->previous = nullptr;
  free_subtree(entry);
}

void entry_tree::clear() noexcept {
  while (first_) remove(first_);
}

file_entry* entry_tree::next_in_preorder(const file_entry* entry) noexcept {
  if (!entry) return nullptr;
  if (entry->first_child) return entry->first_child;
  return next_skipping_subtree(entry);
}

file_entry* entry_tree::next_skipping_subtree(const file_entry* entry) noexcept {
  for (const file_entry* n = entry; n; n = n->parent)
    if (n->next) return n->next;
  return nullptr;
}

// Bottom-up merge sort of a singly linked run (stable: on a tie the entry from
// the earlier run goes first), then the back links are laid anew.
static file_entry* merge_sort(file_entry* head, entry_compare compare, int32_t key) noexcept {
  if (!head) return nullptr;
  for (int32_t width = 1;; width *= 2) {
    file_entry* left = head;
    file_entry* tail = nullptr;
    head = nullptr;
    int32_t merges = 0;
    while (left) {
      ++merges;
      file_entry* right = left;
      int32_t left_size = 0;
      while (right && left_size < width) {
        right = right->next;
        ++left_size;
      }
      int32_t right_size = width;
      while (left_size > 0 || (right_size > 0 && right)) {
        file_entry* taken;
        if (left_size == 0) {
          taken = right;
          right = right->next;
          --right_size;
        } else if (right_size == 0 || !right || compare(*left, *right, key) <= 0) {
          taken = left;
          left = left->next;
          --left_size;
        } else {
          taken = right;
          right = right->next;
          --right_size;
        }
        if (tail)
          tail->next = taken;
        else
          head = taken;
        tail = taken;
      }
      left = right;
    }
    tail->next = nullptr;
    if (merges <= 1) break;
  }
  file_entry* previous = nullptr;
  for (file_entry* n = head; n; n = n->next) {
    n->previous = previous;
    previous = n;
  }
  return head;
}

void entry_tree::sort_list(file_entry* parent) noexcept {
  // With no key every pair compares equal, and a stable sort changes nothing.
  if (sort_key < 0 || !compare) return;
  forget_tails();
  file_entry*& head = head_of(parent);
  head = merge_sort(head, compare, sort_key);
}

void entry_tree::reverse_list(file_entry* parent) noexcept {
  forget_tails();
  file_entry*& head = head_of(parent);
  file_entry* n = head;
  file_entry* reversed = nullptr;
  while (n) {
    file_entry* following = n->next;
    n->next = reversed;
    n->previous = following;
    reversed = n;
    n = following;
  }
  head = reversed;
}

template <typename Action>
void entry_tree::for_each_list(Action action) noexcept {
  action(nullptr);
  for (file_entry* n = first_; n; n = next_in_preorder(n))
    if (n->first_child) action(n);
}

void entry_tree::sort_all() noexcept {
  for_each_list([this](file_entry* parent) { sort_list(parent); });
}

void entry_tree::reverse_all() noexcept {
  for_each_list([this](file_entry* parent) { reverse_list(parent); });
}

}  // namespace lumadir
