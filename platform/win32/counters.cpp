// CPU counters through NtQuerySystemInformation looked up at run time, and the memory status.

#include <windows.h>

#include <cstddef>

#include "platform/sysinfo.h"
#include "sampling/os_layouts.h"

// plat::MemoryStatus is filled by GlobalMemoryStatus directly: it must be MEMORYSTATUS.
static_assert(sizeof(plat::MemoryStatus) == sizeof(MEMORYSTATUS));
static_assert(sizeof(MEMORYSTATUS) == kNativeLayout.memoryStatusSize);
static_assert(offsetof(plat::MemoryStatus, dwLength) == offsetof(MEMORYSTATUS, dwLength));
static_assert(offsetof(plat::MemoryStatus, dwMemoryLoad) == offsetof(MEMORYSTATUS, dwMemoryLoad));
static_assert(offsetof(plat::MemoryStatus, dwTotalPhys) == offsetof(MEMORYSTATUS, dwTotalPhys));
static_assert(offsetof(plat::MemoryStatus, dwAvailPhys) == offsetof(MEMORYSTATUS, dwAvailPhys));
static_assert(offsetof(plat::MemoryStatus, dwTotalPageFile) ==
              offsetof(MEMORYSTATUS, dwTotalPageFile));
static_assert(offsetof(plat::MemoryStatus, dwAvailPageFile) ==
              offsetof(MEMORYSTATUS, dwAvailPageFile));
static_assert(offsetof(plat::MemoryStatus, dwTotalVirtual) ==
              offsetof(MEMORYSTATUS, dwTotalVirtual));
static_assert(offsetof(plat::MemoryStatus, dwAvailVirtual) ==
              offsetof(MEMORYSTATUS, dwAvailVirtual));
static_assert(sizeof(plat::MemoryStatus::dwTotalPhys) == sizeof(MEMORYSTATUS::dwTotalPhys));

namespace {

using QueryRoutine = LONG(WINAPI*)(ULONG infoClass, PVOID buffer, ULONG length,
                                   PULONG returnedLength);

}  // namespace

// The looked-up routine; a QueryEntry is never created, only pointed at.
struct plat::QueryEntry {
  QueryRoutine routine;
};

namespace plat {

const QueryEntry* LookupQueryEntry() {
  static QueryEntry entry{nullptr};
  if (entry.routine == nullptr) {
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    if (ntdll == nullptr) return nullptr;
    // Through a generic function pointer: FARPROC carries no signature of its own.
    entry.routine = reinterpret_cast<QueryRoutine>(
        reinterpret_cast<void (*)()>(::GetProcAddress(ntdll, "NtQuerySystemInformation")));
  }
  return entry.routine != nullptr ? &entry : nullptr;
}

std::int32_t CallQueryEntry(const QueryEntry* entry, std::uint32_t infoClass, void* buffer,
                            std::uint32_t length) {
  return entry->routine(infoClass, buffer, length, nullptr);
}

void GlobalMemoryStatus(MemoryStatus& status) {
  ::GlobalMemoryStatus(reinterpret_cast<MEMORYSTATUS*>(&status));
}

bool GlobalMemoryStatusEx(MemoryStatusEx& status) {
  MEMORYSTATUSEX record{};
  record.dwLength = sizeof record;
  if (!::GlobalMemoryStatusEx(&record)) return false;
  status.dwLength = record.dwLength;
  status.dwMemoryLoad = record.dwMemoryLoad;
  status.ullTotalPhys = record.ullTotalPhys;
  status.ullAvailPhys = record.ullAvailPhys;
  status.ullTotalPageFile = record.ullTotalPageFile;
  status.ullAvailPageFile = record.ullAvailPageFile;
  status.ullTotalVirtual = record.ullTotalVirtual;
  status.ullAvailVirtual = record.ullAvailVirtual;
  status.ullAvailExtendedVirtual = record.ullAvailExtendedVirtual;
  return true;
}

}  // namespace plat
