// The main window as created: controls, captions, columns, menus, status bar and timer;
// first show, resizing, close and the program entry.

#include "app/commands.h"
#include "app/form_member.h"
#include "app/main_menu.h"
#include "app/performance_page.h"
#include "app/program.h"
#include "graphs/TSetThread.h"
#include "graphs/TUseage.h"
#include "tests/native/app_fixture.h"
#include "tests/support/control_table.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class FormTest : public AppTest {
 protected:
  static std::vector<std::string> Children(const std::string& parent) {
    std::vector<std::string> names;
    for (plat::Control c : fake::ChildrenOf(fake::FindControl(parent))) {
      names.push_back(fake::Inspect(c).name);
    }
    return names;
  }
};

TEST_F(FormTest, WindowHasItsCaptionSizeAndFont) {
  plat::MainWindowArgs args = fake::Inspect(form->Handle).mainWindowArgs;
  EXPECT_EQ(args.caption, L"Varnex");
  // 434 x 430 at the centre of the fake's 1024 x 768 desktop.
  EXPECT_EQ(probe::ControlRect(form->Handle), (plat::Rect{295, 169, 434, 430}));
  EXPECT_EQ(args.fontName, L"MS Sans Serif");
  EXPECT_EQ(fake::Inspect(form->Handle).fontHeight, 11);  // 8 points at 96 dpi
  EXPECT_EQ(args.events, form.get());
}

TEST_F(FormTest, ControlsFollowTheTableInTabOrder) {
  EXPECT_THAT(Children("MainForm"), ElementsAre("PageControl1", "StatusBar", "Button4"));
  EXPECT_THAT(Children("PageControl1"), ElementsAre("TabSheet1", "TabSheet2", "TabSheet3"));
  EXPECT_THAT(Children("TabSheet1"), ElementsAre("TaskListView", "Button1", "Button2", "Button3"));
  EXPECT_THAT(Children("TabSheet2"), ElementsAre("procListView", "endProcBtn"));
  EXPECT_THAT(Children("TabSheet3"), ElementsAre("GroupBox1", "GroupBox2"));
  EXPECT_THAT(Children("GroupBox1"), ElementsAre("CpuPanel"));
  EXPECT_THAT(Children("CpuPanel"), ElementsAre("CpuImg"));
  EXPECT_THAT(Children("GroupBox2"), ElementsAre("memPanel"));
  EXPECT_THAT(Children("memPanel"), ElementsAre("memImg"));

  const plat::Rect page = plat::TabDisplayRect(form->PageControl1, 426, 357);
  for (const testtable::ExpectedControl& e : testtable::kControls) {
    SCOPED_TRACE(e.name);
    const plat::Control c = e.member.Get(*form);
    EXPECT_EQ(c, fake::FindControl(e.name));
    EXPECT_EQ(fake::Inspect(c).kind, e.kind);
    EXPECT_EQ(probe::ControlRect(c), e.kind == plat::ControlKind::TabPage ? page : e.rect);
    EXPECT_EQ(probe::ControlText(c), e.caption);
    EXPECT_EQ(fake::Inspect(c).commandId, e.commandId);
  }
  EXPECT_EQ(probe::TabSelected(form->PageControl1), 2);
}

TEST_F(FormTest, ListColumnsAndStatusParts) {
  auto columns = [](plat::ListViewHandle list) {
    std::vector<std::tuple<std::wstring, int, plat::Align>> out;
    for (const fake::Column& c : fake::Inspect(list).columns)
      out.emplace_back(c.caption, c.width, c.align);
    return out;
  };
  using A = plat::Align;
  using C = std::tuple<std::wstring, int, plat::Align>;
  EXPECT_THAT(columns(form->TaskListView),
              ElementsAre(C{L"任务", 250, A::Left}, C{L"状态", 100, A::Left}));
  EXPECT_THAT(
      columns(form->procListView),
      ElementsAre(C{L"映像名称", 100, A::Left}, C{L"PID", 50, A::Right}, C{L"CPU", 50, A::Right},
                  C{L"CPU时间", 70, A::Right}, C{L"内存使用", 100, A::Right}));
  EXPECT_EQ(fake::Inspect(form->TaskListView).imageList, form->TaskRows.ImageList);
  EXPECT_TRUE(form->TaskRows.ImageList);
  EXPECT_EQ(fake::Inspect(form->procListView).imageList, plat::ImageListHandle{});
  EXPECT_THAT(fake::Inspect(form->StatusBar).statusParts, ElementsAre(95, 120, 50));
}

