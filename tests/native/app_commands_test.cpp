// The user's commands: end task, switch to, Run dialog, end process, on top, speed and
// pause, exit and home page; and failures that escape a tick or a command.

#include <tuple>

#include "app/commands.h"
#include "platform/constants.h"
#include "tests/native/app_fixture.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class CommandsTest : public AppTest {
 protected:
  plat::MainWindowHandle Window() const { return form->Handle; }
  void Click(int commandId) { fake::Command(Window(), commandId); }
  // Which of H2, N5, N6, N8 are checked.
  std::vector<bool> SpeedChecks() const {
    std::vector<bool> out;
    for (int id : {kCmdH2, kCmdN5, kCmdN6, kCmdN8})
      out.push_back(plat::IsMenuChecked(Window(), id));
    return out;
  }
  void ExpectTimer(bool running, std::uint32_t interval) const {
    EXPECT_EQ(form->Timer.Enabled(), running);
    EXPECT_EQ(fake::Inspect(Window()).timerRunning, running);
    // While paused: the interval last started, the one a resume starts again.
    EXPECT_EQ(fake::Inspect(Window()).timerInterval, interval);
  }
  // Adds a task window of `pid`, refreshes the task list and selects the window's row.
  std::uintptr_t SelectTask(std::uint32_t pid) {
    const std::uintptr_t window = AddWindow("Task", pid);
    form->RefreshTaskList();
    SelectRowsWhere(form->TaskListView,
                    [&](int row) { return WindowOfRow(form->TaskListView, row) == window; });
    return window;
  }
  std::vector<std::uint32_t> Terminated() const {
    std::vector<std::uint32_t> out;
    for (const auto& args : fake::CallArgs("TerminateProcess")) out.push_back(args[0]);
    return out;
  }
  void SelectProcess(const std::wstring& pid) {
    form->RefreshProcessList();
    SelectRowsWhere(form->procListView,
                    [&](int row) { return plat::ListGetText(form->procListView, row, 1) == pid; });
  }
};

TEST_F(CommandsTest, SpeedAndPauseFollowTheClicks) {
  using Checks = std::vector<bool>;
  const struct {
    int click;  // 0: the window as created
    Checks checks;
    bool running;
    std::uint32_t interval;
  } steps[] = {
      {0, {false, true, false, false}, true, 1000},
      {kCmdH2, {true, false, false, false}, true, 500},
      {kCmdN8, {false, false, false, true}, false, 500},  // pause: only N8 checked
      {kCmdN8, {false, false, false, false}, true, 500},  // resume: nothing checked, last interval
      {kCmdN8, {false, false, false, true}, false, 500},  // paused again
      {kCmdN6, {false, false, true, false}, true, 2000},  // a speed while paused resumes at it
      {kCmdN5, {false, true, false, false}, true, 1000},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(testing::Message() << "after command " << step.click);
    if (step.click != 0) Click(step.click);
    EXPECT_EQ(SpeedChecks(), step.checks);
    ExpectTimer(step.running, step.interval);
    if (!step.running) {
      EXPECT_FALSE(fake::FireTimer(Window()));
    }
  }
}

TEST_F(CommandsTest, NewTaskMenuItemOpensRunDialogAndLeavesTheTimerAlone) {
  Click(kCmdH2);
  Click(kCmdN1);
  EXPECT_EQ(SpeedChecks(), (std::vector<bool>{true, false, false, false}));
  EXPECT_FALSE(plat::IsMenuChecked(Window(), kCmdN1));
  ExpectTimer(true, 500);
  EXPECT_EQ(fake::CallLog("keybd_event").size(), 4u);
}

TEST_F(CommandsTest, RunDialogChordIsWindowsRDownThenUp) {
  fake::Os()->scanCodes[plat::kVkLWin] =
      0x7E;  // not the key code: a key passed for its scan code fails
  fake::Os()->scanCodes[plat::kVkR] = 0x13;
  Click(kCmdButton3);
  // Key, scan code, flags and extra information of each event.
  using Event = std::vector<std::uint64_t>;
  const std::uint32_t up = plat::kKeyEventFKeyUp;
  EXPECT_THAT(fake::CallArgs("keybd_event"),
              ElementsAre(Event{plat::kVkLWin, 0x7E, 0, 0}, Event{plat::kVkR, 0x13, 0, 0},
                          Event{plat::kVkR, 0x13, up, 0}, Event{plat::kVkLWin, 0x7E, up, 0}));
}

