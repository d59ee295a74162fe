#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "graphs/TSetThread.h"
#include "graphs/TUseage.h"
#include "platform/fake/control/os.h"
#include "platform/threads.h"
#include "sampling/MemInfo.h"
#include "sampling/unitUseage.h"
#include "tests/native/graph_helpers.h"

namespace {

// The window's start-up: two images with one grid each, handed to a suspended thread.
class SamplerThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSampling();
    fake::Os()->memory = Memory(1000, 500, 2000);  // a quarter of 86 rows: 21.5 -> 22
  }
  TSetThread* Start(int height, int width) {
    thread_ = CreateSampler(height, width, height, width);
    thread_->Resume();
    return thread_;
  }
  void TearDown() override {
    if (thread_ == nullptr) return;
    thread_->Terminate();
    ASSERT_TRUE(thread_->WaitFor(5000));
    delete thread_;
  }
  TSetThread* thread_ = nullptr;
};

}  // namespace

TEST(SamplerScales, CpuScaleRoundsHalvesToEven) {
  const struct {
    int height, scale;
  } table[] = {{0, 0},   {49, 0},  {50, 0},  {51, 1},  {86, 1},  {100, 1},
               {149, 1}, {150, 2}, {250, 2}, {251, 3}, {350, 4}, {-150, -2}};
  for (const auto& row : table) EXPECT_EQ(CpuScale(row.height), row.scale) << row.height;
}

TEST(SamplerScales, CpuSampleHeightSaturates) {
  EXPECT_EQ(CpuSampleHeight(42, 1), 42);
  EXPECT_EQ(CpuSampleHeight(-3, 2), -6);
  EXPECT_EQ(CpuSampleHeight(INT32_MAX, 3), INT32_MAX);
  EXPECT_EQ(CpuSampleHeight(INT32_MIN, 2), INT32_MIN);
}

TEST(SamplerScales, MemoryHeightDividesByTheCommitLimit) {
  EXPECT_EQ(MemorySampleHeight(Memory(1000, 500, 2000), {}, 86), 22);   // 21.5 to even
  EXPECT_EQ(MemorySampleHeight(Memory(1000, 625, 2000), {}, 86), 16);   // 16.125
  EXPECT_EQ(MemorySampleHeight(Memory(1000, 0, 8000), {}, 86), 11);     // 10.75
  EXPECT_EQ(MemorySampleHeight(Memory(3000, 1000, 2000), {}, 86), 86);  // used = limit: row 1
  EXPECT_EQ(MemorySampleHeight(Memory(1000, 500, 0), {}, 86), 0);       // guarded
  EXPECT_EQ(MemorySampleHeight(Memory(0, 0, 0), {}, 86), 0);
  // More available than installed: the unsigned difference wraps and the height saturates.
  EXPECT_EQ(MemorySampleHeight(Memory(10, 20, 1), {}, 86), INT32_MAX);
}

TEST(SamplerHistory, DrawsEachStepAndShiftsLeftKeepingTheNewest) {
  TUseage image(10, 4);
  image.SetPenColor(0xFFFFFF);
  std::vector<std::int32_t> history{1, 2, 3, 9};
  DrawHistory(image, history, 11);  // rows 10, 9, 8, 2
  EXPECT_EQ(history, (std::vector<std::int32_t>{2, 3, 9, 9}));
  EXPECT_EQ(Pixel(image.View(), 1, 9), 0xFFFFFFu);  // (1,9) -> (2,8) paints (1,9)
  EXPECT_EQ(Pixel(image.View(), 2, 8), 0xFFFFFFu);  // (2,8) -> (3,2) paints column 2 then 3
  EXPECT_EQ(Pixel(image.View(), 3, 2), 0u);         // the end point stays unpainted

  std::vector<std::int32_t> single{7};
  TUseage narrow(10, 1);
  DrawHistory(narrow, single, 11);
  EXPECT_EQ(single, std::vector<std::int32_t>{7});

  std::vector<std::int32_t> extreme{INT32_MIN, INT32_MAX, 0};
  DrawHistory(image, extreme, 11);  // rows saturate instead of overflowing
  EXPECT_EQ(extreme, (std::vector<std::int32_t>{INT32_MAX, 0, 0}));
}

