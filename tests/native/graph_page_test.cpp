#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/CpuUseage.h"
#include "app/commands.h"
#include "app/performance_page.h"
#include "graphs/TSetThread.h"
#include "graphs/TUseage.h"
#include "platform/fake/control/os.h"
#include "platform/os_layouts.h"
#include "platform/threads.h"
#include "tests/native/app_fixture.h"
#include "tests/native/graph_helpers.h"

namespace {

class GraphPageTest : public AppTest {
 protected:
  // The first show, and the sampler's first pass.
  void ShowForm() {
    form->Show();
    ASSERT_TRUE(WaitForPasses(*SetThread, 1));
  }
  // Ticks through the window's timer, again whenever a pass fell between the tick and the
  // look at the thread's frames; returns the frames of the last tick and counts the ticks.
  struct Frames {
    std::vector<std::uint8_t> cpu, mem;
    int ticks = 0;
  };
  Frames TickWithNewestFrames() {
    Frames frames;
    int passes = 0;
    do {
      passes = probe::PassCount(*SetThread);
      fake::ClearCallLog();
      EXPECT_TRUE(fake::FireTimer(form->Handle));
      ++frames.ticks;
      EXPECT_TRUE(SetThread->WithFrames([&](const TUseage& cpu, const TUseage& mem) {
        frames.cpu = Bytes(cpu);
        frames.mem = Bytes(mem);
      }));
    } while (probe::PassCount(*SetThread) != passes);
    return frames;
  }
};

}  // namespace

TEST_F(GraphPageTest, ShowCreatesGriddedGraphsAndStartsTheSampler) {
  form->Show();
  ASSERT_NE(CpuGraph, nullptr);
  ASSERT_NE(MemGraph, nullptr);
  ASSERT_NE(SetThread, nullptr);
  for (const TUseage* graph : {CpuGraph, MemGraph})
    EXPECT_EQ(std::pair(graph->Width(), graph->Height()), std::pair(256, 86));
  EXPECT_EQ(SetThread->CpuGraph, CpuGraph);
  EXPECT_EQ(SetThread->MemGraph, MemGraph);
  EXPECT_EQ(SetThread->ReadSample().memStatus.dwLength, kNativeLayout.memoryStatusSize);

  // The pictures got the images with their first grid, before the thread drew anything.
  for (plat::PictureBoxHandle picture : {form->CpuImg, form->memImg}) {
    EXPECT_EQ(fake::Inspect(picture).pictureSets, 1);
    const fake::Picture shown = fake::Inspect(picture).picture;
    EXPECT_EQ(shown.width, 256);
    EXPECT_EQ(shown.height, 86);
    EXPECT_EQ(Colours({shown.bits.data(), shown.width, shown.height, shown.stride}),
              GridOnly(GridColumns(0)));
  }
  EXPECT_TRUE(WaitForPasses(*SetThread, 1));
}

TEST_F(GraphPageTest, TickCopiesTheLatestFramesRepaintsAndWritesPanels) {
  fake::Os()->memory = Memory(4096 + 1536, 4096, 2560);  // 1.5 K and 2.5 K: both round to 2
  ShowForm();
  const Frames frames = TickWithNewestFrames();
  EXPECT_EQ(fake::Inspect(form->CpuImg).picture.bits, frames.cpu);
  EXPECT_EQ(fake::Inspect(form->memImg).picture.bits, frames.mem);
  EXPECT_EQ(fake::Inspect(form->CpuImg).pictureSets, 1 + frames.ticks);
  EXPECT_EQ(fake::Inspect(form->memImg).pictureSets, 1 + frames.ticks);

  // The fake's clock stands still between samples: the load reads 100.
  EXPECT_EQ(plat::StatusGetText(form->StatusBar, 1), L"CPU 使用：100%");
  EXPECT_EQ(plat::StatusGetText(form->StatusBar, 2), L"内存使用：2/2");

  const auto& log = fake::CallLog();
  const auto at = [&](const std::string& entry) {
    return std::find(log.begin(), log.end(), entry) - log.begin();
  };
  const auto repaintMem = at("RepaintNow memPanel");
  const auto repaintCpu = at("RepaintNow CpuPanel");
  ASSERT_LT(repaintMem, static_cast<long>(log.size()));
  ASSERT_LT(repaintCpu, static_cast<long>(log.size()));
  EXPECT_LT(repaintMem, repaintCpu);
  EXPECT_LT(repaintCpu, at("StatusSetText StatusBar 1"));
  EXPECT_LT(at("StatusSetText StatusBar 1"), at("StatusSetText StatusBar 2"));
  EXPECT_LT(at("StatusSetText StatusBar 2"), at("StatusSetText StatusBar 0"));
}

