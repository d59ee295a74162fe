#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "graphs/TUseage.h"
#include "tests/native/graph_helpers.h"

namespace {

// The walk, evaluated independently in 128-bit arithmetic for each visible major coordinate:
// step k of n has major offset k and minor offset round(k * |dminor| / n), halves away from
// the start; the end point is not painted.
PixelSet ReferenceSegment(int width, int height, long long x1, long long y1, long long x2,
                          long long y2) {
  PixelSet expected;
  const __int128 dx = x2 - x1, dy = y2 - y1;
  const __int128 adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  const bool xMajor = adx >= ady;
  const __int128 n = xMajor ? adx : ady, minor = xMajor ? ady : adx;
  const int su = (xMajor ? dx : dy) < 0 ? -1 : 1, sv = (xMajor ? dy : dx) < 0 ? -1 : 1;
  const long long u0 = xMajor ? x1 : y1, v0 = xMajor ? y1 : x1;
  const int uSize = xMajor ? width : height, vSize = xMajor ? height : width;
  for (int u = 0; u < uSize; ++u) {
    const __int128 k = su > 0 ? u - u0 : u0 - u;
    if (k < 0 || k >= n) continue;
    const __int128 v = v0 + sv * ((2 * k * minor + n) / (2 * n));
    if (v < 0 || v >= vSize) continue;
    expected.insert(xMajor ? std::pair<int, int>{u, static_cast<int>(v)}
                           : std::pair<int, int>{static_cast<int>(v), u});
  }
  return expected;
}

PixelSet Drawn(int width, int height, int x1, int y1, int x2, int y2) {
  TUseage image(height, width);
  image.SetPenColor(0xFFFFFF);
  image.DrawSegment(x1, y1, x2, y2);
  return Colours(image.View())[0xFFFFFF];
}

}  // namespace

TEST(GraphImage, NewImageIsBlackWithoutGridAndDibRows) {
  TUseage image(86, 256);
  EXPECT_EQ(image.Width(), 256);
  EXPECT_EQ(image.Height(), 86);
  EXPECT_EQ(image.ScrollCount, 0);
  EXPECT_TRUE(Colours(image.View()).empty());  // all black
  const plat::RasterView view = image.View();
  EXPECT_EQ(view.width, 256);
  EXPECT_EQ(view.height, 86);
  EXPECT_EQ(view.stride, 768);
  EXPECT_EQ(view.bits, image.ScanLine(0));
  EXPECT_EQ(image.ScanLine(1) - image.ScanLine(0), 768);

  TUseage odd(3, 5);
  EXPECT_EQ(odd.View().stride, 16);  // 15 bytes of pixels padded to a multiple of 4
}

TEST(GraphImage, ColoursAreStoredBlueGreenRed) {
  TUseage image(2, 2);
  image.SetPenColor(0x58FF35);
  image.DrawSegment(0, 0, 1, 0);
  const std::uint8_t* row = image.ScanLine(0);
  EXPECT_EQ(row[0], 0x58);  // blue
  EXPECT_EQ(row[1], 0xFF);  // green
  EXPECT_EQ(row[2], 0x35);  // red
  EXPECT_EQ(Pixel(image.View(), 0, 0), 0x58FF35u);
  EXPECT_EQ(Pixel(image.View(), 1, 0), 0u);
}

TEST(GraphImage, ClearImageKeepsPenAndScrollCount) {
  TUseage image(86, 256);
  image.DrawGrid();
  image.SetPenColor(0x123456);
  image.DrawSegment(0, 5, 200, 60);
  image.ClearImage();
  EXPECT_TRUE(Colours(image.View()).empty());  // all black
  EXPECT_EQ(image.ScrollCount, 1);
  image.DrawSegment(0, 1, 1, 1);  // the pen kept
  EXPECT_EQ(Pixel(image.View(), 0, 1), 0x123456u);
}

TEST(GraphGrid, FirstAndSecondDrawingShiftByOne) {
  TUseage image(86, 256);
  image.SetPenColor(0xFFFFFF);
  image.DrawGrid();
  EXPECT_EQ(image.ScrollCount, 1);
  EXPECT_EQ(Colours(image.View()), GridOnly(GridColumns(0)));
  EXPECT_EQ(Pixel(image.View(), 0, 5), 0x008000u);

  image.ClearImage();
  image.DrawGrid();
  EXPECT_EQ(image.ScrollCount, 2);
  EXPECT_EQ(Colours(image.View()), GridOnly(GridColumns(1)));
  EXPECT_EQ(Pixel(image.View(), 0, 5), 0u);  // the column -1 line is clipped away
  EXPECT_EQ(Pixel(image.View(), 11, 5), 0x008000u);
  image.DrawSegment(1, 1, 2, 1);  // the pen left at the grid colour, not the one set before
  EXPECT_EQ(Pixel(image.View(), 1, 1), TUseage::kGridColor);
}

TEST(GraphGrid, EveryShiftMatchesAndSparesLastColumnAndRow) {
  TUseage image(86, 256);
  for (int s = 0; s < 12; ++s) {
    image.ClearImage();
    image.DrawGrid();
    const PixelSet grid = Colours(image.View())[0x008000];
    EXPECT_EQ(Colours(image.View()), GridOnly(GridColumns(s))) << "s = " << s;
    EXPECT_EQ(Pixel(image.View(), 252 - s, 40), 0x008000u) << "rightmost line, s = " << s;
    if (264 - s < 256) {
      EXPECT_EQ(Pixel(image.View(), 264 - s, 40), 0u) << "no line past the loop bound, s = " << s;
    }
    for (const auto& [x, y] : grid) {
      EXPECT_NE(x, 255);
      EXPECT_NE(y, 85);
    }
  }
}

