#pragma once
// Plain value types shared by every platform header. Nothing here depends on <windows.h>.

#include <cstdint>

namespace plat {

// Opaque operating-system handles; a value of 0 means "none". Handles are compared and
// keyed by value only, never dereferenced outside platform/win32 or platform/fake.
template <typename Tag>
struct Handle {
  std::uintptr_t value = 0;
  explicit operator bool() const { return value != 0; }
  friend bool operator==(Handle a, Handle b) { return a.value == b.value; }
  friend bool operator!=(Handle a, Handle b) { return a.value != b.value; }
};

using WindowHandle = Handle<struct WindowTag>;  // HWND; the program's own controls are windows too
using IconHandle = Handle<struct IconTag>;      // HICON, owned by whoever handed it out
using ProcessHandle = Handle<struct ProcessTag>;
using TokenHandle = Handle<struct TokenTag>;
using ImageListHandle = Handle<struct ImageListTag>;
using MenuHandle = Handle<struct MenuTag>;
using ThreadHandle = Handle<struct ThreadTag>;

// A control is the window that implements it.
using Control = WindowHandle;

// Pixels, relative to the parent's client area.
struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace plat
