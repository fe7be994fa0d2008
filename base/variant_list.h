// A doubly linked list of owned variants. As it stands it is a first-in,
// first-out queue: push appends, pop takes the first item. Derived kinds replace
// pop (the XML reader's byte source does) and add operations after these two.
#pragma once

#include "base/variant.h"

namespace lumadir {

class variant_list {
 public:
  struct node {
    node* next = nullptr;
    node* previous = nullptr;
    variant value;
  };

  // The two overridable operations, in this order.
  // Appends at the end; the item's text buffer moves into the list, leaving the
  // caller's variant an empty text. Resets the cursor.
  virtual bool push(variant& item) noexcept;
  // Moves the first item into `out`; false, with `out` untouched, when empty.
  virtual bool pop(variant& out) noexcept;

  variant_list() noexcept = default;
  variant_list(const variant_list&) = delete;
  variant_list& operator=(const variant_list&) = delete;
  virtual ~variant_list();

  bool push(variant&& item) noexcept { return push(item); }
  bool push_copy(const variant& item) noexcept;
  bool push_front(variant& item) noexcept;
  bool push_front(variant&& item) noexcept { return push_front(item); }
  bool pop_back(variant& out) noexcept;

  // 0-based; walks from the nearer end. An index out of range appends a new
  // integer-0 item through push and gives that item.
  variant& item_at(int32_t index) noexcept;

  void rewind() noexcept;
  // Copies the item under the cursor into `out` and advances; false at the end.
  bool next(variant& out) noexcept;

  node* first() const { return first_; }
  node* last() const { return last_; }
  int32_t count() const { return count_; }
  bool insert_before(node* at, variant& item) noexcept;
  bool insert_after(node* at, variant& item) noexcept;
  void remove(node* at) noexcept;
  void clear() noexcept;

  // Replaces the contents with the pieces of `subject` between non-overlapping
  // occurrences of `separator`. The piece after the last separator is always
  // added. A subject shorter than the separator, an empty separator or a limit of
  // 1 gives an empty list; a limit n > 1 stops after n - 1 separators; 0 is no
  // limit.
  void split(const variant& separator, const variant& subject, int32_t piece_limit = 0) noexcept;
  // The items' text forms with `separator` between them.
  variant join(const variant& separator) const noexcept;

 private:
  node* make_node(variant& item) noexcept;
  void link_after(node* at, node* fresh) noexcept;  // at == nullptr: at the front
  void reset_cursor() noexcept;

  node* first_ = nullptr;
  node* last_ = nullptr;
  int32_t count_ = 0;
  node* cursor_ = nullptr;
  int32_t cursor_index_ = 0;
};

}  // namespace lumadir