TEST_F(SamplerThreadTest, FirstPassShowsGridsAndOneMemorySegmentThenStopsDuringSleep) {
  TSetThread* thread = Start(86, 256);
  ASSERT_TRUE(WaitForPasses(*thread, 1));
  ColourMap cpuColours, memColours;
  ASSERT_TRUE(thread->WithFrames([&](const TUseage& cpu, const TUseage& mem) {
    cpuColours = Colours(cpu.View());
    memColours = Colours(mem.View());
    EXPECT_EQ(cpu.ScrollCount, 2);
    EXPECT_EQ(mem.ScrollCount, 2);
  }));
  // The start-up grid cleared and drawn again, shifted by one; every CPU value is 0 (row 87,
  // below the image).
  EXPECT_EQ(cpuColours, GridOnly(GridColumns(1)));
  // The one memory segment, from (254, 87) up 22 rows to (255, 65): column 254 for the first
  // half of the walk, column 255 for the rest, the end point left out.
  PixelSet yellow;
  for (int y = 77; y <= 85; ++y) yellow.insert({254, y});
  for (int y = 66; y <= 76; ++y) yellow.insert({255, y});
  PixelSet green = GridPixels(kRows, GridColumns(1), 256, 86);
  green.erase({254, 84});  // where the segment crosses a grid row
  EXPECT_EQ(memColours, (ColourMap{{0x008000, green}, {0x58FFFF, yellow}}));

  // Start-up sample and first pass: the status reads as the thread left it.
  const TSetThread::Sample sample = thread->ReadSample();
  EXPECT_EQ(sample.cpuUsage, 100);  // no time passed between the two CPU samples
  EXPECT_EQ(sample.memStatus.dwTotalPhys, 1000u);
  EXPECT_EQ(sample.memStatus.dwTotalPageFile, 2000u);
  EXPECT_EQ(fake::CallLog("GlobalMemoryStatus").size(), 2u);

  // The thread now sleeps 1000 ms; a stop ends it well within that, without another pass.
  thread->Terminate();
  EXPECT_TRUE(thread->WaitFor(900));
  EXPECT_EQ(probe::PassCount(*thread), 1);
  EXPECT_EQ(fake::CallLog("GlobalMemoryStatus").size(), 2u);
  EXPECT_FALSE(thread->WithFrames([](const TUseage&, const TUseage&) {}));
  EXPECT_EQ(thread->CpuGraph, nullptr);
  EXPECT_EQ(thread->MemGraph, nullptr);
}

// A steady load p on 86-row images: once the 3-column history holds p everywhere, the line
// lies on row 87 - p (columns 0 and 1; line-to leaves column 2), and off the image above 87.
namespace {

struct SteadyLoad {
  std::int64_t idleStep;  // per 10'000'000 of time on 4 processors: load + 0.5 percent
  std::int32_t load;
  int row;  // -1: no pixel of the line inside the image
};

class SteadyCpuLoad : public SamplerThreadTest, public ::testing::WithParamInterface<SteadyLoad> {};

}  // namespace

TEST_P(SteadyCpuLoad, IsDrawnOnRowEightySevenLessTheLoad) {
  fake::Os()->advance = {10'000'000, GetParam().idleStep};
  thread_ = new TSetThread;
  thread_->CpuGraph = new TUseage(86, 3);
  thread_->MemGraph = new TUseage(86, 3);
  thread_->SleepMs = 0;
  thread_->Resume();
  ASSERT_TRUE(WaitForPasses(*thread_, 4));
  std::vector<std::pair<int, int>> line;  // (column, row) of the line's colour
  ASSERT_TRUE(thread_->WithFrames([&](const TUseage& cpu, const TUseage&) {
    for (int y = 0; y < 86; ++y) {
      for (int x = 0; x < 3; ++x) {
        if (Pixel(cpu.View(), x, y) == TSetThread::kCpuLineColor) line.emplace_back(x, y);
      }
    }
  }));
  EXPECT_EQ(thread_->ReadSample().cpuUsage, GetParam().load);
  using Line = std::vector<std::pair<int, int>>;
  const int row = GetParam().row;
  EXPECT_EQ(line, (row < 0 ? Line{} : Line{{0, row}, {1, row}}));
}

INSTANTIATE_TEST_SUITE_P(
    Loads, SteadyCpuLoad,
    ::testing::Values(SteadyLoad{39'800'000, 0, -1}, SteadyLoad{19'800'000, 50, 37},
                      SteadyLoad{5'400'000, 86, 1}, SteadyLoad{5'000'000, 87, 0},
                      SteadyLoad{4'600'000, 88, -1}, SteadyLoad{1'800'000, 95, -1}),
    [](const auto& info) { return "Load" + std::to_string(info.param.load); });