TEST_F(GraphPageTest, PanelsShowKilobytesOfUsedMemoryAndOfTheCommitLimit) {
  // Used 312 MiB - 512 bytes, 319487.5 K; the limit 1048577.5 K: both to even.
  fake::Os()->memory = Memory(512u << 20, (200u << 20) + 512, (1024u << 20) + 1536);
  ShowForm();
  form->OnTimer();
  EXPECT_EQ(plat::StatusGetText(form->StatusBar, 2), L"内存使用：319488/1048578");
}

TEST_F(GraphPageTest, CloseStopsTheSamplerAndLaterTicksKeepTheLastFrame) {
  ShowForm();
  form->OnTimer();
  const int copies = fake::Inspect(form->CpuImg).pictureSets;
  const std::vector<std::uint8_t> lastFrame = fake::Inspect(form->CpuImg).picture.bits;
  form->FormClose();
  ASSERT_TRUE(SetThread->WaitFor(5000));  // the close stopped the sampler
  EXPECT_EQ(SetThread->CpuGraph, nullptr);
  form->PerformancePage.Update(form->StatusBar);
  EXPECT_EQ(fake::Inspect(form->CpuImg).pictureSets, copies);
  EXPECT_EQ(fake::Inspect(form->CpuImg).picture.bits, lastFrame);
  EXPECT_EQ(plat::StatusGetText(form->StatusBar, 1), L"CPU 使用：100%");
}

TEST_F(GraphPageTest, SamplerDrawsOnWhilePausedAndTheFirstTickAfterShowsTheNewestFrame) {
  ShowForm();
  ASSERT_TRUE(fake::FireTimer(form->Handle));
  form->OnCommand(kCmdN8);  // pause
  const int copies = fake::Inspect(form->CpuImg).pictureSets;
  const std::vector<std::uint8_t> pausedFrame = fake::Inspect(form->CpuImg).picture.bits;
  ASSERT_TRUE(WaitForPasses(*SetThread, probe::PassCount(*SetThread) + 1));
  EXPECT_FALSE(fake::FireTimer(form->Handle));
  EXPECT_EQ(fake::Inspect(form->CpuImg).pictureSets, copies);

  form->OnCommand(kCmdN8);  // resume
  const std::vector<std::uint8_t> newest = TickWithNewestFrames().cpu;
  EXPECT_EQ(fake::Inspect(form->CpuImg).picture.bits, newest);
  EXPECT_NE(newest, pausedFrame);  // the grid moved on meanwhile
}

