#include "base/variant_list.h"

#include <cstring>
#include <new>

namespace lumadir {

variant_list::~variant_list() {
  clear();
}

variant_list::node* variant_list::make_node(variant& item) noexcept {
  node* fresh = new (std::nothrow) node;
  if (!fresh) return nullptr;
  fresh->value = static_cast<variant&&>(item);
  item = "";
  return fresh;
}

void variant_list::reset_cursor() noexcept {
  cursor_ = first_;
  cursor_index_ = 0;
}

void variant_list::link_after(node* at, node* fresh) noexcept {
  fresh->previous = at;
  fresh->next = at ? at->next : first_;
  if (fresh->next)
    fresh->next->previous = fresh;
  else
    last_ = fresh;
  if (at)
    at->next = fresh;
  else
    first_ = fresh;
  ++count_;
}

bool variant_list::push(variant& item) noexcept {
  node* fresh = make_node(item);
  if (fresh) link_after(last_, fresh);
  reset_cursor();
  return fresh != nullptr;
}

bool variant_list::pop(variant& out) noexcept {
  if (!first_) return false;
  out = static_cast<variant&&>(first_->value);
  remove(first_);
  reset_cursor();
  return true;
}

bool variant_list::push_copy(const variant& item) noexcept {
  variant copy(item);
  return push(copy);
}

bool variant_list::push_front(variant& item) noexcept {
  node* fresh = make_node(item);
  if (fresh) link_after(nullptr, fresh);
  reset_cursor();
  return fresh != nullptr;
}

bool variant_list::pop_back(variant& out) noexcept {
  if (!last_) return false;
  out = static_cast<variant&&>(last_->value);
  remove(last_);
  reset_cursor();
  return true;
}

bool variant_list::insert_before(node* at, variant& item) noexcept {
  node* fresh = make_node(item);
  if (!fresh) return false;
  link_after(at ? at->previous : last_, fresh);
  return true;
}

bool variant_list::insert_after(node* at, variant& item) noexcept {
  node* fresh = make_node(item);
  if (!fresh) return false;
  link_after(at, fresh);
  return true;
}

void variant_list::remove(node* at) noexcept {
  if (!at) return;
  if (at->previous)
    at->previous->next = at->next;
  else
    first_ = at->next;
  if (at->next)
    at->next->previous = at->previous;
  else
    last_ = at->previous;
  if (cursor_ == at) cursor_ = at->next;
  --count_;
  delete at;
}

void variant_list::clear() noexcept {
  for (node* n = first_; n;) {
    node* following = n->next;
    delete n;
    n = following;
  }
  first_ = last_ = cursor_ = nullptr;
  count_ = 0;
  cursor_index_ = 0;
}

variant& variant_list::item_at(int32_t index) noexcept {
  if (index < 0 || index >= count_) {
    variant fresh;
    push(fresh);
    if (last_) return last_->value;
    // Only when even one node cannot be allocated: hand out a scratch value.
    static thread_local variant scratch;
    scratch = 0;
    return scratch;
  }
  node* n;
  if (index < count_ / 2) {
    n = first_;
    for (int32_t i = 0; i < index; ++i) n = n->next;
  } else {
    n = last_;
    for (int32_t i = count_ - 1; i > index; --i) n = n->previous;
  }
  return n->value;
}

void variant_list::rewind() noexcept {
  reset_cursor();
}

bool variant_list::next(variant& out) noexcept {
  if (!cursor_) return false;
  out = cursor_->value;
  cursor_ = cursor_->next;
  ++cursor_index_;
  return true;
}

void variant_list::split(const variant& separator, const variant& subject,
                         int32_t piece_limit) noexcept {
  clear();
  const int32_t separator_length = separator.length();
  const int32_t subject_length = subject.length();
  if (separator_length == 0 || subject_length < separator_length || piece_limit == 1) return;
  const char* bytes = subject.text().data();
  int32_t start = 0;
  int32_t separators = 0;
  for (int32_t at = subject.find(separator, 0); at >= 0;
       at = subject.find(separator, at + separator_length)) {
    if (piece_limit > 1 && separators == piece_limit - 1) break;
    push(variant(bytes + start, at - start));
    start = at + separator_length;
    ++separators;
  }
  push(variant(bytes + start, subject_length - start));
}

variant variant_list::join(const variant& separator) const noexcept {
  variant result("");
  if (!first_) return result;
  const int32_t separator_length = separator.length();
  int64_t total = static_cast<int64_t>(separator_length) * (count_ - 1);
  for (node* n = first_; n; n = n->next) total += n->value.length();
  if (total > 0x78000000) return result;
  byte_text joined;
  joined.reset(static_cast<int32_t>(total));
  if (total > 0 && joined.length() != total) return result;
  char* out = joined.data();
  for (node* n = first_; n; n = n->next) {
    if (n != first_ && separator_length > 0) {
      std::memcpy(out, separator.text().data(), static_cast<size_t>(separator_length));
      out += separator_length;
    }
    const byte_text& piece = n->value.text();
    if (piece.length() > 0) {
      std::memcpy(out, piece.data(), static_cast<size_t>(piece.length()));
      out += piece.length();
    }
  }
  result.assign(static_cast<byte_text&&>(joined));
  return result;
}

}  // namespace lumadir