TEST_F(SamplerThreadTest, StopBeforeResumeTakesOnlyStartupSamplesAndReleases) {
  thread_ = new TSetThread;
  thread_->CpuGraph = new TUseage(86, 256);
  thread_->MemGraph = new TUseage(86, 256);
  thread_->Terminate();
  thread_->Resume();
  ASSERT_TRUE(thread_->WaitFor(5000));
  EXPECT_EQ(probe::PassCount(*thread_), 0);
  EXPECT_EQ(fake::CallLog("GlobalMemoryStatus").size(), 1u);
  EXPECT_EQ(MemStatus.dwTotalPageFile, 2000u);
  EXPECT_EQ(thread_->CpuGraph, nullptr);
}

TEST_F(SamplerThreadTest, OnePixelWideImagesNeverShiftAndKeepTheNewestSample) {
  TSetThread* thread = Start(86, 1);
  ASSERT_TRUE(WaitForPasses(*thread, 1));
  ColourMap memColours;
  ASSERT_TRUE(thread->WithFrames(
      [&](const TUseage&, const TUseage& mem) { memColours = Colours(mem.View()); }));
  EXPECT_EQ(memColours, ColourMap{});  // shifted by one, the grid misses the only column
}

TEST_F(SamplerThreadTest, MissingImageEndsTheThreadQuietly) {
  auto* cpu = new TUseage(86, 256);
  thread_ = new TSetThread;
  thread_->CpuGraph = cpu;
  thread_->Resume();
  ASSERT_TRUE(thread_->WaitFor(5000));
  EXPECT_EQ(probe::PassCount(*thread_), 0);
  EXPECT_EQ(thread_->CpuGraph, cpu);  // an error leaves the images alone
  delete cpu;
}

// Run under ThreadSanitizer (build/graphs-tsan): the GUI side copies frames and reads the
// status while the sampler draws as fast as it can.
TEST(ThreadingSampler, GuiSeesWholeFramesAndWholeSamples) {
  ResetSampling();
  fake::Os()->advance = {10'000'000, 20'000'000};  // 50 % on 4 processors: row 37
  const plat::MemoryStatus a = Memory(1000, 500, 2000);
  const plat::MemoryStatus b = Memory(3000, 1000, 4000);
  fake::Os()->memory = a;

  auto* thread = new TSetThread;
  thread->CpuGraph = new TUseage(86, 256);
  thread->MemGraph = new TUseage(86, 256);
  thread->CpuGraph->DrawGrid();
  thread->MemGraph->DrawGrid();
  MemStatus = a;
  thread->SleepMs = 0;
  thread->Resume();

  int copies = 0;
  int broken = 0;
  std::vector<std::uint8_t> copy;
  const std::uint64_t end = probe::MonotonicMilliseconds() + 300;
  while (probe::MonotonicMilliseconds() < end || probe::PassCount(*thread) < 20) {
    fake::Os()->memory = copies % 2 == 0 ? b : a;
    thread->WithFrames([&](const TUseage& cpu, const TUseage& mem) {
      for (const TUseage* image : {&cpu, &mem}) {
        copy = Bytes(*image);
        // A finished frame has the top grid row from column 0 to 254; a half-drawn one not.
        for (int x = 0; x < 255; ++x) {
          if (std::memcmp(&copy[x * 3], "\x00\x80\x00", 3) != 0) {
            ++broken;
            break;
          }
        }
      }
    });
    const TSetThread::Sample sample = thread->ReadSample();
    const auto figures = [](const plat::MemoryStatus& m) {
      return std::tuple(m.dwTotalPhys, m.dwAvailPhys, m.dwTotalPageFile);
    };
    const auto read = figures(sample.memStatus);
    EXPECT_TRUE(read == figures(a) || read == figures(b))
        << sample.memStatus.dwTotalPhys << " " << sample.memStatus.dwAvailPhys << " "
        << sample.memStatus.dwTotalPageFile;
    EXPECT_TRUE(sample.cpuUsage == 0 || sample.cpuUsage == 50) << sample.cpuUsage;
    ++copies;
  }
  EXPECT_EQ(broken, 0);
  thread->Terminate();
  ASSERT_TRUE(thread->WaitFor(5000));
  EXPECT_FALSE(thread->WithFrames([](const TUseage&, const TUseage&) {}));
  delete thread;
}
