// The performance page of the real main window: what the sampler thread's graphs show a few
// seconds apart, and the CPU and memory texts of the status bar.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "app/CpuUseage.h"
#include "app/performance_page.h"
#include "graphs/TSetThread.h"
#include "graphs/TUseage.h"
#include "platform/gui.h"
#include "platform/sysinfo.h"
#include "platform/threads.h"
#include "tests/support/win32/command_helpers.h"
#include "tests/windows/main_form_fixture_win32.h"

namespace {

constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kDarkGreen = 0x008000;  // red 0, green 128, blue 0

// A copy of one graph image, taken between two passes of the sampler.
struct Frame {
  int width = 0, height = 0;
  std::int32_t scrollCount = 0;
  std::vector<std::uint32_t> pixels;  // 0xBBGGRR, row by row

  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

Frame Copy(const TUseage& image) {
  Frame frame;
  frame.width = image.Width();
  frame.height = image.Height();
  frame.scrollCount = image.ScrollCount;
  for (int y = 0; y < frame.height; ++y) {
    const std::uint8_t* row = image.ScanLine(y);
    for (int x = 0; x < frame.width; ++x) {
      const std::uint8_t* p = row + 3 * x;
      frame.pixels.push_back(std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2]);
    }
  }
  return frame;
}

bool CopyBoth(Frame* cpu, Frame* mem) {
  return SetThread != nullptr && SetThread->WithFrames([&](const TUseage& c, const TUseage& m) {
    *cpu = Copy(c);
    *mem = Copy(m);
  });
}

// Columns drawn as vertical grid lines. A grid column has no black pixel from row 1 down to
// the last gridded row (a history line may paint over some of its green); every other column
// keeps black pixels there, since one line segment crosses at most half the image's height
// within a column.
std::vector<int> GridColumns(const Frame& frame) {
  std::vector<int> columns;
  for (int x = 0; x < frame.width; ++x) {
    bool black = false, green = false;
    for (int y = 1; y < frame.height - 1; ++y) {
      if (y % 12 == 0) continue;
      black = black || frame.At(x, y) == kBlack;
      green = green || frame.At(x, y) == kDarkGreen;
    }
    if (!black && green) columns.push_back(x);
  }
  return columns;
}

// The grid's leftward shift read from the picture: its vertical lines lie at 12k - shift.
// -1 when the columns do not form such a grid.
int ShiftOf(const Frame& frame) {
  const std::vector<int> columns = GridColumns(frame);
  if (columns.empty()) return -1;
  const int shift = (12 - columns.front() % 12) % 12;
  std::vector<int> expected;
  for (int x0 = 0; x0 < frame.width; x0 += 12) {
    if (x0 - shift >= 0) expected.push_back(x0 - shift);
  }
  return columns == expected ? shift : -1;
}

void ExpectGraphPicture(const Frame& frame, const char* name) {
  SCOPED_TRACE(name);
  ASSERT_EQ(frame.width, 256);
  ASSERT_EQ(frame.height, 86);
  int black = 0, green = 0;
  for (std::uint32_t pixel : frame.pixels) {
    if (pixel == kBlack) ++black;
    if (pixel == kDarkGreen) ++green;
  }
  std::printf("%s: %d black, %d grid pixels, scroll count %d\n", name, black, green,
              static_cast<int>(frame.scrollCount));
  std::fflush(stdout);
  EXPECT_GT(black, static_cast<int>(frame.pixels.size()) * 7 / 10);
  EXPECT_GT(green, 2000);
  // Horizontal lines every 12 rows up to one pixel short of the right edge; a flat history
  // line may lie over one of them, so only black is ruled out there.
  for (int y = 0; y < frame.height; y += 12) {
    int blackOnRow = 0;
    for (int x = 0; x < frame.width - 1; ++x) blackOnRow += frame.At(x, y) == kBlack;
    EXPECT_EQ(blackOnRow, 0) << "row " << y;
  }
  // Line-to leaves its end point: no grid in the last column or the last row.
  for (int y = 0; y < frame.height; ++y) EXPECT_NE(frame.At(255, y), kDarkGreen) << "row " << y;
  for (int x = 0; x < frame.width; ++x) EXPECT_NE(frame.At(x, 85), kDarkGreen) << "column " << x;
  // The picture's grid is the one drawn last: ScrollCount has already moved past it.
  EXPECT_EQ(ShiftOf(frame), (frame.scrollCount + 11) % 12);
}

// "<prefix><digits><rest>": the number, or -1.
long long NumberAfter(const std::wstring& text, const std::wstring& prefix, std::wstring* rest) {
  if (text.compare(0, prefix.size(), prefix) != 0) return -1;
  const std::size_t start = prefix.size();  // at most 18 digits: no overflow
  const std::size_t end =
      std::min({text.find_first_not_of(L"0123456789", start), text.size(), start + 18});
  if (end == start) return -1;
  *rest = text.substr(end);
  return std::stoll(text.substr(start, end - start));
}

class GuiPerformance : public MainFormTest {
 protected:
  // Shows the window on its performance page and waits for the sampler's first `passes`.
  void ShowAndWaitForPasses(int passes) {
    form->Show();
    plat::TabSelect(form->PageControl1, 2);
    ASSERT_NE(SetThread, nullptr);
    ASSERT_TRUE(
        cmdtest::WaitUntil([passes] { return probe::PassCount(*SetThread) >= passes; }, 10000));
    form->OnTimer();
  }
};

TEST_F(GuiPerformance, GraphsShowTheirGridScrolledOneStepPerPass) {
  ShowAndWaitForPasses(2);  // the first pass runs at once
  Frame cpu1, mem1, cpu2, mem2;
  ASSERT_TRUE(CopyBoth(&cpu1, &mem1));
  probe::Sleep(2500);
  form->OnTimer();
  ASSERT_TRUE(CopyBoth(&cpu2, &mem2));

  for (const auto& [frame, name] :
       {std::pair{&cpu1, "CPU graph, first copy"}, std::pair{&mem1, "memory graph, first copy"},
        std::pair{&cpu2, "CPU graph, second copy"},
        std::pair{&mem2, "memory graph, second copy"}}) {
    ExpectGraphPicture(*frame, name);
  }

  // One grid step per pass in between: the vertical lines moved left by that many pixels.
  const int passes = cpu2.scrollCount - cpu1.scrollCount;
  EXPECT_GE(passes, 1);
  EXPECT_LE(passes, 4);
  EXPECT_EQ(mem2.scrollCount - mem1.scrollCount, passes);
  for (const auto& [first, second] : {std::pair{&cpu1, &cpu2}, std::pair{&mem1, &mem2}}) {
    const int shift1 = ShiftOf(*first);
    const int shift2 = ShiftOf(*second);
    ASSERT_GE(shift1, 0);
    ASSERT_GE(shift2, 0);
    EXPECT_EQ((shift2 - shift1 + 12) % 12, passes % 12);
  }
}

TEST_F(GuiPerformance, CpuPanelShowsAWholePercentage) {
  ShowAndWaitForPasses(2);
  std::wstring rest;
  const long long percent =
      NumberAfter(plat::StatusGetText(form->StatusBar, 1), L"CPU 使用：", &rest);
  EXPECT_GE(percent, 0);
  EXPECT_LE(percent, 100);
  EXPECT_EQ(rest, L"%");
}

TEST_F(GuiPerformance, MemoryPanelShowsKilobytesInUseAndTheCommitLimit) {
  ShowAndWaitForPasses(1);
  std::wstring rest;
  const long long used = NumberAfter(plat::StatusGetText(form->StatusBar, 2), L"内存使用：", &rest);
  EXPECT_GE(used, 0);
  std::wstring tail;
  const long long limit = NumberAfter(rest, L"/", &tail);
  EXPECT_GT(limit, 0);
  EXPECT_EQ(tail, L"");

  // Against the 64-bit figures, which no record of either build caps. Where they carry a
  // physical total below the available amount (Wine cuts it to 32 bits for a 32-bit
  // process), used physical memory is taken as the commit charge: the same on a machine
  // without a paging file in use, as these are.
  plat::MemoryStatusEx truth;
  ASSERT_TRUE(plat::GlobalMemoryStatusEx(truth));
  const std::uint64_t truthUsed = truth.ullAvailPhys <= truth.ullTotalPhys
                                      ? truth.ullTotalPhys - truth.ullAvailPhys
                                      : truth.ullTotalPageFile - truth.ullAvailPageFile;
  std::printf("panel 2: %lld/%lld K; 64-bit figures: total %llu, available %llu, limit %llu\n",
              used, limit, static_cast<unsigned long long>(truth.ullTotalPhys),
              static_cast<unsigned long long>(truth.ullAvailPhys),
              static_cast<unsigned long long>(truth.ullTotalPageFile));
  std::fflush(stdout);
  EXPECT_EQ(limit, static_cast<long long>((truth.ullTotalPageFile + 512) / 1024));
  const long long expectedUsed = static_cast<long long>(truthUsed / 1024);
  EXPECT_NEAR(static_cast<double>(used), static_cast<double>(expectedUsed), 131072.0)
      << "within 128 MiB of what is in use now";
}

}  // namespace
