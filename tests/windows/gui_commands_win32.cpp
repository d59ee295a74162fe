// The user's commands on the real main window under Windows (or Wine): end process with the
// warning answered, end task on another program's window, always on top, the refresh
// speeds and pause, and exit.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

#include "app/CpuUseage.h"
#include "app/commands.h"
#include "app/performance_page.h"
#include "platform/constants.h"
#include "platform/gui.h"
#include "platform/threads.h"
#include "platform/windows_input.h"
#include "tests/support/win32/command_helpers.h"
#include "tests/windows/main_form_fixture_win32.h"

namespace {

using cmdtest::ChildProcess;

// A child started under emulation may take long before its window shows.
constexpr std::uint32_t kChildAppearsMs = 180000;

class GuiCommands : public MainFormTest {
 protected:
  void SetUp() override {
    MainFormTest::SetUp();
    if (!HasFatalFailure()) form->Show();
  }

  // Ticks every 200 ms until `shown()` holds; false when `timeoutMs` passed first.
  template <typename Pred>
  bool TickUntil(Pred shown, std::uint32_t timeoutMs) {
    return cmdtest::WaitUntil(
        [&] {
          form->OnTimer();
          return shown();
        },
        timeoutMs, 200);
  }

  // Runs the real message loop for `spanMs` and returns the timer ticks it delivered.
  int TicksDuring(std::uint32_t spanMs) {
    cmdtest::TickCounter counter(form->Handle);
    EXPECT_TRUE(counter.Installed());
    cmdtest::CallAfter(spanMs, [] { cmdtest::QuitLoop(); });
    plat::RunMessageLoop();
    return counter.Count();
  }
};

TEST_F(GuiCommands, EndProcessAnsweredYesEndsTheSelectedProcessAndItsRow) {
  ChildProcess child(ChildProcess::Kind::Idle);
  ASSERT_NE(child.Pid(), 0u);
  const std::wstring pid = std::to_wstring(child.Pid());
  ASSERT_TRUE(TickUntil([&] { return RowWith(form->procListView, 1, pid) >= 0; }, kChildAppearsMs));

  probe::ListSelectRow(form->procListView, RowWith(form->procListView, 1, pid));
  {
    cmdtest::BoxAnswerer answerer(L"任务管理器警告", plat::kIdYes, 20000);
    form->endProcBtnClick();
    EXPECT_TRUE(answerer.Answered());
  }
  EXPECT_TRUE(child.WaitEnded(30000));
  form->OnTimer();
  EXPECT_EQ(RowWith(form->procListView, 1, pid), -1);
}

TEST_F(GuiCommands, EndTaskEndsTheProcessThatOwnsTheSelectedWindow) {
  ChildProcess child(ChildProcess::Kind::Window);
  ASSERT_NE(child.Pid(), 0u);
  const std::wstring title = cmdtest::WindowChildTitle(child.Pid());
  ASSERT_TRUE(
      TickUntil([&] { return RowWith(form->TaskListView, 0, title) >= 0; }, kChildAppearsMs));

  probe::ListSelectRow(form->TaskListView, RowWith(form->TaskListView, 0, title));
  form->Button1Click();
  EXPECT_TRUE(child.WaitEnded(30000));
  EXPECT_TRUE(form->Timer.Enabled());
  ASSERT_TRUE(TickUntil([&] { return RowWith(form->TaskListView, 0, title) < 0; }, 10000));
  // The other tasks are untouched: the program's own window is still listed.
  EXPECT_GE(RowWith(form->TaskListView, 0, L"Varnex"), 0);
}

TEST_F(GuiCommands, EndTaskAndEndProcessWithoutSelectionDoNothing) {
  form->OnTimer();
  probe::ListSelectRow(form->TaskListView, -1);
  probe::ListSelectRow(form->procListView, -1);
  // No box may open here: nothing would answer it.
  form->OnCommand(kCmdButton1);
  form->OnCommand(kCmdEndProcBtn);
  EXPECT_TRUE(form->Timer.Enabled());
  EXPECT_TRUE(cmdtest::WindowExists(form->Handle));
}

TEST_F(GuiCommands, AlwaysOnTopTogglesTheStyleAndTheCheckMark) {
  EXPECT_FALSE(probe::IsTopmost(form->Handle));
  EXPECT_FALSE(plat::IsMenuChecked(form->Handle, kCmdA1));
  form->A1Click();
  EXPECT_TRUE(probe::IsTopmost(form->Handle));
  EXPECT_TRUE(plat::IsMenuChecked(form->Handle, kCmdA1));
  form->OnCommand(kCmdA1);
  EXPECT_FALSE(probe::IsTopmost(form->Handle));
  EXPECT_FALSE(plat::IsMenuChecked(form->Handle, kCmdA1));
}

TEST_F(GuiCommands, RefreshSpeedsSetTheTickRateAndPauseStopsIt) {
  constexpr std::uint32_t kSpanMs = 5000;

  // {command, the check mark it takes over}: high, low, pause.
  const std::pair<int, int> steps[] = {{kCmdH2, kCmdN5}, {kCmdN6, kCmdH2}, {kCmdN8, kCmdN6}};
  int ticks[3] = {};
  for (int i = 0; i < 3; ++i) {
    form->OnCommand(steps[i].first);
    EXPECT_TRUE(plat::IsMenuChecked(form->Handle, steps[i].first));
    EXPECT_FALSE(plat::IsMenuChecked(form->Handle, steps[i].second));
    EXPECT_EQ(form->Timer.Enabled(), steps[i].first != kCmdN8);
    ticks[i] = TicksDuring(kSpanMs);
  }
  const int high = ticks[0], low = ticks[1], paused = ticks[2];
  std::printf("ticks in %u ms: high %d, low %d, paused %d\n", kSpanMs, high, low, paused);
  // 10 and 2 ticks at full speed; emulation slows the ticks, never the clock.
  EXPECT_GE(low, 1);
  EXPECT_LE(low, 3);
  EXPECT_GE(high, low + 3);
  EXPECT_EQ(paused, 0);

  // Pause again resumes at the interval last chosen.
  form->OnCommand(kCmdN8);
  EXPECT_FALSE(plat::IsMenuChecked(form->Handle, kCmdN8));
  EXPECT_TRUE(form->Timer.Enabled());
  const int resumed = TicksDuring(kSpanMs);
  EXPECT_GE(resumed, 1);
  EXPECT_LE(resumed, 3);
}

TEST_F(GuiCommands, ExitEndsTheMessageLoopAndDestroysTheWindow) {
  const plat::Control window = form->Handle;
  cmdtest::CallAfter(300, [this] { form->OnCommand(kCmdX1); });
  // Should the command fail, this ends the loop instead, leaving the window alive.
  cmdtest::CallAfter(20000, [] { cmdtest::QuitLoop(); });
  EXPECT_EQ(plat::RunMessageLoop(), 0);
  EXPECT_FALSE(cmdtest::WindowExists(window));
  EXPECT_FALSE(form->Timer.Enabled());
}

}  // namespace
