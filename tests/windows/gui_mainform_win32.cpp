// The real main window over the real Win32 GUI: its controls against the control table,
// menus, layout after the first show, focus and keyboard, and the refresh cycle against
// fresh snapshots.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/CpuUseage.h"
#include "app/commands.h"
#include "app/form_member.h"
#include "app/performance_page.h"
#include "platform/gui.h"
#include "platform/sysinfo.h"
#include "platform/windows_input.h"
#include "sampling/uProcInfo.h"
#include "tests/support/control_table.h"
#include "tests/support/win32/command_helpers.h"
#include "tests/windows/main_form_fixture_win32.h"

namespace {

using plat::Control;
using plat::Rect;

constexpr int kGwlId = -12;

using Kind = plat::ControlKind;
const std::map<Kind, std::string> kSystemClass = {{Kind::TabControl, "SysTabControl32"},
                                                  {Kind::TabPage, "VarnexPage"},
                                                  {Kind::ListView, "SysListView32"},
                                                  {Kind::Button, "Button"},
                                                  {Kind::GroupBox, "Button"},
                                                  {Kind::Panel, "VarnexPanel"},
                                                  {Kind::PictureBox, "VarnexPicture"},
                                                  {Kind::StatusBar, "msctls_statusbar32"}};

// Refreshes until the process list and panel 0 agree with a snapshot taken right after the
// refresh; processes may start or end in between, so a few attempts are allowed.
bool RefreshMatchesSnapshot(TMainForm& form, std::string* why) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    form.TimerTimer();
    TProcList snapshot;
    GetProcessList(snapshot);
    std::multiset<std::wstring> expected;
    snapshot.ForEach([&](std::string_view, const TProcInfo& p) {
      expected.insert(plat::AnsiToWide(p.Name) + L"|" + std::to_wstring(p.PID));
    });
    const std::size_t count = snapshot.Count();

    std::multiset<std::wstring> shown;
    for (int row = 0; row < plat::ListRowCount(form.procListView); ++row) {
      shown.insert(plat::ListGetText(form.procListView, row, 0) + L"|" +
                   plat::ListGetText(form.procListView, row, 1));
    }
    const bool panelOk =
        plat::StatusGetText(form.StatusBar, 0) == L"进程数：" + std::to_wstring(count);
    if (shown == expected && panelOk) return true;
    *why = "rows " + std::to_string(shown.size()) + ", snapshot " + std::to_string(count) +
           (panelOk ? "" : ", panel 0 differs");
  }
  return false;
}

using GuiMainForm = MainFormTest;

TEST_F(GuiMainForm, ControlsSitWhereTheTableSaysBeforeTheFirstShow) {
  EXPECT_EQ(probe::ControlText(form->Handle), L"Varnex");
  const Rect outer = probe::ControlRect(form->Handle);
  EXPECT_EQ(std::pair(outer.width, outer.height), std::pair(434, 430));
  const Rect page = plat::TabDisplayRect(form->PageControl1, 426, 357);
  for (const testtable::ExpectedControl& e : testtable::kControls) {
    SCOPED_TRACE(e.name);
    const Control control = e.member.Get(*form);
    ASSERT_TRUE(control);
    EXPECT_EQ(cmdtest::ClassOf(control), kSystemClass.at(e.kind));
    EXPECT_EQ(probe::ControlText(control), e.caption);
    if (e.kind == plat::ControlKind::Button) {
      EXPECT_EQ(plat::GetWindowLongA(control, kGwlId), e.commandId);
    }
    // The status bar docks to the real window's bottom edge (checked once shown).
    if (e.kind == plat::ControlKind::TabPage) {
      EXPECT_EQ(probe::ControlRect(control), page);
    } else if (e.kind != plat::ControlKind::StatusBar) {
      EXPECT_EQ(probe::ControlRect(control), e.rect);
    }
  }
  EXPECT_EQ(probe::TabSelected(form->PageControl1), 2);
  EXPECT_EQ(plat::ListColumnCount(form->TaskListView), 2);
  EXPECT_EQ(plat::ListColumnCount(form->procListView), 5);
}

