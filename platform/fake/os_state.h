#pragma once
// The simulated system's state that its source files share with each other; not for tests.
// The process table is shared by process.cpp and sysinfo.cpp; ResetOs (process.cpp) resets
// the others' state; a terminated process's windows go in windows_input.cpp.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/fake/control/process.h"

namespace fake::detail {

// process.cpp: the lock of the process table, and the table itself (under that lock).
std::recursive_mutex& ProcessMutex();
const std::vector<Process>& ProcessesLocked();
// Processes' names in table order, back to back: the i-th process's name (if it has one)
// starts at At(i). Reading them in one sweep rather than from wherever the heap put each name
// is most of what a changed table costs the table writer.
struct ProcessNames {
  std::u16string text;
  std::vector<std::uint32_t> ends;  // where each process's name ends in `text`

  void Append(const Process& process) {
    if (process.name) text += *process.name;
    ends.push_back(static_cast<std::uint32_t>(text.size()));
  }
  void Assign(const std::vector<Process>& processes) {
    text.clear();
    ends.clear();
    for (const Process& process : processes) Append(process);
  }
  const char16_t* At(std::size_t i) const { return text.data() + (i > 0 ? ends[i - 1] : 0); }
};
// The names of ProcessesLocked(), up to date.
const ProcessNames& ProcessNamesLocked();
// sysinfo.cpp: forgets scripted process-table queries and the time separator.
void ResetSystemState();
// windows_input.cpp.
void ResetWindowsState();
void DestroyWindowsOfProcess(std::uint32_t pid);
// shell.cpp.
void ResetShellState();

}  // namespace fake::detail
