#pragma once
// Top-level windows of the desktop, their icons and owners, and synthesised input.

#include <cstdint>

#include "platform/types.h"

namespace plat {

// EnumWindows: calls `callback` once per top-level window in Z order (topmost first), on the
// calling thread, until it returns false.
using EnumWindowsCallbackFn = bool (*)(WindowHandle window, void* param);
bool EnumWindows(EnumWindowsCallbackFn callback, void* param);

std::int32_t GetWindowLongA(WindowHandle window, int index);
// Both copy at most length - 1 characters of the ANSI code page (a double-byte character
// counts two) and a NUL; they return the count copied, 0 on failure.
int GetClassNameA(WindowHandle window, char* buffer, int length);
int GetWindowTextA(WindowHandle window, char* buffer, int length);
// The large icon registered with the window's class (GetClassLongA with index -14).
IconHandle GetClassIcon(WindowHandle window);
// WM_GETICON with wParam `iconType` (0 small, 1 big) and lParam 0. The wait is bounded:
// a window whose thread does not answer within `timeoutMs`, or is hung, yields 0, and
// `answered` (not null) tells whether the window answered in time: false for a time-out, a
// hung window or a window that no longer exists.
IconHandle SendGetIcon(WindowHandle window, int iconType, std::uint32_t timeoutMs, bool* answered);

// Returns the owning thread's id, 0 when the window no longer exists (the process id is
// then left untouched). `processId` may be null.
std::uint32_t GetWindowThreadProcessId(WindowHandle window, std::uint32_t* processId);
bool SetForegroundWindow(WindowHandle window);

void keybd_event(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                 std::uintptr_t extraInfo);
std::uint32_t MapVirtualKeyA(std::uint32_t code, std::uint32_t mapType);

}  // namespace plat
