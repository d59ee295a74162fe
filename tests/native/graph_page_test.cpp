#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/CpuUseage.h"
#include "graphs/TSetThread.h"
#include "graphs/TUseage.h"
#include "platform/fake/fake_counters.h"
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
  for (plat::Control picture : {form->CpuImg, form->memImg}) {
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
