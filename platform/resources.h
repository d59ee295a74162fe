#pragma once
// What the running program holds of the system: for soak runs that check it does not grow.

#include <cstdint>

namespace plat {

struct OwnResources {
  std::uint32_t gdiObjects = 0;    // GetGuiResources(GR_GDIOBJECTS) of the own process
  std::uint32_t userObjects = 0;   // GetGuiResources(GR_USEROBJECTS)
  std::uint64_t privateBytes = 0;  // PROCESS_MEMORY_COUNTERS_EX.PrivateUsage; 0 when unknown
};

OwnResources QueryOwnResources();

}  // namespace plat
