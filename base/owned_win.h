// Owners of Windows handles and COM interfaces (see base/owned.h): each closes
// its handle the one way its family requires.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <utility>

#include "base/owned.h"

namespace lumadir {

namespace owned_traits {
// Kernel objects: threads, events, processes, files opened by CreateFile.
struct kernel {
  using handle = HANDLE;
  static handle invalid() noexcept { return nullptr; }
  static void close(handle h) noexcept { CloseHandle(h); }
};
// CreateFile returns INVALID_HANDLE_VALUE, not null, when it fails.
struct kernel_file {
  using handle = HANDLE;
  static handle invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(handle h) noexcept { CloseHandle(h); }
};
struct find {
  using handle = HANDLE;
  static handle invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(handle h) noexcept { FindClose(h); }
};
struct registry_key {
  using handle = HKEY;
  static handle invalid() noexcept { return nullptr; }
  static void close(handle h) noexcept { RegCloseKey(h); }
};
struct module {
  using handle = HMODULE;
  static handle invalid() noexcept { return nullptr; }
  static void close(handle h) noexcept { FreeLibrary(h); }
};
template <typename Object>
struct gdi {
  using handle = Object;
  static handle invalid() noexcept { return nullptr; }
  static void close(handle h) noexcept { DeleteObject(h); }
};
struct icon {
  using handle = HICON;
  static handle invalid() noexcept { return nullptr; }
  static void close(handle h) noexcept { DestroyIcon(h); }
};
}  // namespace owned_traits

using owned_handle = owned<owned_traits::kernel>;
using owned_file_handle = owned<owned_traits::kernel_file>;
using owned_find = owned<owned_traits::find>;
using owned_key = owned<owned_traits::registry_key>;
using owned_module = owned<owned_traits::module>;
using owned_font = owned<owned_traits::gdi<HFONT>>;
using owned_bitmap = owned<owned_traits::gdi<HBITMAP>>;
using owned_brush = owned<owned_traits::gdi<HBRUSH>>;
using owned_pen = owned<owned_traits::gdi<HPEN>>;
using owned_icon = owned<owned_traits::icon>;

// Holds one reference to a COM interface and releases it.
template <typename Interface>
class com_ptr {
 public:
  com_ptr() noexcept = default;
  // Takes over a reference the caller already holds.
  explicit com_ptr(Interface* p) noexcept : p_(p) {}
  ~com_ptr() { reset(); }
  com_ptr(com_ptr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  com_ptr& operator=(com_ptr&& other) noexcept {
    if (this != &other) {
      reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }
  com_ptr(const com_ptr&) = delete;
  com_ptr& operator=(const com_ptr&) = delete;

  Interface* operator->() const noexcept { return p_; }
  Interface* get() const noexcept { return p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }
  void reset() noexcept {
    if (Interface* old = std::exchange(p_, nullptr)) old->Release();
  }
  // For calls that hand out a new reference: releases what is held first.
  Interface** put() noexcept {
    reset();
    return &p_;
  }
  void** put_void() noexcept { return reinterpret_cast<void**>(put()); }
  // Another interface of the same object, or an empty pointer.
  template <typename Other>
  com_ptr<Other> query() const noexcept {
    com_ptr<Other> other;
    if (p_) p_->QueryInterface(__uuidof(Other), other.put_void());
    return other;
  }

 private:
  Interface* p_ = nullptr;
};

// COM on this thread for as long as the object lives (single-threaded apartment).
class com_scope {
 public:
  com_scope() noexcept : ok_(SUCCEEDED(CoInitialize(nullptr))) {}
  ~com_scope() {
    if (ok_) CoUninitialize();
  }
  com_scope(const com_scope&) = delete;
  com_scope& operator=(const com_scope&) = delete;
  bool ok() const noexcept { return ok_; }

 private:
  bool ok_;
};

}  // namespace lumadir
