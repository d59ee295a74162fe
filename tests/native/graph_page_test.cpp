#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/CpuUseage.h"
#include "graphs/TSetThread.h"
#include "graphs/TUseage.h"
#include "platform/fake/control/sysinfo.h"
#include "platform/threads.h"
#include "sampling/MemInfo.h"
#include "sampling/os_layouts.h"
#include "sampling/unitUseage.h"
#include "tests/native/app_fixture.h"

namespace {

std::vector<std::uint8_t> Bytes(const TUseage& image) {
  const plat::RasterView view = image.View();
  return std::vector<std::uint8_t>(view.bits, view.bits + view.stride * view.height);
}

class GraphPageTest : public AppTest {
 protected:
  void SetUp() override {
    fake::ResetCounters();
    ResetCpuUsageState();
    MemStatus = plat::MemoryStatus{};
    MemStatusEx = plat::MemoryStatusEx{};
    // Graphs of an earlier window belong to its thread; this window starts without any.
    CpuGraph = nullptr;
    MemGraph = nullptr;
    SetThread = nullptr;
    AppTest::SetUp();
  }
  void TearDown() override {
    EXPECT_TRUE(EndSampler(5000));
    AppTest::TearDown();
  }
  void WaitForPasses(int passes) {
    const std::uint64_t deadline = plat::MonotonicMilliseconds() + 10000;
    while (SetThread->PassCount() < passes && plat::MonotonicMilliseconds() < deadline) {
      plat::Sleep(1);
    }
    ASSERT_GE(SetThread->PassCount(), passes);
  }
  plat::Control Picture(const char* name) { return fake::FindControl(name); }
};

}  // namespace

TEST_F(GraphPageTest, TickBeforeShowLeavesCpuAndMemoryPanelsEmpty) {
  form->OnTimer();
  EXPECT_EQ(plat::StatusGetText(form->StatusBar, 1), L"");
  EXPECT_EQ(plat::StatusGetText(form->StatusBar, 2), L"");
  EXPECT_EQ(fake::PictureSetCount(form->CpuImg), 0);
  EXPECT_EQ(SetThread, nullptr);
}

TEST_F(GraphPageTest, ShowCreatesGriddedGraphsAndStartsTheSampler) {
  form->Show();
  ASSERT_NE(CpuGraph, nullptr);
  ASSERT_NE(MemGraph, nullptr);
  ASSERT_NE(SetThread, nullptr);
  EXPECT_EQ(CpuGraph->Width(), 256);
  EXPECT_EQ(CpuGraph->Height(), 86);
  EXPECT_EQ(MemGraph->Width(), 256);
  EXPECT_EQ(MemGraph->Height(), 86);
  EXPECT_EQ(SetThread->CpuGraph, CpuGraph);
  EXPECT_EQ(SetThread->MemGraph, MemGraph);
  EXPECT_EQ(SetThread->ReadSample().memStatus.dwLength, kNativeLayout.memoryStatusSize);

  // The pictures got the images with their first grid, before the thread drew anything.
  TUseage firstGrid(86, 256);
  firstGrid.DrawGrid();
  for (plat::PictureBoxHandle picture : {form->CpuImg, form->memImg}) {
    EXPECT_EQ(fake::PictureSetCount(picture), 1);
    const fake::Picture shown = fake::PictureOf(picture);
    EXPECT_EQ(shown.width, 256);
    EXPECT_EQ(shown.height, 86);
    EXPECT_EQ(shown.bits, Bytes(firstGrid));
  }
  WaitForPasses(1);
}

TEST_F(GraphPageTest, TickCopiesTheLatestFramesRepaintsAndWritesPanels) {
  plat::MemoryStatus memory;
  memory.dwTotalPhys = 4096 + 1536;
  memory.dwAvailPhys = 4096;      // used 1.5 K: rounds to 2
  memory.dwTotalPageFile = 2560;  // 2.5 K: rounds to 2
  fake::SetMemoryStatus(memory);
  form->Show();
  WaitForPasses(1);
  fake::ClearGuiLog();
  form->OnTimer();

  std::vector<std::uint8_t> cpuFrame, memFrame;
  ASSERT_TRUE(SetThread->WithFrames([&](const TUseage& cpu, const TUseage& mem) {
    cpuFrame = Bytes(cpu);
    memFrame = Bytes(mem);
  }));
  if (SetThread->PassCount() == 1) {
    EXPECT_EQ(fake::PictureOf(form->CpuImg).bits, cpuFrame);
    EXPECT_EQ(fake::PictureOf(form->memImg).bits, memFrame);
  }
  EXPECT_EQ(fake::PictureSetCount(form->CpuImg), 2);
  EXPECT_EQ(fake::PictureSetCount(form->memImg), 2);

  // No time passed between the start-up and first-pass samples: the load reads 100.
  EXPECT_EQ(plat::StatusGetText(form->StatusBar, 1), L"CPU 使用：100%");
  EXPECT_EQ(plat::StatusGetText(form->StatusBar, 2), L"内存使用：2/2");

  const auto& log = fake::GuiLog();
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
  fake::SetMemoryStatus([] {
    plat::MemoryStatus memory;
    memory.dwTotalPhys = 512u << 20;
    memory.dwAvailPhys = (200u << 20) + 512;        // used 312 MiB - 512 bytes: 319487.5 K
    memory.dwTotalPageFile = (1024u << 20) + 1536;  // 1048577.5 K: to even
    return memory;
  }());
  form->Show();
  WaitForPasses(1);
  form->OnTimer();
  EXPECT_EQ(plat::StatusGetText(form->StatusBar, 2), L"内存使用：319488/1048578");
}

