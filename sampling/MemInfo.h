#pragma once
// MemInfo: the memory totals as the system reports them, and the used memory shown from them.

#include <cstdint>

#include "platform/sysinfo.h"

// The one MEMORYSTATUS record of the program. dwLength is set by the window's start-up before
// the sampler thread runs; the sampler thread refreshes the rest once a second. Other threads
// read it through the sampler thread's lock (TSetThread::ReadSample).
extern plat::MemoryStatus MemStatus;
// The same figures in 64 bits, read with MemStatus and shared the same way; all 0 until the
// first read and after a failed one.
extern plat::MemoryStatusEx MemStatusEx;

// Has the system fill every field of `status` (GlobalMemoryStatus), then the 64-bit figures
// into `extended` (zeroed when that query fails).
void ReadMemoryStatus(plat::MemoryStatus& status, plat::MemoryStatusEx& extended);

// Used physical memory and its reference total, the commit limit, in bytes.
struct MemoryInUse {
  std::uint64_t used = 0;
  std::uint64_t total = 0;
};

// The one place that says how much memory is in use. While the record's totals agree with
// the 64-bit ones, everything comes from the record: used = dwTotalPhys - dwAvailPhys in the
// record's own unsigned width, total = dwTotalPageFile. Where they disagree (a 32-bit record
// cannot hold a figure above 4 GiB, or the system capped it), both come from the 64-bit
// figures; an empty `extended` (dwLength 0) leaves the record in charge. Used memory is
// never negative there.
MemoryInUse UsedMemory(const plat::MemoryStatus& status, const plat::MemoryStatusEx& extended);
