#include "sampling/MemInfo.h"

plat::MemoryStatus MemStatus;
plat::MemoryStatusEx MemStatusEx;

void ReadMemoryStatus(plat::MemoryStatus& status, plat::MemoryStatusEx& extended) {
  plat::GlobalMemoryStatus(status);
  if (!plat::GlobalMemoryStatusEx(extended)) extended = plat::MemoryStatusEx{};
}

MemoryInUse UsedMemory(const plat::MemoryStatus& status, const plat::MemoryStatusEx& extended) {
  const bool recordHolds =
      extended.dwLength == 0 || (extended.ullTotalPhys == status.dwTotalPhys &&
                                 extended.ullTotalPageFile == status.dwTotalPageFile);
  if (recordHolds) {
    const auto used =
        static_cast<decltype(status.dwTotalPhys)>(status.dwTotalPhys - status.dwAvailPhys);
    return MemoryInUse{used, status.dwTotalPageFile};
  }
  const std::uint64_t avail = extended.ullAvailPhys;
  std::uint64_t total = extended.ullTotalPhys;
  // For Wine only: Windows reports these totals whole in the 64-bit record, but Wine hands a
  // 32-bit process the physical total cut to its low 32 bits (in the basic system information
  // as well) while the available amount and the commit limit stay whole, so on a machine
  // above 4 GiB the memory in use would read 0 (the 32-bit counters contract under Wine
  // fails without this). The total is then the smallest one with those low bits that is not
  // below the available amount, within the commit limit; this holds while less than 4 GiB
  // is in use.
  constexpr std::uint64_t kLow32 = 0xFFFFFFFF;
  if (total < avail && total <= kLow32) {
    const std::uint64_t whole = total + (((avail - total + kLow32) >> 32) << 32);
    if (whole <= extended.ullTotalPageFile) total = whole;
  }
  return MemoryInUse{avail < total ? total - avail : 0, extended.ullTotalPageFile};
}
