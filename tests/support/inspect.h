#pragma once
// What the tests read of the platform, or do to it, that the program itself never asks: one
// layer over both backends (win32/inspect_win32.cpp, inspect_fake.cpp).

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/threads.h"
#include "platform/types.h"

namespace inspect {

// Milliseconds since an arbitrary start; never goes back. Any thread.
std::uint64_t MonotonicMilliseconds();

// A 64-bit millisecond count made from a 32-bit tick count that wraps to 0 every 2^32 ms
// (about 49.7 days), such as GetTickCount (Windows XP has no GetTickCount64).
using plat::TickExtender;

int ImageListCount(plat::ImageListHandle list);
plat::Rect ControlRect(plat::Control control);  // relative to the parent's client area
std::wstring ControlText(plat::Control control);
int TabSelected(plat::TabControlHandle tabs);
bool IsTopmost(plat::MainWindowHandle window);
// Selects the row and scrolls it into sight, as a click would; -1 clears the selection.
void ListSelectRow(plat::ListViewHandle list, int row);

// A top-level window of this process with a class icon, made on the calling thread.
plat::WindowHandle CreateTestWindow(const char* className, const char* title, bool visible);
void DestroyTestWindow(plat::WindowHandle window);
// Gives the window a small icon of its own and returns the icon's handle value.
std::uintptr_t SetTestWindowSmallIcon(plat::WindowHandle window);

}  // namespace inspect