TEST_F(FormTest, MenuBarWithTagsAndTheNormalSpeedChecked) {
  using Item = std::pair<std::wstring, int>;  // caption and command id (0: a submenu)
  const auto items = [](const std::vector<fake::MenuItem>& menu) {
    std::vector<Item> out;
    for (const fake::MenuItem& item : menu) out.emplace_back(item.caption, item.commandId);
    return out;
  };
  const auto bar = fake::MenuBar(form->Handle);
  EXPECT_THAT(items(bar), ElementsAre(Item{L"文件(&F)", 0}, Item{L"选项(&Q)", 0},
                                      Item{L"查看(&V)", 0}, Item{L"帮助(&H)", kCmdH1}));
  ASSERT_EQ(bar.size(), 4u);
  EXPECT_THAT(items(bar[0].items), ElementsAre(Item{L"新任务(运行...)(&N)", kCmdN1},
                                               Item{L"退出任务管理器(&X)", kCmdX1}));
  EXPECT_THAT(items(bar[1].items), ElementsAre(Item{L"总在最前面(&A)", kCmdA1}));
  EXPECT_THAT(items(bar[2].items), ElementsAre(Item{L"更新速度(&U)", 0}));
  ASSERT_EQ(bar[2].items.size(), 1u);
  EXPECT_THAT(items(bar[2].items[0].items),
              ElementsAre(Item{L"高(&H)", kCmdH2}, Item{L"标准(&N)", kCmdN5},
                          Item{L"低(&L)", kCmdN6}, Item{L"暂停(&P)", kCmdN8}));
  EXPECT_THAT(bar[3].items, IsEmpty());

  const struct {
    int id, tag;
    bool checked;
  } marks[] = {{kCmdH2, 500, false}, {kCmdN5, 1000, true}, {kCmdN6, 2000, false},
               {kCmdN8, 0, false},   {kCmdN1, 0, false},   {kCmdX1, 0, false},
               {kCmdA1, 0, false}};
  for (const auto& mark : marks) {
    SCOPED_TRACE(mark.id);
    EXPECT_EQ(MenuTag(mark.id), mark.tag);
    EXPECT_EQ(plat::IsMenuChecked(form->Handle, mark.id), mark.checked);
  }
}

TEST_F(FormTest, TimerWithIntervalZeroNeverTicks) {
  form->Timer.SetInterval(0);
  EXPECT_FALSE(fake::Inspect(form->Handle).timerRunning);
  EXPECT_FALSE(fake::FireTimer(form->Handle));
  form->Timer.SetInterval(500);
  EXPECT_TRUE(fake::Inspect(form->Handle).timerRunning);
  EXPECT_EQ(fake::Inspect(form->Handle).timerInterval, 500u);
}

TEST_F(FormTest, TickBeforeFirstShowRefreshesListsOnly) {
  AddWindow("Editor", fake::kOwnPid);
  ASSERT_TRUE(fake::FireTimer(form->Handle));
  EXPECT_EQ(plat::ListRowCount(form->procListView), 3);
  EXPECT_EQ(plat::ListRowCount(form->TaskListView), 1);
  EXPECT_EQ(plat::StatusGetText(form->StatusBar, 0), L"进程数：3");
  EXPECT_EQ(plat::StatusGetText(form->StatusBar, 1), L"");
  EXPECT_EQ(plat::StatusGetText(form->StatusBar, 2), L"");
  EXPECT_EQ(fake::Inspect(form->CpuImg).pictureSets, 0);
  EXPECT_EQ(SetThread, nullptr);
}