// Paused before: the timer is back on, and the pause still checked.
TEST_F(CommandsTest, EndTaskEndsTheWindowsProcessAndTurnsTheTimerBackOn) {
  AddProcess(300, u"victim.exe");
  AddProcess(301, u"bystander.exe");
  AddWindow("Task", 301);
  SelectTask(300);
  Click(kCmdN8);
  Click(kCmdButton1);
  EXPECT_THAT(Terminated(), ElementsAre(300u));
  ExpectTimer(true, 1000);
  EXPECT_TRUE(plat::IsMenuChecked(Window(), kCmdN8));
  EXPECT_THAT(fake::TheGui().boxes, IsEmpty());
}

TEST_F(CommandsTest, EndTaskOnAVanishedWindowEndsNothing) {
  AddProcess(300, u"victim.exe");
  fake::DestroyWindow(SelectTask(300));
  Click(kCmdButton1);
  EXPECT_THAT(Terminated(), IsEmpty());
  ExpectTimer(true, 1000);
}

TEST_F(CommandsTest, EndTaskReEnablesTheTimerWhenTerminationFails) {
  AddProcessThatFailsToOpen(300);
  SelectTask(300);
  EXPECT_ANY_THROW(form->Button1Click());
  ExpectTimer(true, 1000);

  Click(kCmdButton1);  // through the window: reported, not thrown
  ASSERT_EQ(fake::TheGui().boxes.size(), 1u);
  EXPECT_EQ(fake::TheGui().boxes[0].flags, plat::kMbIconError);
  ExpectTimer(true, 1000);
}

TEST_F(CommandsTest, SwitchToBringsTheRowsWindowToTheFront) {
  AddWindow("Task", fake::kOwnPid);
  const std::uintptr_t selected = SelectTask(4);
  Click(kCmdButton2);
  EXPECT_THAT(fake::CallArgs("SetForegroundWindow"), ElementsAre(ElementsAre(selected)));
  EXPECT_EQ(fake::Os()->foreground, selected);
}

TEST_F(CommandsTest, EndProcessAsksThenEndsOnYesOnly) {
  AddProcess(777, u"target.exe");
  SelectProcess(L"777");
  fake::TheGui().answers = {plat::kIdNo, plat::kIdYes};
  Click(kCmdEndProcBtn);
  EXPECT_THAT(Terminated(), IsEmpty());
  Click(kCmdEndProcBtn);
  EXPECT_THAT(Terminated(), ElementsAre(777u));

  ASSERT_EQ(fake::TheGui().boxes.size(), 2u);
  const fake::MessageBox& box = fake::TheGui().boxes[0];
  EXPECT_EQ(box.owner, Window());
  EXPECT_EQ(box.caption, L"任务管理器警告");
  EXPECT_EQ(box.flags, plat::kMbYesNo | plat::kMbIconExclamation);
  EXPECT_EQ(box.text,
            L"警告: 终止进程会导致不希望发生的结果，\n\r包括数据丢失和系统不稳定。在被终止前，\n\r"
            L"进程将没有机会保存其状态和数据。确实\n\r想终止该进程吗?");
  ExpectTimer(true, 1000);
}

TEST_F(CommandsTest, EndProcessOnTheIdleEntryAsksAndEndsNothing) {
  SelectProcess(L"0");
  fake::TheGui().answers = {plat::kIdYes};
  Click(kCmdEndProcBtn);
  EXPECT_EQ(fake::TheGui().boxes.size(), 1u);
  EXPECT_THAT(Terminated(), IsEmpty());
}

TEST_F(CommandsTest, EndProcessUsesThePidReadBeforeTheBox) {
  AddProcess(777, u"target.exe");
  AddProcess(888, u"other.exe");
  SelectProcess(L"777");
  fake::TheGui().boxHandler = [this](const fake::MessageBox&) {
    // Ticks go on while the box is open; this one removes the selected row.
    fake::RemoveProcess(777);
    EXPECT_TRUE(fake::FireTimer(Window()));
    return plat::kIdYes;
  };
  fake::ClearCallLog();
  Click(kCmdEndProcBtn);
  EXPECT_THAT(ColumnTexts(form->procListView, 1), ::testing::Not(::testing::Contains(L"777")));
  // The process has gone by now, so the attempt is all there is to see.
  std::vector<std::uint32_t> terminateOpens;
  for (const auto& args : fake::CallArgs("OpenProcess")) {
    if (args[1] == (plat::kProcessTerminate | plat::kProcessQueryInformation))
      terminateOpens.push_back(args[0]);
  }
  EXPECT_THAT(terminateOpens, ElementsAre(777u));
}

