#pragma once
// What the fake's source files share with each other; not for tests. The GUI's handles,
// misuse records and log are shared by gui.cpp and drawing.cpp; the process table by
// process.cpp and sysinfo.cpp; a terminated process's windows go in windows_input.cpp.

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/fake/control/process.h"

namespace fake::detail {

// gui.cpp: a new handle value for a control, window or image list; a misuse; a log entry.
std::uintptr_t NewGuiHandle();
void GuiViolation(std::string text);
void GuiLogEntry(std::string entry);
// drawing.cpp: forgets every image list.
void ResetImageLists();

// process.cpp: the lock of the process table, and the table itself (under that lock).
std::recursive_mutex& ProcessMutex();
const std::vector<Process>& ProcessesLocked();
// sysinfo.cpp: forgets scripted process-table queries and the time separator.
void ResetSystemState();
// windows_input.cpp.
void ResetWindowsState();
void DestroyWindowsOfProcess(std::uint32_t pid);
// shell.cpp.
void ResetShellState();

}  // namespace fake::detail
