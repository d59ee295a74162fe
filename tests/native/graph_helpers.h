#pragma once
// Helpers for the tests of the graph images and the sampler thread.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphs/TSetThread.h"
#include "graphs/TUseage.h"
#include "platform/sysinfo.h"
#include "platform/threads.h"

// The image's bytes, row after row with their padding.
inline std::vector<std::uint8_t> Bytes(const TUseage& image) {
  const plat::RasterView view = image.View();
  return std::vector<std::uint8_t>(view.bits, view.bits + view.stride * view.height);
}

// True once the thread has made `passes` passes; false after ten seconds without.
inline bool WaitForPasses(const TSetThread& thread, int passes) {
  const std::uint64_t deadline = plat::MonotonicMilliseconds() + 10000;
  while (thread.PassCount() < passes) {
    if (plat::MonotonicMilliseconds() > deadline) return false;
    plat::Sleep(1);
  }
  return true;
}

// A memory status record with the three figures that used memory and its limit come from.
inline plat::MemoryStatus Memory(std::size_t totalPhys, std::size_t availPhys,
                                 std::size_t pageFile) {
  plat::MemoryStatus status;
  status.dwTotalPhys = totalPhys;
  status.dwAvailPhys = availPhys;
  status.dwTotalPageFile = pageFile;
  return status;
}
