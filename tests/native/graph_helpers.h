#pragma once
// Helpers for the tests of the graph images and the sampler thread.

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "graphs/TSetThread.h"
#include "graphs/TUseage.h"
#include "platform/fake/control/os.h"
#include "platform/sysinfo.h"
#include "platform/threads.h"
#include "sampling/MemInfo.h"
#include "sampling/unitUseage.h"
#include "tests/support/probe.h"

// The counters, the call log and the samples as at start-up.
inline void ResetSampling() {
  fake::ResetCounters();
  fake::ClearCallLog();
  CpuUsage.store(0);
  MemStatus = plat::MemoryStatus{};
  MemStatusEx = plat::MemoryStatusEx{};
}

// The image's bytes, row after row with their padding.
inline std::vector<std::uint8_t> Bytes(const TUseage& image) {
  const plat::RasterView view = image.View();
  return std::vector<std::uint8_t>(view.bits, view.bits + view.stride * view.height);
}

// True once the thread has made `passes` passes; false after ten seconds without.
inline bool WaitForPasses(const TSetThread& thread, int passes) {
  const std::uint64_t deadline = probe::MonotonicMilliseconds() + 10000;
  while (probe::PassCount(thread) < passes) {
    if (probe::MonotonicMilliseconds() > deadline) return false;
    probe::Sleep(1);
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

using PixelSet = std::set<std::pair<int, int>>;  // (x, y)
using ColourMap = std::map<std::uint32_t, PixelSet>;

// The pixel's colour as the images name it, 0xBBGGRR: blue in the high byte.
inline std::uint32_t Pixel(const plat::RasterView& view, int x, int y) {
  const std::uint8_t* bgr = view.bits + y * view.stride + x * 3;
  return bgr[0] << 16 | bgr[1] << 8 | bgr[2];
}

// Every pixel of the raster that is not black, by colour.
inline ColourMap Colours(const plat::RasterView& view) {
  ColourMap found;
  for (int y = 0; y < view.height; ++y) {
    for (int x = 0; x < view.width; ++x) {
      const std::uint32_t colour = Pixel(view, x, y);
      if (colour != 0) found[colour].insert({x, y});
    }
  }
  return found;
}

// What a grid with these lines covers: each row from column 0 to width - 2, each column from
// row 0 to height - 2 (the last column and row stay free).
inline PixelSet GridPixels(const std::vector<int>& rows, const std::vector<int>& columns, int width,
                           int height) {
  PixelSet pixels;
  for (int y : rows) {
    for (int x = 0; x < width - 1; ++x) pixels.insert({x, y});
  }
  for (int x : columns) {
    for (int y = 0; y < height - 1; ++y) pixels.insert({x, y});
  }
  return pixels;
}

// The grid lines of a 256 x 86 image: its rows, and its columns drawn with scroll offset s,
// every 12th from 12 - s (0 without a shift) to 252 - s.
inline const std::vector<int> kRows = {0, 12, 24, 36, 48, 60, 72, 84};
inline std::vector<int> GridColumns(int s) {
  std::vector<int> columns;
  for (int x = s == 0 ? 0 : 12 - s; x <= 252 - s; x += 12) columns.push_back(x);
  return columns;
}
// Just the grid of a 256 x 86 image, in its colour.
inline ColourMap GridOnly(const std::vector<int>& columns) {
  return {{0x008000, GridPixels(kRows, columns, 256, 86)}};
}
