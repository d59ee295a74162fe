#pragma once
// The performance page: the two history graphs in their picture boxes and the sampler thread
// that draws them.

#include <cstdint>
#include <vector>

#include "app/layout.h"
#include "platform/drawing.h"
#include "platform/gui.h"

class TUseage;
class TSetThread;

// The sampler and its two images: written by TPerformancePage alone, empty until the window
// is first shown.
extern TUseage* CpuGraph;
extern TUseage* MemGraph;
extern TSetThread* SetThread;

// `from` scaled to width x height without smoothing: each pixel takes the colour of the
// source pixel it lies in, so no colour appears that `from` does not hold. The result lives
// in `pixels`; a raster already of that size is returned as it is.
plat::RasterView ScaleNearest(const plat::RasterView& from, int width, int height,
                              std::vector<std::uint8_t>& pixels);

// One graph's picture box and the panel around it: the image's size (the box's in the control
// table, at every DPI) and the box's size in device pixels now.
struct TGraphBox {
  plat::PictureBoxHandle picture;
  plat::Control panel;
  TSize image;
  TSize box;
};

class TPerformancePage {
 public:
  // The boxes as laid out now; once started, the frames are shown at their new size.
  void Place(const TGraphBox& cpu, const TGraphBox& mem);
  // Creates the graphs at their images' size and starts the sampler, their first frames shown.
  void Start();
  // Shows the current frames, repaints the panels and writes CPU and memory use into the
  // status bar's parts 1 and 2, each text also the value of its graph's picture for screen
  // readers (given again only when it changed); nothing before Start or once Stop has
  // released the sampler.
  void Update(plat::StatusBarHandle status);
  // Asks the sampler to stop and waits up to `waitMs` for it (with 0, only asks); once it has
  // ended, the thread object is released and the three globals are emptied (the thread
  // released its images itself). False when the thread is still running.
  static bool Stop(std::uint32_t waitMs);

 private:
  // Shows the graphs' current frames in their picture boxes, scaled to the boxes' size.
  void Show();

  struct Graph {
    TGraphBox place;
    std::vector<std::uint8_t> pixels;  // the frame at the box's size, when that differs
    std::wstring value;                // the picture's value text
  };
  // Writes `text` into the status bar's `part` and, when it changed, into the graph's picture.
  static void SetReading(Graph& graph, plat::StatusBarHandle status, int part,
                         const std::wstring& text);
  Graph cpu_;
  Graph mem_;
};
