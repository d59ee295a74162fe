#include "graphs/TUseage.h"

#include <algorithm>
#include <cstring>

TUseage::TUseage(int height, int width)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      stride_((std::max(width, 0) * 3 + 3) & ~3),
      bits_(static_cast<std::size_t>(stride_) * static_cast<std::size_t>(height_)) {
  ClearImage();
}

void TUseage::ClearImage() {
  if (bits_.empty()) return;  // a 0-wide image has rows but no bytes; memset needs a buffer
  for (int y = 0; y < height_; ++y)
    std::memset(ScanLine(y), 0, static_cast<std::size_t>(width_) * 3);
}

void TUseage::DrawGrid() {
  SetPenColor(kGridColor);
  for (int y = 0; y < height_; y += 12) DrawSegment(0, y, width_ - 1, y);
  const int shift = ScrollCount % 12;
  for (int x0 = 0; x0 < width_; x0 += 12) DrawSegment(x0 - shift, 0, x0 - shift, height_ - 1);
  ++ScrollCount;
  if (ScrollCount >= kScrollWrap) ScrollCount = 0;
}

void TUseage::PutPixel(std::int64_t x, std::int64_t y) {
  std::uint8_t* p = ScanLine(static_cast<int>(y)) + static_cast<std::size_t>(x) * 3;
  p[0] = static_cast<std::uint8_t>(penColor_ >> 16);
  p[1] = static_cast<std::uint8_t>(penColor_ >> 8);
  p[2] = static_cast<std::uint8_t>(penColor_);
}

// Rasterisation rule. A line from (X1, Y1) to (X2, Y2) takes n = max(|dx|, |dy|) steps along
// its major axis (x when |dx| >= |dy|, else y). Step k, for 0 <= k < n, paints the pixel whose
// major coordinate is start + k in the line's direction and whose minor coordinate is
// start + m(k) in the line's direction, with m(k) = k * |dminor| / |dmajor| rounded to the
// nearest integer, exact halves rounded away from the start point. That is the pixel set of a
// Bresenham walk from the start point, end point excluded.
//
// Only the steps whose major coordinate lies inside the image are visited: m is computed
// directly for the first of them (the product fits in 64 unsigned bits because both factors
// are below 2^32) and then carried forward, so the cost is bounded by the image's size along
// the major axis whatever the coordinates.
void TUseage::DrawSegment(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2) {
  if (width_ == 0 || height_ == 0) return;
  const std::int64_t dx = static_cast<std::int64_t>(X2) - X1;
  const std::int64_t dy = static_cast<std::int64_t>(Y2) - Y1;
  const std::uint64_t adx = static_cast<std::uint64_t>(dx < 0 ? -dx : dx);
  const std::uint64_t ady = static_cast<std::uint64_t>(dy < 0 ? -dy : dy);
  const bool xMajor = adx >= ady;
  const std::uint64_t steps = xMajor ? adx : ady;
  if (steps == 0) return;
  const std::uint64_t minorRun = xMajor ? ady : adx;

  const std::int64_t u0 = xMajor ? X1 : Y1;
  const std::int64_t v0 = xMajor ? Y1 : X1;
  const std::int64_t du = xMajor ? dx : dy;
  const std::int64_t dv = xMajor ? dy : dx;
  const std::int64_t uSign = du < 0 ? -1 : 1;
  const std::int64_t vSign = dv < 0 ? -1 : 1;
  const std::int64_t uSize = xMajor ? width_ : height_;
  const std::int64_t vSize = xMajor ? height_ : width_;
  const std::int64_t lastStep = static_cast<std::int64_t>(steps) - 1;

  const std::int64_t kFirst = std::max<std::int64_t>(0, uSign > 0 ? -u0 : u0 - (uSize - 1));
  const std::int64_t kLast = std::min(lastStep, uSign > 0 ? uSize - 1 - u0 : u0);
  if (kFirst > kLast) return;

  const std::uint64_t product = static_cast<std::uint64_t>(kFirst) * minorRun;
  std::uint64_t whole = product / steps;
  std::uint64_t rest = product % steps;
  bool entered = false;
  for (std::int64_t k = kFirst; k <= kLast; ++k) {
    const std::uint64_t m = whole + (2 * rest >= steps ? 1 : 0);
    const std::int64_t u = u0 + uSign * k;
    const std::int64_t v = v0 + vSign * static_cast<std::int64_t>(m);
    if (v >= 0 && v < vSize) {
      entered = true;
      xMajor ? PutPixel(u, v) : PutPixel(v, u);
    } else if (entered) {
      break;  // the minor coordinate only moves one way: the line has left for good
    }
    rest += minorRun;
    if (rest >= steps) {
      rest -= steps;
      ++whole;
    }
  }
}

plat::RasterView TUseage::View() const {
  return plat::RasterView{bits_.data(), width_, height_, stride_};
}