TEST_F(GraphPageTest, CloseStopsTheSamplerAndLaterTicksKeepTheLastFrame) {
  form->Show();
  WaitForPasses(1);
  form->OnTimer();
  const int copies = fake::PictureSetCount(form->CpuImg);
  const std::vector<std::uint8_t> lastFrame = fake::PictureOf(form->CpuImg).bits;
  form->FormClose();
  EXPECT_TRUE(SetThread->Terminated());
  ASSERT_TRUE(SetThread->WaitFor(5000));
  EXPECT_EQ(SetThread->CpuGraph, nullptr);
  form->UpdateGraphs();
  EXPECT_EQ(fake::PictureSetCount(form->CpuImg), copies);
  EXPECT_EQ(fake::PictureOf(form->CpuImg).bits, lastFrame);
  EXPECT_EQ(plat::StatusGetText(form->StatusBar, 1), L"CPU 使用：100%");
}

TEST_F(GraphPageTest, SamplerDrawsOnWhilePausedAndTheFirstTickAfterShowsTheNewestFrame) {
  form->Show();
  WaitForPasses(1);
  ASSERT_TRUE(fake::FireTimer(form->Handle));
  form->OnCommand(kCmdN8);  // pause
  const int copies = fake::PictureSetCount(form->CpuImg);
  const std::vector<std::uint8_t> pausedFrame = fake::PictureOf(form->CpuImg).bits;
  WaitForPasses(SetThread->PassCount() + 1);
  EXPECT_FALSE(fake::FireTimer(form->Handle));
  EXPECT_EQ(fake::PictureSetCount(form->CpuImg), copies);

  form->OnCommand(kCmdN8);  // resume
  std::vector<std::uint8_t> newest;
  int passes = 0;
  do {  // a pass between the tick and the look at the thread's frame: look again
    passes = SetThread->PassCount();
    ASSERT_TRUE(fake::FireTimer(form->Handle));
    SetThread->WithFrames([&](const TUseage& cpu, const TUseage&) { newest = Bytes(cpu); });
  } while (SetThread->PassCount() != passes);
  EXPECT_EQ(fake::PictureOf(form->CpuImg).bits, newest);
  EXPECT_NE(newest, pausedFrame);  // the grid moved on meanwhile
}

// What a 32-bit process reads around and above 4 GiB: the record as the system leaves it
// (-1 for a figure that overflows it) and the 64-bit truth beside it.
TEST_F(GraphPageTest, MemoryPanelAndGraphHeightStayTrueAboveFourGibibytes) {
  constexpr std::uint64_t kKiB = 1024, kMiB = kKiB << 10, kGiB = kMiB << 10;
  constexpr std::size_t kOver = 0xFFFFFFFF;
  const struct {
    const char* name;
    std::size_t totalPhys, availPhys, pageFile;  // the record
    std::uint64_t exTotalPhys, exAvailPhys, exPageFile;
    bool exFails;
    const wchar_t* text;
    std::int32_t height;
  } cases[] = {
      {"16 GiB, 8 free, 20 limit", kOver, kOver, kOver, 16 * kGiB, 8 * kGiB, 20 * kGiB, false,
       L"内存使用：8388608/20971520", 34},
      {"just under 4 GiB", 4 * kGiB - 4 * kKiB, kGiB, 4 * kGiB - 4 * kKiB, 4 * kGiB - 4 * kKiB,
       kGiB, 4 * kGiB - 4 * kKiB, false, L"内存使用：3145724/4194300", 64},
      {"just over 4 GiB", kOver, kGiB, kOver, 4 * kGiB + 4 * kKiB, kGiB, 4 * kGiB + 4 * kKiB, false,
       L"内存使用：3145732/4194308", 65},
      {"fits: the record even when the later read differs", 1000 * kMiB, 500 * kMiB, 2000 * kMiB,
       1000 * kMiB, 400 * kMiB, 2000 * kMiB, false, L"内存使用：512000/2048000", 22},
      {"Wine, 32-bit: the physical total cut to 32 bits", 3801317376, kOver, 4294443007, 3801317376,
       24113250304, 25276162048, false, L"内存使用：1135648/24683752", 4},
      {"no 64-bit figures: the record as it is", kOver, kOver, kOver, 0, 0, 0, true,
       L"内存使用：0/4194304", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    plat::MemoryStatus record;
    record.dwTotalPhys = c.totalPhys;
    record.dwAvailPhys = c.availPhys;
    record.dwTotalPageFile = c.pageFile;
    plat::MemoryStatusEx truth;
    truth.dwLength = 64;
    truth.ullTotalPhys = c.exTotalPhys;
    truth.ullAvailPhys = c.exAvailPhys;
    truth.ullTotalPageFile = c.exPageFile;
    fake::SetMemoryStatus(record);
    fake::SetMemoryStatusEx(truth, c.exFails);

    ASSERT_TRUE(EndSampler(5000));
    form = std::make_unique<TMainForm>();
    form->Show();
    WaitForPasses(1);
    form->OnTimer();
    EXPECT_EQ(plat::StatusGetText(form->StatusBar, 2), c.text);
    EXPECT_EQ(MemorySampleHeight(record, c.exFails ? plat::MemoryStatusEx{} : truth, 86), c.height);
  }
}
