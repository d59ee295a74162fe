// The task list of the real main window over real windows: which windows get a row, one row
// per process except Explorer and browser windows, and the GDI and USER objects a long run
// of refreshes holds.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "app/CpuUseage.h"
#include "app/performance_page.h"
#include "platform/gui.h"
#include "platform/process.h"
#include "platform/threads.h"
#include "platform/windows_input.h"
#include "sampling/uProcInfo.h"
#include "tests/support/win32/command_helpers.h"
#include "tests/support/win32/icon_helpers.h"
#include "tests/support/win32/own_resources.h"
#include "tests/windows/main_form_fixture_win32.h"

namespace {

class GuiTaskList : public MainFormTest {
 protected:
  // The row whose attached record names `window`; -1 when none.
  int RowOf(plat::WindowHandle window) const {
    for (int row = 0; row < plat::ListRowCount(form->TaskListView); ++row) {
      const auto* info = static_cast<const TWinInfo*>(plat::ListGetData(form->TaskListView, row));
      if (info != nullptr && info->WindowHandle == window) return row;
    }
    return -1;
  }
  int RowTitled(const std::wstring& title) const { return RowWith(form->TaskListView, 0, title); }
  // Lets `window` claim the test process's row before the main window shows (the main
  // window would otherwise claim it), shows the task page and returns the window's row.
  int ShowWithRowOf(plat::WindowHandle window) {
    form->OnTimer();
    form->Show();
    plat::TabSelect(form->PageControl1, 0);
    form->OnTimer();
    return RowOf(window);
  }
  std::wstring Text(int row, int column) const {
    return plat::ListGetText(form->TaskListView, row, column);
  }
  // Refreshes until a row captioned `title` shows up (a child program takes a while to
  // start, under qemu most of all); -1 when none did within three minutes.
  int WaitForRowTitled(const std::wstring& title) {
    cmdtest::WaitUntil(
        [&] {
          form->OnTimer();
          return RowTitled(title) >= 0;
        },
        180000, 200);
    return RowTitled(title);
  }

