#pragma once
// MemInfo: the memory totals as the system reports them.

#include "platform/sysinfo.h"

// The one MEMORYSTATUS record of the program. dwLength is set by the window's start-up before
// the sampler thread runs; the sampler thread refreshes the rest once a second. Other threads
// read it through the sampler thread's lock (TSetThread::ReadSample).
extern plat::MemoryStatus MemStatus;

// Has the system fill every field of `status` (GlobalMemoryStatus).
void ReadMemoryStatus(plat::MemoryStatus& status);
