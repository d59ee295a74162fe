// The byte offsets of platform/os_layouts.h against the SDK's declarations, for the
// architecture being built. Nothing here runs.

#include <windows.h>

#include <psapi.h>
#include <winternl.h>

#include <cstddef>

#include "platform/os_layouts.h"

namespace {

constexpr const OsLayout& kLayout = kNativeLayout;

// SYSTEM_PROCESS_INFORMATION as winternl.h declares it.
static_assert(offsetof(SYSTEM_PROCESS_INFORMATION, NextEntryOffset) == kLayout.procNextEntryOffset);
static_assert(offsetof(SYSTEM_PROCESS_INFORMATION, UserTime) == kLayout.procUserTime);
static_assert(offsetof(SYSTEM_PROCESS_INFORMATION, KernelTime) == kLayout.procKernelTime);
static_assert(offsetof(SYSTEM_PROCESS_INFORMATION, ImageName) + offsetof(UNICODE_STRING, Buffer) ==
              kLayout.procImageNameBuffer);
static_assert(offsetof(SYSTEM_PROCESS_INFORMATION, UniqueProcessId) == kLayout.procUniqueProcessId);
static_assert(sizeof(HANDLE) == kLayout.procPointerSize);
static_assert(sizeof(PWSTR) == kLayout.procPointerSize);
static_assert(offsetof(SYSTEM_PROCESS_INFORMATION, UniqueProcessId) + sizeof(HANDLE) <=
              kLayout.procMinRecordSize);
static_assert(sizeof(SYSTEM_PROCESS_INFORMATION) >= kLayout.procMinRecordSize);

// PROCESS_MEMORY_COUNTERS.
static_assert(sizeof(PROCESS_MEMORY_COUNTERS) == kLayout.pmcSize);
static_assert(offsetof(PROCESS_MEMORY_COUNTERS, cb) == 0);
static_assert(offsetof(PROCESS_MEMORY_COUNTERS, WorkingSetSize) == kLayout.pmcWorkingSetSize);
static_assert(sizeof(SIZE_T) == sizeof(std::size_t));

// TOKEN_PRIVILEGES with its one declared entry.
static_assert(sizeof(TOKEN_PRIVILEGES) == kLayout.tokenPrivilegesSize);
static_assert(offsetof(TOKEN_PRIVILEGES, PrivilegeCount) == 0);
static_assert(offsetof(TOKEN_PRIVILEGES, Privileges) + offsetof(LUID_AND_ATTRIBUTES, Luid) ==
              kLayout.tokenPrivilegeLuid);
static_assert(offsetof(TOKEN_PRIVILEGES, Privileges) + offsetof(LUID_AND_ATTRIBUTES, Attributes) ==
              kLayout.tokenPrivilegeAttributes);
static_assert(offsetof(LUID, LowPart) == 0 && offsetof(LUID, HighPart) == 4);

// The counters' records, as far as winternl.h declares them.
static_assert(sizeof(SYSTEM_BASIC_INFORMATION) == kLayout.basicInfoSize);
static_assert(offsetof(SYSTEM_BASIC_INFORMATION, NumberOfProcessors) ==
              kLayout.basicNumberOfProcessors);
// winternl.h pads SYSTEM_TIMEOFDAY_INFORMATION beyond the 32 bytes the system fills.
static_assert(offsetof(SYSTEM_TIMEOFDAY_INFORMATION, CurrentTime) == kLayout.timeOfDayCurrentTime);
static_assert(sizeof(SYSTEM_TIMEOFDAY_INFORMATION) >= kLayout.timeOfDaySize);
static_assert(offsetof(SYSTEM_PERFORMANCE_INFORMATION, IdleTime) == kLayout.perfIdleProcessTime);
static_assert(sizeof(SYSTEM_PERFORMANCE_INFORMATION) == kLayout.perfInfoSize);

// MEMORYSTATUS.
static_assert(sizeof(MEMORYSTATUS) == kLayout.memoryStatusSize);

}  // namespace
