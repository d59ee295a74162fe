#include "sampling/MemInfo.h"

plat::MemoryStatus MemStatus;

void ReadMemoryStatus(plat::MemoryStatus& status) { plat::GlobalMemoryStatus(status); }
