// Owners that give a resource back when they go out of scope: one template for
// every kind of handle, and a guard that runs a step on every way out of a
// block. Windows handle kinds are in base/owned_win.h; the file layer's handle
// is `owned_file` in base/file_system.h.
#pragma once

#include <utility>

namespace lumadir {

// Owns one handle of a kind described by `Traits`:
//   using handle = ...;                      the handle's type
//   static handle invalid() noexcept;        the value that owns nothing
//   static void close(handle h) noexcept;    gives a valid handle back
// Moves hand the handle on; copies are not allowed.
template <typename Traits>
class owned {
 public:
  using handle = typename Traits::handle;

  owned() noexcept = default;
  explicit owned(handle h) noexcept : h_(h) {}
  ~owned() { reset(); }
  owned(owned&& other) noexcept : h_(other.release()) {}
  owned& operator=(owned&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  owned(const owned&) = delete;
  owned& operator=(const owned&) = delete;

  handle get() const noexcept { return h_; }
  bool valid() const noexcept { return h_ != Traits::invalid(); }
  explicit operator bool() const noexcept { return valid(); }

  // Closes what is held and takes `h` (nothing by default).
  void reset(handle h = Traits::invalid()) noexcept {
    handle old = std::exchange(h_, h);
    if (old != Traits::invalid()) Traits::close(old);
  }
  // Hands the handle to the caller, who now closes it.
  handle release() noexcept { return std::exchange(h_, Traits::invalid()); }
  // For functions that return a handle through a pointer: closes what is held.
  handle* put() noexcept {
    reset();
    return &h_;
  }

 private:
  handle h_ = Traits::invalid();
};

// Runs `step` when the block ends, however it ends, unless dismissed.
template <typename Step>
class scope_exit {
 public:
  explicit scope_exit(Step step) noexcept : step_(std::move(step)) {}
  ~scope_exit() {
    if (armed_) step_();
  }
  scope_exit(const scope_exit&) = delete;
  scope_exit& operator=(const scope_exit&) = delete;
  void dismiss() noexcept { armed_ = false; }

 private:
  Step step_;
  bool armed_ = true;
};

}  // namespace lumadir
