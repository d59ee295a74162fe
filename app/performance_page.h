#pragma once
// The performance page's graph images and the sampler thread that draws them. The page's
// TMainForm members (StartGraphs, UpdateGraphs, StopGraphs) are in app/performance_page.cpp.

#include <cstdint>
#include <vector>

#include "platform/drawing.h"

class TUseage;
class TSetThread;

// Empty until the window is first shown.
extern TUseage* CpuGraph;
extern TUseage* MemGraph;
extern TSetThread* SetThread;

// Asks the sampler thread to stop and waits up to `timeoutMs` for it; once it has ended,
// the thread object is released and the three globals are emptied (the thread released its
// images itself). False when the thread is still running.
bool EndSampler(std::uint32_t timeoutMs);

// `from` scaled to width x height without smoothing: each pixel takes the colour of the
// source pixel it lies in, so no colour appears that `from` does not hold. The result lives
// in `pixels`; a raster already of that size is returned as it is.
plat::RasterView ScaleNearest(const plat::RasterView& from, int width, int height,
                              std::vector<std::uint8_t>& pixels);
