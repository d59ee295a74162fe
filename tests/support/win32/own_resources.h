#pragma once
// What the running test program holds of the system: for soak runs that check it does not
// grow.

#include <cstdint>

namespace wintest {

struct OwnResources {
  // GetGuiResources(GR_GDIOBJECTS / GR_USEROBJECTS) of the own process. Wine's
  // GetGuiResources is a stub: both read 0 there.
  std::uint32_t gdiObjects = 0;
  std::uint32_t userObjects = 0;
  // PROCESS_MEMORY_COUNTERS_EX.PrivateUsage, else PagefileUsage (the same figure); 0 when
  // the system reports neither.
  std::uint64_t privateBytes = 0;
  std::uint32_t kernelHandles = 0;  // GetProcessHandleCount; 0 when unknown (Wine 8)
};

OwnResources QueryOwnResources();

}  // namespace wintest