TEST_F(GuiMainForm, MenusStartAtTheNormalSpeedAndNotOnTop) {
  EXPECT_TRUE(plat::IsMenuChecked(form->Handle, kCmdN5));
  for (int id : {kCmdH2, kCmdN6, kCmdN8, kCmdA1, kCmdN1}) {
    EXPECT_FALSE(plat::IsMenuChecked(form->Handle, id)) << id;
  }
  EXPECT_FALSE(probe::IsTopmost(form->Handle));
}

TEST_F(GuiMainForm, TicksBeforeTheFirstShowFillTheListsAndTheProcessCountOnly) {
  std::string why;
  EXPECT_TRUE(RefreshMatchesSnapshot(*form, &why)) << why;
  EXPECT_EQ(plat::StatusGetText(form->StatusBar, 1), L"");
  EXPECT_EQ(plat::StatusGetText(form->StatusBar, 2), L"");
}

TEST_F(GuiMainForm, ShownWindowLaysOutToItsClientArea) {
  const Rect page = plat::TabDisplayRect(form->PageControl1, 426, 357);
  form->Show();
  const Rect client = plat::ClientRect(form->Handle);
  const Rect tabs = probe::ControlRect(form->PageControl1);
  const Rect bar = probe::ControlRect(form->StatusBar);
  EXPECT_EQ(std::pair(bar.top + bar.height, bar.width), std::pair(client.height, client.width));
  EXPECT_EQ(std::tuple(tabs.left, tabs.width, tabs.top + tabs.height),
            std::tuple(0, client.width, bar.top));
  const Rect shownPage = probe::ControlRect(form->TabSheet2);
  EXPECT_EQ(shownPage, plat::TabDisplayRect(form->PageControl1, tabs.width, tabs.height));
  // Anchored right and bottom: the same distance to the page's right edge as designed, and
  // 6 px to its bottom edge.
  const Rect end = probe::ControlRect(form->endProcBtn);
  EXPECT_EQ(shownPage.width - (end.left + end.width), page.width - (298 + 101));
  EXPECT_EQ(shownPage.height - (end.top + end.height), 6);
  EXPECT_EQ(probe::ControlRect(form->CpuImg), (Rect{2, 2, 256, 86}));
}

TEST_F(GuiMainForm, ShownWindowRefreshesEveryPanelAndListsItselfAsATask) {
  form->Show();
  std::string why;
  EXPECT_TRUE(RefreshMatchesSnapshot(*form, &why)) << why;
  EXPECT_THAT(plat::StatusGetText(form->StatusBar, 1), ::testing::StartsWith(L"CPU 使用："));
  EXPECT_THAT(plat::StatusGetText(form->StatusBar, 1), ::testing::EndsWith(L"%"));
  EXPECT_THAT(plat::StatusGetText(form->StatusBar, 2), ::testing::StartsWith(L"内存使用："));

  // The program's own window is a visible, titled top-level window: it is a task.
  bool ownTask = false;
  for (int row = 0; row < plat::ListRowCount(form->TaskListView); ++row) {
    if (plat::ListGetText(form->TaskListView, row, 0) == L"Varnex") {
      ownTask = true;
      EXPECT_EQ(plat::ListGetText(form->TaskListView, row, 1), L"正在运行");
    }
  }
  EXPECT_TRUE(ownTask);
}

// What each page holds, the list (if any) first: all of it must lie inside the page with
// 6 px to spare, the lowest control exactly 6 px above the page's bottom edge, and the
// buttons as far under the list as the table puts them.
struct PageContents {
  FormMember page;
  std::vector<FormMember> controls;
  int listToButtons;  // 0: no list above buttons
};

const PageContents kPages[] = {
    {&TMainForm::TabSheet1,
     {&TMainForm::TaskListView, &TMainForm::Button1, &TMainForm::Button2, &TMainForm::Button3},
     6},
    {&TMainForm::TabSheet2, {&TMainForm::procListView, &TMainForm::endProcBtn}, 5},
    {&TMainForm::TabSheet3, {&TMainForm::GroupBox1, &TMainForm::GroupBox2}, 0},
};