  // Rows whose window belongs to this process, counted apart for the classes that always get
  // a row of their own.
  struct OwnRows {
    int ordinary = 0;
    int explorer = 0;
  };
  OwnRows CountOwnRows() const {
    OwnRows rows;
    const std::uint32_t self = probe::GetCurrentProcessId();
    for (int row = 0; row < plat::ListRowCount(form->TaskListView); ++row) {
      const auto* info = static_cast<const TWinInfo*>(plat::ListGetData(form->TaskListView, row));
      EXPECT_NE(info, nullptr) << "row " << row;
      std::uint32_t pid = 0;
      if (info == nullptr || plat::GetWindowThreadProcessId(info->WindowHandle, &pid) == 0 ||
          pid != self) {
        continue;
      }
      const bool explorer = info->ClassName == "IEFrame" || info->ClassName == "CabinetWClass";
      ++(explorer ? rows.explorer : rows.ordinary);
    }
    return rows;
  }
};

TEST_F(GuiTaskList, VisibleTitledWindowGetsARowUntilItGoesHiddenAndBlankOnesNone) {
  const plat::WindowHandle visible = TestWindow("VarnexTaskVisible", "Varnex visible task");
  const plat::WindowHandle hidden = TestWindow("VarnexTaskHidden", "Varnex hidden task", false);
  const plat::WindowHandle blank = TestWindow("VarnexTaskBlank", "   ");
  form->OnTimer();
  const int row = RowOf(visible);
  ASSERT_GE(row, 0);
  EXPECT_EQ(Text(row, 0), L"Varnex visible task");
  EXPECT_EQ(Text(row, 1), L"正在运行");
  EXPECT_EQ(RowOf(hidden), -1);
  EXPECT_EQ(RowOf(blank), -1);

  probe::DestroyTestWindow(visible);
  form->OnTimer();
  EXPECT_EQ(RowOf(visible), -1);
}

TEST_F(GuiTaskList, ProcessKeepsOneRowOnTheWindowThatClaimedItFirst) {
  const plat::WindowHandle first = TestWindow("VarnexTaskVisible", "Varnex visible task");
  form->OnTimer();
  const int row = RowOf(first);
  ASSERT_GE(row, 0);
  const plat::WindowHandle second = TestWindow("VarnexTaskVisible", "Varnex second task");
  form->OnTimer();
  form->Show();
  form->OnTimer();
  EXPECT_EQ(CountOwnRows().ordinary, 1);
  EXPECT_EQ(RowOf(first), row);
  EXPECT_EQ(RowOf(second), -1);
  EXPECT_EQ(RowOf(form->Handle), -1);
}

TEST_F(GuiTaskList, ExplorerWindowsEachGetARowBesideTheProcessRowAndGoWithTheirWindows) {
  // Before the main window is shown, the test's windows are this process's only candidates:
  // the first one a refresh sees claims the process's row, which the main window then leaves
  // alone.
  const plat::WindowHandle task = TestWindow("VarnexTaskVisible", "Varnex visible task");
  form->OnTimer();
  form->Show();
  form->OnTimer();
  const int row = RowOf(task);
  const plat::WindowHandle folders[] = {TestWindow("CabinetWClass", "Varnex folder one"),
                                        TestWindow("CabinetWClass", "Varnex folder two")};
  form->OnTimer();
  EXPECT_EQ(CountOwnRows().ordinary, 1);
  EXPECT_EQ(CountOwnRows().explorer, 2);
  EXPECT_EQ(RowOf(task), row);
  for (const auto& [folder, title] :
       {std::pair{folders[0], L"Varnex folder one"}, std::pair{folders[1], L"Varnex folder two"}}) {
    const int folderRow = RowOf(folder);
    ASSERT_GE(folderRow, 0);
    EXPECT_EQ(Text(folderRow, 0), title);
    EXPECT_EQ(Text(folderRow, 1), L"正在运行");
  }
  for (const plat::WindowHandle folder : folders) probe::DestroyTestWindow(folder);
  form->OnTimer();
  for (const plat::WindowHandle folder : folders) EXPECT_EQ(RowOf(folder), -1);
}

TEST_F(GuiTaskList, FiveHundredRefreshesKeepGdiAndUserObjects) {
  const plat::WindowHandle task = TestWindow("VarnexTaskSoak", "Varnex soak task");
  const plat::WindowHandle folder = TestWindow("CabinetWClass", "Varnex soak folder");
  probe::SetTestWindowSmallIcon(task);
  form->Show();
  for (int i = 0; i < 20; ++i) form->OnTimer();
  ASSERT_GE(RowOf(folder), 0);
  const wintest::OwnResources first = wintest::QueryOwnResources();

  for (int i = 0; i < 500; ++i) form->OnTimer();
  const wintest::OwnResources last = wintest::QueryOwnResources();
  std::printf("task list refreshes: GDI objects %u -> %u, USER objects %u -> %u\n",
              first.gdiObjects, last.gdiObjects, first.userObjects, last.userObjects);
  std::fflush(stdout);

  // Every refresh rebuilds the image list from the windows' icons: one object kept per
  // refresh would show as 500. Wine reports 0 for both counts.
  EXPECT_LE(last.gdiObjects, first.gdiObjects + 4);
  EXPECT_LE(last.userObjects, first.userObjects + 4);
  EXPECT_GE(RowOf(folder), 0);
}

// The icon pixels of a row hold `colour` in their middle.
bool ShowsColour(const std::vector<std::uint32_t>& pixels, std::uint32_t colour) {
  return pixels.size() == 256 && pixels[8 * 16 + 8] == colour;
}

constexpr std::uint32_t kRed = 0x0000FF;
constexpr std::uint32_t kBlue = 0xFF0000;

TEST_F(GuiTaskList, WindowThatChangesItsIconShowsTheNewOneAfterTheNextRefresh) {
  const icontest::SolidIcon red(kRed);
  const icontest::SolidIcon blue(kBlue);
  const plat::WindowHandle window = TestWindow("VarnexIconChange", "Varnex icon change");
  icontest::SetSmallIcon(window, red.Handle());
  const int row = ShowWithRowOf(window);
  ASSERT_GE(row, 0);
  const std::vector<std::uint32_t> before = icontest::DrawnIconPixels(form->TaskListView, row);
  EXPECT_TRUE(ShowsColour(before, kRed));

  icontest::SetSmallIcon(window, blue.Handle());
  form->OnTimer();
  ASSERT_EQ(RowOf(window), row);
  EXPECT_EQ(plat::ListGetImage(form->TaskListView, row), 0);  // the same index as before
  const std::vector<std::uint32_t> after = icontest::DrawnIconPixels(form->TaskListView, row);
  EXPECT_TRUE(ShowsColour(after, kBlue));
  EXPECT_NE(after, before);
}

TEST_F(GuiTaskList, WindowBusyLongerThanTheIconWaitKeepsItsIcon) {
  const cmdtest::BusyWindow busy(L"Varnex busy window");
  const plat::WindowHandle window = busy.Window();
  ASSERT_TRUE(window);
  const int row = ShowWithRowOf(window);
  ASSERT_GE(row, 0);
  ASSERT_TRUE(ShowsColour(icontest::DrawnIconPixels(form->TaskListView, row), kRed));

  ASSERT_TRUE(cmdtest::MakeWindowBusy(window, 30000));
  form->OnTimer();
  EXPECT_EQ(RowOf(window), row);
  EXPECT_TRUE(ShowsColour(icontest::DrawnIconPixels(form->TaskListView, row), kRed))
      << "the class icon stood in for a busy moment";
}

// How long such a tick takes is for a benchmark to say; here it must return, and the window
// keeps its row.
TEST_F(GuiTaskList, HungWindowOfAnotherProcessKeepsItsRow) {
  form->Show();
  cmdtest::ChildProcess child(cmdtest::ChildProcess::Kind::HungWindow);
  ASSERT_NE(child.Pid(), 0u);
  const std::wstring title = cmdtest::WindowChildTitle(child.Pid());
  ASSERT_GE(WaitForRowTitled(title), 0) << "the child's window never got a row";
  probe::Sleep(1000);  // the child has long stopped taking messages
  {
    cmdtest::Watchdog watchdog(60000, "ticks over a hung window");
    for (int i = 0; i < 3; ++i) form->OnTimer();
  }
  const int row = RowTitled(title);
  ASSERT_GE(row, 0);
  EXPECT_EQ(Text(row, 1), L"正在运行");
}

}  // namespace
