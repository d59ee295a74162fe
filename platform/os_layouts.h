#pragma once
// Byte layouts of the operating-system records that the program reads, one table per
// architecture. The 32-bit table is the layout of 32-bit Windows; the 64-bit table its
// native counterpart. platform/win32 checks the table of the build's architecture against
// the SDK's declarations at compile time where the SDK declares the record.

#include <cstdint>

struct OsLayout {
  // SYSTEM_PROCESS_INFORMATION (information class 5), one record per process.
  std::uint32_t procNextEntryOffset;  // 4 bytes, unsigned; 0 in the last record
  std::uint32_t procUserTime;         // 8 bytes, signed, 100 ns units
  std::uint32_t procKernelTime;       // 8 bytes, signed, 100 ns units
  std::uint32_t procImageNameBuffer;  // pointer to NUL-terminated UTF-16; null for idle
  std::uint32_t procUniqueProcessId;  // pointer-sized; the PID is its low 32 bits
  std::uint32_t procPointerSize;
  std::uint32_t procMinRecordSize;  // bytes up to the end of the last field read

  // PROCESS_MEMORY_COUNTERS.
  std::uint32_t pmcSize;
  std::uint32_t pmcWorkingSetSize;  // pointer-sized, bytes

  // TOKEN_PRIVILEGES with one entry: count (4 bytes at 0), LUID (low and high part), attributes.
  std::uint32_t tokenPrivilegesSize;
  std::uint32_t tokenPrivilegeLuid;        // 8 bytes
  std::uint32_t tokenPrivilegeAttributes;  // 4 bytes

  // SYSTEM_BASIC_INFORMATION (class 0).
  std::uint32_t basicInfoSize;
  std::uint32_t basicNumberOfProcessors;  // 1 byte, unsigned

  // SYSTEM_TIMEOFDAY_INFORMATION (class 3): boot time, current time, bias, zone, reserved.
  std::uint32_t timeOfDaySize;
  std::uint32_t timeOfDayCurrentTime;  // 8 bytes, signed, 100 ns units

  // SYSTEM_PERFORMANCE_INFORMATION (class 2).
  std::uint32_t perfInfoSize;
  std::uint32_t perfIdleProcessTime;  // 8 bytes, signed, 100 ns units, all processors

  // MEMORYSTATUS.
  std::uint32_t memoryStatusSize;
};

inline constexpr OsLayout kLayout32{
    .procNextEntryOffset = 0,
    .procUserTime = 40,
    .procKernelTime = 48,
    .procImageNameBuffer = 60,
    .procUniqueProcessId = 68,
    .procPointerSize = 4,
    .procMinRecordSize = 72,
    .pmcSize = 40,
    .pmcWorkingSetSize = 12,
    .tokenPrivilegesSize = 16,
    .tokenPrivilegeLuid = 4,
    .tokenPrivilegeAttributes = 12,
    .basicInfoSize = 44,
    .basicNumberOfProcessors = 40,
    .timeOfDaySize = 32,
    .timeOfDayCurrentTime = 8,
    .perfInfoSize = 312,
    .perfIdleProcessTime = 0,
    .memoryStatusSize = 32,
};

inline constexpr OsLayout kLayout64{
    .procNextEntryOffset = 0,
    .procUserTime = 40,
    .procKernelTime = 48,
    .procImageNameBuffer = 64,
    .procUniqueProcessId = 80,
    .procPointerSize = 8,
    .procMinRecordSize = 88,
    .pmcSize = 72,
    .pmcWorkingSetSize = 16,
    .tokenPrivilegesSize = 16,
    .tokenPrivilegeLuid = 4,
    .tokenPrivilegeAttributes = 12,
    .basicInfoSize = 64,
    .basicNumberOfProcessors = 56,
    .timeOfDaySize = 32,
    .timeOfDayCurrentTime = 8,
    .perfInfoSize = 312,
    .perfIdleProcessTime = 0,
    .memoryStatusSize = 56,
};

// The layout of the architecture this program is built for.
inline constexpr const OsLayout& kNativeLayout = sizeof(void*) == 8 ? kLayout64 : kLayout32;
