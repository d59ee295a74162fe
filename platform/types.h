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
  friend bool operator==(Handle, Handle) = default;
};

using WindowHandle = Handle<struct WindowTag>;  // HWND; the program's own controls are windows too
using IconHandle = Handle<struct IconTag>;      // HICON, owned by whoever handed it out
using ProcessHandle = Handle<struct ProcessTag>;
using TokenHandle = Handle<struct TokenTag>;  // an access token
using ImageListHandle = Handle<struct ImageListTag>;
using IconImageHandle = Handle<struct IconImageTag>;  // the program's own copy of an icon's image
using MenuHandle = Handle<struct MenuTag>;
using ThreadHandle = Handle<struct ThreadTag>;

// A control is the window that implements it.
using Control = WindowHandle;

// The program's own windows and controls of the kinds the GUI treats apart. Each converts to
// Control (to move, measure or parent it) but not back: a Control becomes one only by an
// explicit construction where it was created, so that a status bar passed where a list is
// wanted fails to compile.
template <typename Kind>
struct ControlOf {
  std::uintptr_t value = 0;
  ControlOf() = default;
  explicit ControlOf(Control control) : value(control.value) {}
  operator Control() const { return Control{value}; }
  explicit operator bool() const { return value != 0; }
  friend bool operator==(ControlOf, ControlOf) = default;
};

using MainWindowHandle = ControlOf<struct MainWindowTag>;  // made by CreateMainWindow
using TabControlHandle = ControlOf<struct TabControlTag>;
using ListViewHandle = ControlOf<struct ListViewTag>;
using StatusBarHandle = ControlOf<struct StatusBarTag>;
using PictureBoxHandle = ControlOf<struct PictureBoxTag>;

// Pixels, relative to the parent's client area.
struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace plat
