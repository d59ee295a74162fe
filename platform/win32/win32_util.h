#pragma once
// Small RAII owners for Win32 handles and GDI objects, and conversions between the
// portable handle values of platform/types.h and the SDK's handle types; system DLLs by path.

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <string>
#include <utility>

#include "platform/types.h"

namespace win32 {

// Owns one handle and releases it with `Close` unless it is null. Moves, never copies.
template <typename H, auto Close>
class Owned {
 public:
  Owned() = default;
  explicit Owned(H handle) : handle_(handle) {}
  ~Owned() { Reset(); }
  Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, H{})) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.handle_, H{}));
    return *this;
  }

  H Get() const { return handle_; }
  explicit operator bool() const { return handle_ != H{}; }
  void Reset(H handle = H{}) {
    if (handle_) Close(handle_);
    handle_ = handle;
  }

 private:
  H handle_{};
};

inline void DeleteGdiObject(HGDIOBJ h) { ::DeleteObject(h); }
using OwnedFont = Owned<HFONT, DeleteGdiObject>;

// A screen-compatible device context borrowed from a window (GetDC / ReleaseDC).
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint / EndPaint for one WM_PAINT.
class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window) { dc_ = ::BeginPaint(window, &ps_); }
  ~PaintScope() { ::EndPaint(window_, &ps_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_ = nullptr;
};

// Selects a GDI object into a device context for the lifetime of the scope.
class SelectScope {
 public:
  SelectScope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~SelectScope() {
    if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
  }
  SelectScope(const SelectScope&) = delete;
  SelectScope& operator=(const SelectScope&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// Conversions between portable handle values and SDK handles.
inline HWND ToHwnd(plat::WindowHandle h) { return reinterpret_cast<HWND>(h.value); }
inline plat::WindowHandle FromHwnd(HWND h) {
  return plat::WindowHandle{reinterpret_cast<std::uintptr_t>(h)};
}
inline HMENU ToHmenu(plat::MenuHandle h) { return reinterpret_cast<HMENU>(h.value); }
inline plat::MenuHandle FromHmenu(HMENU h) {
  return plat::MenuHandle{reinterpret_cast<std::uintptr_t>(h)};
}
inline HIMAGELIST ToHimagelist(plat::ImageListHandle h) {
  return reinterpret_cast<HIMAGELIST>(h.value);
}
inline plat::ImageListHandle FromHimagelist(HIMAGELIST h) {
  return plat::ImageListHandle{reinterpret_cast<std::uintptr_t>(h)};
}
inline HICON ToHicon(plat::IconHandle h) { return reinterpret_cast<HICON>(h.value); }

// A routine looked up at run time (those newer than Windows XP, where the program starts);
// null when `module` is null or lacks it.
template <typename Fn>
Fn Routine(HMODULE module, const char* name) {
  if (!module) return nullptr;
  // Through a generic function pointer: FARPROC carries no signature of its own.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

// Loads `name` (a file name such as L"psapi.dll") from the system folder by its full path,
// never from the program's folder, the current directory or PATH. The DLLs that it imports in
// turn are looked for in the system folder first, and not in the program's folder
// (LOAD_WITH_ALTERED_SEARCH_PATH, XP and later). Should a system refuse that flag beside the
// process's restricted search (RestrictDllSearch), the full path alone is loaded, its imports
// then found in that restricted search. Null when the DLL is absent or cannot be loaded.
inline HMODULE LoadSystemLibrary(const wchar_t* name) {
  std::wstring path(MAX_PATH, L'\0');
  const UINT length = ::GetSystemDirectoryW(path.data(), MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  path.resize(length);
  path += L'\\';
  path += name;
  HMODULE module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  return module ? module : ::LoadLibraryExW(path.c_str(), nullptr, 0);
}

}  // namespace win32
