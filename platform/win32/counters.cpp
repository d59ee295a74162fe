// CPU counters through NtQuerySystemInformation looked up at run time, and GlobalMemoryStatus.

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

namespace {

// A total and its available part narrowed to the record's field width: the total saturates
// and the used part (total - available) is kept as long as it fits under it.
void NarrowPair(DWORDLONG total, DWORDLONG avail, SIZE_T& totalField, SIZE_T& availField) {
  constexpr DWORDLONG kMax = static_cast<SIZE_T>(-1);
  const DWORDLONG used = avail < total ? total - avail : 0;
  const DWORDLONG narrowTotal = total < kMax ? total : kMax;
  totalField = static_cast<SIZE_T>(narrowTotal);
  availField = static_cast<SIZE_T>(narrowTotal - (used < narrowTotal ? used : narrowTotal));
}

}  // namespace

void GlobalMemoryStatus(MemoryStatus& status) {
  auto* record = reinterpret_cast<MEMORYSTATUS*>(&status);
  ::GlobalMemoryStatus(record);
  // Where the figures overflow the record (a 32-bit process on a machine with more than
  // 4 GiB), GlobalMemoryStatus leaves -1 or an available amount above its total. The
  // extended query has them all; they are narrowed so that the used amounts stay true.
  const bool overflowed = record->dwAvailPhys > record->dwTotalPhys ||
                          record->dwAvailPageFile > record->dwTotalPageFile ||
                          record->dwTotalPhys == static_cast<SIZE_T>(-1) ||
                          record->dwTotalPageFile == static_cast<SIZE_T>(-1);
  if (!overflowed) return;
  MEMORYSTATUSEX ex{};
  ex.dwLength = sizeof(ex);
  if (!::GlobalMemoryStatusEx(&ex)) return;
  record->dwMemoryLoad = ex.dwMemoryLoad;
  NarrowPair(ex.ullTotalPhys, ex.ullAvailPhys, record->dwTotalPhys, record->dwAvailPhys);
  NarrowPair(ex.ullTotalPageFile, ex.ullAvailPageFile, record->dwTotalPageFile,
             record->dwAvailPageFile);
  NarrowPair(ex.ullTotalVirtual, ex.ullAvailVirtual, record->dwTotalVirtual,
             record->dwAvailVirtual);
}

}  // namespace plat