// The list commands without a selection, and Help.
TEST_F(CommandsTest, CommandsWithoutASelectionOrAJobDoNothing) {
  AddProcess(777, u"target.exe");
  AddWindow("Task", 777);
  form->RefreshProcessList();
  form->RefreshTaskList();
  fake::TheGui().answers = {plat::kIdYes};
  fake::ClearCallLog();
  for (int id : {kCmdButton1, kCmdButton2, kCmdEndProcBtn, kCmdH1}) Click(id);
  EXPECT_THAT(fake::TheGui().boxes, IsEmpty());
  EXPECT_THAT(Terminated(), IsEmpty());
  EXPECT_THAT(fake::CallLog("SetForegroundWindow"), IsEmpty());
  EXPECT_THAT(fake::CallLog(), IsEmpty());  // the timer was not even restarted
  ExpectTimer(true, 1000);
}

TEST_F(CommandsTest, AlwaysOnTopToggles) {
  Click(kCmdA1);
  EXPECT_TRUE(plat::IsMenuChecked(Window(), kCmdA1));
  EXPECT_TRUE(probe::IsTopmost(Window()));
  Click(kCmdA1);
  EXPECT_FALSE(plat::IsMenuChecked(Window(), kCmdA1));
  EXPECT_FALSE(probe::IsTopmost(Window()));
}

TEST_F(CommandsTest, HomePageTriesInternetExplorerThenTheDefaultBrowser) {
  Click(kCmdButton4);
  // Owner, verb, file, parameters, directory ("-": null) and show command.
  const std::string owner = "ShellExecuteA " + std::to_string(Window().value);
  const std::string show = " " + std::to_string(plat::kSwShowNormal);
  EXPECT_THAT(fake::CallLog("ShellExecuteA"),
              ElementsAre(owner + " open IExplore.EXE " + kHomePageUrl + " -" + show));

  fake::Os()->shellResult = 2;  // file not found
  Click(kCmdButton4);
  ASSERT_EQ(fake::CallLog("ShellExecuteA").size(), 3u);
  EXPECT_EQ(fake::CallLog("ShellExecuteA")[2], owner + " open " + kHomePageUrl + " - -" + show);
  EXPECT_THAT(fake::TheGui().boxes, IsEmpty());
}

TEST_F(CommandsTest, FailedTickIsReportedAndTheNextTickRunsAsUsual) {
  AddWindow("Task", 4);
  AddProcessThatFailsToOpen(999);
  ASSERT_TRUE(fake::FireTimer(Window()));
  ASSERT_EQ(fake::TheGui().boxes.size(), 1u);
  EXPECT_EQ(fake::TheGui().boxes[0].caption, L"Varnex");
  EXPECT_EQ(fake::TheGui().boxes[0].flags, plat::kMbIconError);
  EXPECT_FALSE(fake::TheGui().boxes[0].text.empty());
  EXPECT_EQ(plat::ListRowCount(form->TaskListView), 0);  // the tick ended at the failure

  fake::FindProcess(999)->throwOnOpen = false;
  ASSERT_TRUE(fake::FireTimer(Window()));
  EXPECT_EQ(fake::TheGui().boxes.size(), 1u);
  EXPECT_GT(plat::ListRowCount(form->procListView), 0);
  EXPECT_EQ(plat::ListRowCount(form->TaskListView), 1);
}

TEST_F(CommandsTest, TicksWhileAFailureIsShownAreSkipped) {
  AddProcessThatFailsToOpen(999);
  int nested = 0;
  fake::TheGui().boxHandler = [&](const fake::MessageBox&) {
    ++nested;
    fake::FireTimer(Window());
    fake::FireTimer(Window());
    return 1;
  };
  fake::FireTimer(Window());
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(fake::TheGui().boxes.size(), 1u);
  fake::FireTimer(Window());  // the next tick reports again
  EXPECT_EQ(fake::TheGui().boxes.size(), 2u);
}

}  // namespace
