#pragma once
// Control API of the simulated top-level windows and synthesised input
// (platform/windows_input.h). Any thread. After ResetOs (os.h) there are no windows.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/constants.h"
#include "platform/fake/control/process.h"

namespace fake {

struct Window {
  std::uintptr_t handle = 0;   // 0: one is assigned
  std::string className = {};  // ANSI bytes
  std::string title = {};      // ANSI bytes, as GetWindowTextA would read them
  std::int32_t style = plat::kWsVisible;
  std::uint32_t pid = kOwnPid;
  std::uint32_t threadId = 0;  // 0: one is derived from the PID
  std::uintptr_t smallIcon = 0;
  std::uintptr_t bigIcon = 0;
  std::uintptr_t classIcon = 0;
  bool hung = false;                // the system knows it as hung: no wait at all
  std::uint32_t answerDelayMs = 0;  // how long its thread takes to answer a message
  bool closesOnMessage = false;     // destroyed as the first message reaches it
};

// Adds the window below all others (windows are enumerated in the order added); returns
// its handle value.
std::uintptr_t AddWindow(const Window& window);
Window* FindWindow(std::uintptr_t handle);  // null once destroyed
// The window is gone: not enumerated, no owner, no icon.
void DestroyWindow(std::uintptr_t handle);
void DestroyWindows(const std::vector<std::uintptr_t>& handles);  // in one pass
// Brings the window to the top of the Z order (first in the enumeration).
void MoveWindowToTop(std::uintptr_t handle);
// Puts the windows in this order, topmost first, above all others (which keep theirs).
void SetZOrder(const std::vector<std::uintptr_t>& topFirst);

// The time the icon messages would have waited so far, in milliseconds.
std::uint64_t IconWaitMs();
struct IconQuery {
  std::uintptr_t window = 0;
  int iconType = 0;
  std::uint32_t timeoutMs = 0;
};
// Every icon message since ClearIconQueries (nothing is recorded before a test asks for it).
std::vector<IconQuery> IconQueries();
void ClearIconQueries();  // empties the record and starts it

std::vector<std::uintptr_t> ForegroundRequests();
std::uintptr_t ForegroundWindow();

// Synthesised input.
struct KeyEvent {
  std::uint8_t virtualKey = 0;
  std::uint8_t scanCode = 0;
  std::uint32_t flags = 0;
  std::uintptr_t extraInfo = 0;
};
std::vector<KeyEvent> KeyEvents();
// MapVirtualKeyA(code, plat::kMapVkVkToVsc) answers; by default the left Windows key (0x5B)
// gives the scan code 0x5B and R (0x52) gives 0x13.
void SetScanCode(std::uint32_t virtualKey, std::uint32_t scanCode);

}  // namespace fake
