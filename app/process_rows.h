#pragma once
// The texts of a process row, and the row's key read back from its PID column.

#include <cstdint>
#include <string>

#include "platform/gui.h"

inline constexpr int kPidColumn = 1;

// The PID column's text: the process key (ProcessKey).
std::wstring PidText(std::int32_t pid);
// The process key that a row shows in its PID column.
std::string ProcessRowKey(plat::ListViewHandle list, int row);

// The CPU time (days) as hours within the day, minutes and seconds joined by the locale's
// time separator.
std::wstring FormatCpuTime(double cpuTimeDays, const std::wstring& separator);
// The working set as "<n> K".
std::wstring FormatMemoryK(std::uint32_t kilobytes);
