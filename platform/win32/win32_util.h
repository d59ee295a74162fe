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

// Owns one handle and releases it with `Close` unless it equals `Null`.
template <typename H, auto Close, std::uintptr_t NullValue = 0>
class Owned {
 public:
  Owned() = default;
  explicit Owned(H handle) : handle_(handle) {}
  ~Owned() { Reset(); }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Owned(Owned&& other) noexcept : handle_(other.Release()) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  H Get() const { return handle_; }
  explicit operator bool() const { return Valid(); }
  bool Valid() const { return reinterpret_cast<std::uintptr_t>(handle_) != NullValue; }
  H Release() { return std::exchange(handle_, Null()); }
  void Reset(H handle = Null()) {
    if (Valid()) Close(handle_);
    handle_ = handle;
  }

 private:
  static H Null() { return reinterpret_cast<H>(NullValue); }
  H handle_ = Null();
};

inline void CloseKernelHandle(HANDLE h) { ::CloseHandle(h); }
inline void DeleteGdiObject(HGDIOBJ h) { ::DeleteObject(h); }
inline void DeleteMemoryDc(HDC h) { ::DeleteDC(h); }
inline void DestroyIconHandle(HICON h) { ::DestroyIcon(h); }

using OwnedHandle = Owned<HANDLE, CloseKernelHandle>;
using OwnedFont = Owned<HFONT, DeleteGdiObject>;
using OwnedBrush = Owned<HBRUSH, DeleteGdiObject>;
using OwnedBitmap = Owned<HBITMAP, DeleteGdiObject>;
using OwnedPen = Owned<HPEN, DeleteGdiObject>;
using OwnedMemoryDc = Owned<HDC, DeleteMemoryDc>;
using OwnedIcon = Owned<HICON, DestroyIconHandle>;

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
  const RECT& Area() const { return ps_.rcPaint; }

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

// Loads `name` (a file name such as L"psapi.dll") from the system folder by its full path,
// never from the program's folder, the current directory or PATH. The DLLs that it imports in
// turn are looked for in the system folder first, and not in the program's folder
// (LOAD_WITH_ALTERED_SEARCH_PATH, XP and later).
// Null when the DLL is absent or cannot be loaded.
inline HMODULE LoadSystemLibrary(const wchar_t* name) {
  std::wstring path(MAX_PATH, L'\0');
  const UINT length = ::GetSystemDirectoryW(path.data(), MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  path.resize(length);
  path += L'\\';
  path += name;
  return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace win32
