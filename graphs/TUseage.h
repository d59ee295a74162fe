#pragma once
// TUseage: the off-screen image of one history graph. A 24-bit raster (blue, green, red per
// pixel, row 0 at the top, rows reachable directly), one pen, and the grid-scroll counter.

#include <cstdint>
#include <vector>

#include "platform/drawing.h"

class TUseage {
 public:
  static constexpr std::uint32_t kBackgroundColor = 0x000000;
  static constexpr std::uint32_t kGridColor = 0x008000;
  static constexpr std::int32_t kScrollWrap = 1200000;

  // A black image of the given size; negative sizes count as 0. The grid is not drawn.
  TUseage(int height, int width);
  TUseage(const TUseage&) = delete;
  TUseage& operator=(const TUseage&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }

  // Row y's bytes (3 per pixel, blue first); y in [0, Height()).
  std::uint8_t* ScanLine(int y) { return bits_.data() + static_cast<std::size_t>(y) * stride_; }
  const std::uint8_t* ScanLine(int y) const {
    return bits_.data() + static_cast<std::size_t>(y) * stride_;
  }
  // Colours are 0xBBGGRR, blue in the high byte.
  void SetPenColor(std::uint32_t color) { penColor_ = color; }

  // Paints every pixel black, row by row; leaves the pen and ScrollCount alone.
  void ClearImage();
  // Draws the 12-pixel grid over the current content with the grid colour, shifted left by
  // ScrollCount mod 12, then advances ScrollCount (wrapping at 1200000). Leaves the pen set
  // to the grid colour.
  void DrawGrid();
  // Move-to (X1, Y1), line-to (X2, Y2) with the pen colour: the start pixel is painted, the
  // end pixel is not, and what lies outside the image is clipped.
  void DrawSegment(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2);

  // The raster for the GUI's copy; valid while the image lives and is not drawn.
  plat::RasterView View() const;

  // How many times the grid was drawn, modulo 1200000.
  std::int32_t ScrollCount = 0;

 private:
  void PutPixel(std::int64_t x, std::int64_t y);

  int width_ = 0;
  int height_ = 0;
  int stride_ = 0;  // bytes per row, a multiple of 4 like a device-independent bitmap
  std::uint32_t penColor_ = 0x000000;
  std::vector<std::uint8_t> bits_;
};
