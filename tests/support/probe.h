#pragma once
// What the tests read of the platform, or do to it, that the program itself never asks: one
// layer over both backends (win32/probe_win32.cpp, probe_fake.cpp); and the sampler thread's
// pass count, which the program never reads either.

#include <atomic>
#include <cstdint>
#include <string>

#include "graphs/TSetThread.h"
#include "platform/types.h"

namespace probe {

// Passes the sampler thread has completed so far; any thread.
inline int PassCount(const TSetThread& thread) { return thread.passes_.load(); }

// Milliseconds since an arbitrary start; never goes back. Any thread.
std::uint64_t MonotonicMilliseconds();
void Sleep(std::uint32_t milliseconds);
// This process's id; on the fake, its own simulated process (fake::kOwnPid).
std::uint32_t GetCurrentProcessId();

// A 64-bit millisecond count made from a 32-bit tick count that wraps to 0 every 2^32 ms
// (about 49.7 days), such as GetTickCount (Windows XP has no GetTickCount64). Safe to read
// from any thread.
class TickExtender {
 public:
  // Calls tick() and returns the count: the first reading as it is, each later one the count
  // before plus the tick's unsigned 32-bit advance, so a wrap between two readings still counts
  // forward. Readings must come less than one wrap apart.
  template <typename Tick>
  std::uint64_t Now(Tick tick) {
    std::uint64_t last = last_.load();
    for (;;) {
      // The tick is read after `last` on every try: an older reading would look like a wrap.
      const std::uint32_t advance = tick() - static_cast<std::uint32_t>(last);
      if (last_.compare_exchange_weak(last, last + advance)) return last + advance;
    }
  }

 private:
  std::atomic<std::uint64_t> last_{0};
};

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

}  // namespace probe