// Each graph's value for screen readers is its panel's text, given again (and so announced)
// only when it changed; while paused nothing is given.
TEST_F(GraphPageTest, GraphValuesFollowThePanelsAndOnlyAChangeIsGivenAgain) {
  ShowForm();
  const auto valuesGiven = [this](bool tick) {
    fake::ClearCallLog();
    EXPECT_EQ(fake::FireTimer(form->Handle), tick);
    return fake::CallLog("PictureSetValue");
  };
  using Given = std::vector<std::string>;
  EXPECT_EQ(valuesGiven(true), (Given{"PictureSetValue CpuImg", "PictureSetValue memImg"}));
  EXPECT_EQ(fake::Inspect(form->CpuImg).value, L"CPU 使用：100%");
  EXPECT_EQ(valuesGiven(true), Given{});

  fake::Os()->memory = Memory(8192, 4096, 8192);
  ASSERT_TRUE(WaitForPasses(*SetThread, probe::PassCount(*SetThread) + 2));
  form->OnCommand(kCmdN8);  // pause
  EXPECT_EQ(valuesGiven(false), Given{});
  form->OnCommand(kCmdN8);
  EXPECT_EQ(valuesGiven(true), Given{"PictureSetValue memImg"});
  EXPECT_EQ(fake::Inspect(form->memImg).value, L"内存使用：4/8");
}

// What a 32-bit process reads around and above 4 GiB: the record as the system leaves it
// (-1 for a figure that overflows it) and the 64-bit truth beside it.
namespace {

struct MemoryCase {
  const char* name;
  std::size_t totalPhys, availPhys, pageFile;  // the record
  std::uint64_t exTotalPhys, exAvailPhys, exPageFile;
  bool exFails;
  const wchar_t* text;
  std::int32_t height;
};

constexpr std::uint64_t kKiB = 1024, kMiB = kKiB << 10, kGiB = kMiB << 10;
constexpr std::size_t kOver = 0xFFFFFFFF;
const MemoryCase kMemoryCases[] = {
    {"Sixteen", kOver, kOver, kOver, 16 * kGiB, 8 * kGiB, 20 * kGiB, false,
     L"内存使用：8388608/20971520", 34},
    {"JustUnderFour", 4 * kGiB - 4 * kKiB, kGiB, 4 * kGiB - 4 * kKiB, 4 * kGiB - 4 * kKiB, kGiB,
     4 * kGiB - 4 * kKiB, false, L"内存使用：3145724/4194300", 64},
    {"JustOverFour", kOver, kGiB, kOver, 4 * kGiB + 4 * kKiB, kGiB, 4 * kGiB + 4 * kKiB, false,
     L"内存使用：3145732/4194308", 65},
    // The record fits: it counts even when the later 64-bit read differs.
    {"RecordFits", 1000 * kMiB, 500 * kMiB, 2000 * kMiB, 1000 * kMiB, 400 * kMiB, 2000 * kMiB,
     false, L"内存使用：512000/2048000", 22},
    // Wine, 32-bit: the physical total cut to 32 bits.
    {"WinePhysicalCut", 3801317376, kOver, 4294443007, 3801317376, 24113250304, 25276162048, false,
     L"内存使用：1135648/24683752", 4},
    {"NoExtendedFigures", kOver, kOver, kOver, 0, 0, 0, true, L"内存使用：0/4194304", 0},
};

class GraphPageMemory : public GraphPageTest, public ::testing::WithParamInterface<MemoryCase> {};

}  // namespace

TEST_P(GraphPageMemory, PanelAndGraphHeightStayTrueAboveFourGibibytes) {
  const MemoryCase& c = GetParam();
  const plat::MemoryStatus record = Memory(c.totalPhys, c.availPhys, c.pageFile);
  const plat::MemoryStatusEx truth{.dwLength = 64,
                                   .ullTotalPhys = c.exTotalPhys,
                                   .ullAvailPhys = c.exAvailPhys,
                                   .ullTotalPageFile = c.exPageFile};
  fake::Os()->memory = record;
  fake::Os()->memoryEx = truth;
  fake::Os()->memoryExFails = c.exFails;
  ShowForm();
  form->OnTimer();
  EXPECT_EQ(plat::StatusGetText(form->StatusBar, 2), c.text);
  EXPECT_EQ(MemorySampleHeight(record, c.exFails ? plat::MemoryStatusEx{} : truth, 86), c.height);
}

INSTANTIATE_TEST_SUITE_P(Figures, GraphPageMemory, ::testing::ValuesIn(kMemoryCases),
                         [](const auto& info) { return std::string(info.param.name); });
