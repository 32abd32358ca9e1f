// Owns one Win32 resource and releases it exactly once.
#pragma once

#include <windows.h>

#include <utility>

namespace stackle::win32 {

// Traits give the resource's type, its "none" value and how to release it.
template <typename Traits>
class UniqueResource {
 public:
  using T = typename Traits::Type;

  UniqueResource() = default;
  explicit UniqueResource(T value) : value_(value) {}
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ~UniqueResource() { reset(); }

  T get() const { return value_; }
  explicit operator bool() const { return value_ != Traits::None(); }
  T release() { return std::exchange(value_, Traits::None()); }
  void reset(T value = Traits::None()) {
    if (value_ != Traits::None()) Traits::Close(value_);
    value_ = value;
  }

 private:
  T value_ = Traits::None();
};

template <typename Handle, BOOL(WINAPI* Release)(Handle)>
struct NullIsNone {
  using Type = Handle;
  static Type None() { return nullptr; }
  static void Close(Type value) { Release(value); }
};

struct FileTraits {
  using Type = HANDLE;
  static Type None() { return INVALID_HANDLE_VALUE; }
  static void Close(Type value) { ::CloseHandle(value); }
};

// Process, mutex, event: kernel objects whose "none" value is null.
using UniqueHandle = UniqueResource<NullIsNone<HANDLE, ::CloseHandle>>;
// Files, whose "none" value is INVALID_HANDLE_VALUE.
using UniqueFile = UniqueResource<FileTraits>;
using UniqueMenu = UniqueResource<NullIsNone<HMENU, ::DestroyMenu>>;
using UniqueIcon = UniqueResource<NullIsNone<HICON, ::DestroyIcon>>;

}  // namespace stackle::win32