void ExpectWholePages(TMainForm& form) {
  for (const PageContents& contents : kPages) {
    const Rect page = probe::ControlRect(contents.page.Get(form));
    const Rect list = probe::ControlRect(contents.controls.front().Get(form));
    int lowest = 0;
    for (const FormMember& member : contents.controls) {
      const Rect r = probe::ControlRect(member.Get(form));
      EXPECT_GE(r.left, 6);
      EXPECT_GE(r.top, 6);
      EXPECT_LE(r.left + r.width, page.width - 6);
      EXPECT_LE(r.top + r.height, page.height - 6);
      lowest = std::max(lowest, r.top + r.height);
      if (contents.listToButtons > 0 && member != contents.controls.front()) {
        EXPECT_EQ(r.top - (list.top + list.height), contents.listToButtons);
      }
    }
    if (contents.listToButtons > 0) {
      EXPECT_EQ(lowest, page.height - 6);
    }
  }
}

TEST_F(GuiMainForm, ShownWindowIsCentredWithTheFocusOnTheTabs) {
  form->Show();
  const Rect screen = cmdtest::ScreenRect();
  const Rect outer = probe::ControlRect(form->Handle);
  EXPECT_EQ(std::pair(outer.left, outer.top),
            std::pair((screen.width - 434) / 2, (screen.height - 430) / 2));
  EXPECT_EQ(cmdtest::FocusedControl(), form->PageControl1);
  EXPECT_THAT(cmdtest::StatusPartEdges(form->StatusBar), ::testing::ElementsAre(95, 215, -1));
}

TEST_F(GuiMainForm, HomePageButtonOverTheTabStripIsWholeAndTakesTheClick) {
  form->Show();
  EXPECT_TRUE(cmdtest::FullyVisible(form->Button4));
  EXPECT_EQ(cmdtest::ClickTarget(form->Button4), form->Button4);
}

TEST_F(GuiMainForm, EveryPageStaysWholeAtThreeSizes) {
  form->Show();
  const Rect outer = probe::ControlRect(form->Handle);
  for (const Rect& size :
       {outer, Rect{outer.left, outer.top, 494, 480}, Rect{outer.left, outer.top, 434, 400}}) {
    SCOPED_TRACE(size.height);
    plat::MoveControl(form->Handle, size);
    ExpectWholePages(*form);
  }
}

// Tab follows the rows of the table within each parent, the shown page's controls right
// after the tab control; Ctrl+Tab and the arrows switch pages.
TEST_F(GuiMainForm, TabWalksTheControlsAndCtrlTabAndArrowsThePages) {
  form->Show();
  using cmdtest::kVkControl, cmdtest::kVkLeft, cmdtest::kVkShift, cmdtest::kVkTab;
  struct Step {
    std::vector<std::uint16_t> keys;
    FormMember focus;
    int page;
  };
  const Step steps[] = {
      {{kVkTab}, &TMainForm::procListView, 1},
      {{kVkTab}, &TMainForm::endProcBtn, 1},
      {{kVkTab}, &TMainForm::Button4, 1},
      {{kVkTab}, &TMainForm::PageControl1, 1},
      {{kVkShift, kVkTab}, &TMainForm::Button4, 1},
      {{kVkShift, kVkTab}, &TMainForm::endProcBtn, 1},
      {{kVkControl, kVkTab}, &TMainForm::PageControl1, 2},  // the focus leaves with its page
      {{kVkControl, kVkTab}, &TMainForm::PageControl1, 0},
      {{kVkControl, kVkShift, kVkTab}, &TMainForm::PageControl1, 2},
      {{kVkLeft}, &TMainForm::PageControl1, 1},
  };
  plat::TabSelect(form->PageControl1, 1);
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    SCOPED_TRACE("step " + std::to_string(i));
    cmdtest::PressKeys(form->Handle, steps[i].keys);
    EXPECT_EQ(cmdtest::FocusedControl(), steps[i].focus.Get(*form));
    EXPECT_EQ(probe::TabSelected(form->PageControl1), steps[i].page);
  }
}

}  // namespace