TEST_F(FormTest, FirstShowStartsTheGraphsAndCloseStopsThem) {
  form->Show();
  EXPECT_TRUE(fake::Inspect(form->Handle).doubleBuffered);
  EXPECT_TRUE(fake::Os()->debugPrivilegeEnabled);
  ASSERT_NE(SetThread, nullptr);
  // The fake's pages are 329 high: the buttons, bottom-anchored, end 6 px above the edge.
  EXPECT_EQ(probe::ControlRect(form->Button1), (plat::Rect{137, 298, 89, 25}));
  EXPECT_EQ(probe::ControlRect(form->TaskListView), (plat::Rect{22, 24, 377, 268}));
  EXPECT_EQ(probe::ControlRect(form->StatusBar), (plat::Rect{0, 357, 426, 19}));

  ASSERT_TRUE(fake::FireTimer(form->Handle));
  EXPECT_EQ(plat::StatusGetText(form->StatusBar, 1).rfind(L"CPU 使用：", 0), 0u);
  EXPECT_EQ(plat::StatusGetText(form->StatusBar, 2).rfind(L"内存使用：", 0), 0u);

  fake::Command(form->Handle, kCmdX1);
  EXPECT_TRUE(fake::Inspect(form->Handle).destroyed);
  EXPECT_TRUE(SetThread->WaitFor(5000));  // the close stopped the sampler
  EXPECT_TRUE(TPerformancePage::Stop(10000));
}

TEST_F(FormTest, ResizingKeepsAnchoredDistances) {
  fake::ResizeClient(form->Handle, 526, 426);  // 100 wider, 50 taller than designed
  EXPECT_EQ(probe::ControlRect(form->PageControl1), (plat::Rect{0, 0, 526, 407}));
  EXPECT_EQ(probe::ControlRect(form->StatusBar), (plat::Rect{0, 407, 526, 19}));
  EXPECT_EQ(probe::ControlRect(form->TabSheet1),
            plat::TabDisplayRect(form->PageControl1, 526, 407));
  // Pages of 518 x 379: the buttons end 6 px above their bottom edge.
  EXPECT_EQ(probe::ControlRect(form->TaskListView), (plat::Rect{22, 24, 477, 318}));
  EXPECT_EQ(probe::ControlRect(form->procListView), (plat::Rect{24, 24, 477, 319}));
  EXPECT_EQ(probe::ControlRect(form->Button1), (plat::Rect{237, 348, 89, 25}));
  EXPECT_EQ(probe::ControlRect(form->Button3), (plat::Rect{415, 348, 87, 25}));
  EXPECT_EQ(probe::ControlRect(form->endProcBtn), (plat::Rect{398, 348, 101, 25}));
  EXPECT_EQ(probe::ControlRect(form->GroupBox1), (plat::Rect{120, 8, 283, 121}));
  EXPECT_EQ(probe::ControlRect(form->CpuImg), (plat::Rect{2, 2, 256, 86}));
  EXPECT_EQ(probe::ControlRect(form->Button4), (plat::Rect{152, 0, 273, 20}));
}

TEST_F(FormTest, ProgramEntryRunsTheWindowUntilItCloses) {
  form.reset();
  fake::ResetGui();
  bool shown = false;
  fake::TheGui().loopBody = [&] {
    shown = fake::Inspect(fake::MainWindow()).shown;
    ASSERT_NE(MainForm, nullptr);
    plat::CloseMainWindow(fake::MainWindow());
  };
  EXPECT_EQ(VarnexMain(), 0);
  EXPECT_TRUE(shown);
  EXPECT_EQ(MainForm, nullptr);
  EXPECT_TRUE(TPerformancePage::Stop(10000));
}

}  // namespace