TEST(GraphGrid, ScrollCountWrapsAfterDrawingWithShiftEleven) {
  TUseage image(86, 256);
  image.ScrollCount = 1199999;
  image.DrawGrid();
  EXPECT_EQ(image.ScrollCount, 0);
  EXPECT_EQ(Colours(image.View()), GridOnly(GridColumns(11)));
  image.ClearImage();
  image.DrawGrid();
  EXPECT_EQ(image.ScrollCount, 1);
  EXPECT_EQ(Colours(image.View()), GridOnly(GridColumns(0)));
}

TEST(GraphGrid, EmptyImagesOnlyCount) {
  TUseage flat(0, 256);
  flat.ClearImage();
  flat.DrawGrid();
  EXPECT_EQ(flat.ScrollCount, 1);
  EXPECT_EQ(flat.View().height, 0);

  TUseage narrow(86, 0);
  narrow.DrawGrid();
  narrow.DrawSegment(-5, -5, 5, 5);
  EXPECT_EQ(narrow.ScrollCount, 1);

  TUseage negative(-3, -7);
  EXPECT_EQ(negative.Width(), 0);
  EXPECT_EQ(negative.Height(), 0);
  negative.DrawGrid();
}

TEST(GraphGrid, OnePixelWideImageGetsColumnZeroOnlyWithoutShift) {
  TUseage image(30, 1);
  image.DrawGrid();  // s = 0: the vertical line runs down column 0 to row 28
  EXPECT_EQ(Colours(image.View()), (ColourMap{{0x008000, GridPixels({}, {0}, 1, 30)}}));
  image.ClearImage();
  image.DrawGrid();  // s = 1: nothing vertical; horizontal lines end before column 0
  EXPECT_TRUE(Colours(image.View()).empty());  // all black
}

TEST(GraphSegment, PaintsStartButNotEnd) {
  EXPECT_EQ(Drawn(10, 10, 2, 3, 2, 3), PixelSet{});
  EXPECT_EQ(Drawn(10, 10, 2, 3, 3, 3), (PixelSet{{2, 3}}));
  EXPECT_EQ(Drawn(10, 10, 2, 3, 5, 3), (PixelSet{{2, 3}, {3, 3}, {4, 3}}));
  EXPECT_EQ(Drawn(10, 10, 5, 3, 2, 3), (PixelSet{{5, 3}, {4, 3}, {3, 3}}));
  EXPECT_EQ(Drawn(10, 10, 1, 1, 4, 4), (PixelSet{{1, 1}, {2, 2}, {3, 3}}));
  EXPECT_EQ(Drawn(10, 10, 4, 7, 4, 4), (PixelSet{{4, 7}, {4, 6}, {4, 5}}));
  // A rise of one over two steps: the half step rounds away from the start.
  EXPECT_EQ(Drawn(10, 10, 0, 0, 2, 1), (PixelSet{{0, 0}, {1, 1}}));
  EXPECT_EQ(Drawn(10, 10, 2, 1, 0, 0), (PixelSet{{2, 1}, {1, 0}}));
}

TEST(GraphSegment, RandomLinesMatchTheFullWalk) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> coord(-400, 700);
  for (int i = 0; i < 1000; ++i) {
    const int x1 = coord(random), y1 = coord(random), x2 = coord(random), y2 = coord(random);
    ASSERT_EQ(Drawn(256, 86, x1, y1, x2, y2), ReferenceSegment(256, 86, x1, y1, x2, y2))
        << x1 << "," << y1 << " -> " << x2 << "," << y2;
    ASSERT_EQ(Drawn(7, 5, x1 / 40, y1 / 40, x2 / 40, y2 / 40),
              ReferenceSegment(7, 5, x1 / 40, y1 / 40, x2 / 40, y2 / 40));
  }
}

// Lines clipped at every edge keep the full walk's pixels; lines billions of pixels long have
// exactly one pixel at each visible major coordinate.
TEST(GraphSegment, ClippedAndExtremeLinesDrawOnlyTheVisiblePartOfTheFullWalk) {
  const struct {
    long long x1, y1, x2, y2;
  } cases[] = {
      // clang-format off
      {-40, 10, 300, 70}, {300, 70, -40, 10}, {100, -50, 130, 140}, {130, 140, 100, -50},
      {-10, -10, 300, 100}, {255, 87, 254, 40}, {254, 87, 255, 44}, {-1, 0, -1, 85},
      {0, 86, 255, 86}, {-500, 43, 700, 44}, {128, -900, 129, 900}, {260, -3, -7, 90},
      {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {INT_MAX, INT_MAX, INT_MIN, INT_MIN},
      {INT_MIN, 40, INT_MAX, 41}, {INT_MAX, 40, INT_MIN, 41}, {INT_MIN, INT_MAX, INT_MAX, INT_MIN},
      {100, INT_MIN, 101, INT_MAX}, {-2000000000, 43, 5, 44}, {INT_MIN, 0, 255, 85},
      {0, 0, INT_MAX, 1}, {255, 85, INT_MIN, INT_MIN + 7},
      // clang-format on
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Drawn(256, 86, static_cast<int>(c.x1), static_cast<int>(c.y1), static_cast<int>(c.x2),
                    static_cast<int>(c.y2)),
              ReferenceSegment(256, 86, c.x1, c.y1, c.x2, c.y2))
        << c.x1 << "," << c.y1 << " -> " << c.x2 << "," << c.y2;
  }
  EXPECT_FALSE(Drawn(256, 86, INT_MIN, INT_MIN, INT_MAX, INT_MAX).empty());
}
