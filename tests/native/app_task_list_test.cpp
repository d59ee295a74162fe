// The task list refresh: one row per application window, each owning its window record.

#include <set>
#include <stdexcept>

#include "platform/constants.h"
#include "platform/sysinfo.h"
#include "sampling/uProcInfo.h"
#include "tests/native/app_fixture.h"

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class TaskListTest : public AppTest {
 protected:
  plat::ListViewHandle List() const { return form->TaskListView; }
  std::vector<std::wstring> Titles() const { return ColumnTexts(List(), 0); }

  // Moves a window to the bottom of the Z order, keeping its handle.
  static void SendToBack(std::uintptr_t handle) {
    fake::Window copy = *fake::FindWindow(handle);
    fake::DestroyWindow(handle);
    fake::AddWindow(copy);
  }
  std::uintptr_t WindowOfRow(int row) const { return ::WindowOfRow(List(), row); }
  // Every row carries its own record, and the record is of the row's window.
  void ExpectOwnRecords() const {
    std::set<void*> seen;
    for (int row = 0; row < plat::ListRowCount(List()); ++row) {
      auto* info = static_cast<TWinInfo*>(plat::ListGetData(List(), row));
      ASSERT_NE(info, nullptr) << row;
      EXPECT_TRUE(seen.insert(info).second) << "record shared by two rows";
      EXPECT_EQ(plat::AnsiToWide(info->Title), RowTexts(List(), row).at(0)) << row;
    }
  }
};

TEST_F(TaskListTest, RowsShowTitleStatusAndIconInSnapshotOrder) {
  AddWindow("Editor", 10, "Notepad", 0x501);
  AddWindow("  Calc ", 11, "CalcFrame", 0);
  form->RefreshTaskList();
  ASSERT_EQ(plat::ListRowCount(List()), 2);
  EXPECT_THAT(RowTexts(List(), 0), ElementsAre(L"Editor", L"正在运行"));
  EXPECT_THAT(RowTexts(List(), 1), ElementsAre(L"  Calc ", L"正在运行"));
  EXPECT_EQ(plat::ListGetImage(List(), 0), 0);
  EXPECT_EQ(plat::ListGetImage(List(), 1), -1);  // no icon at all
  EXPECT_THAT(fake::ImageListIcons(form->TaskRows.ImageList), ElementsAre(0x501u));
  ExpectOwnRecords();
}

TEST_F(TaskListTest, DesktopNeverGetsARow) {
  AddWindow("Program Manager", 10, "Progman");
  AddWindow("Editor", 10, "Notepad");
  form->RefreshTaskList();
  EXPECT_THAT(Titles(), ElementsAre(L"Editor"));
}

TEST_F(TaskListTest, BrowserAndExplorerWindowsEachGetARowAndBlockNothing) {
  AddWindow("Page 1", 20, "IEFrame");
  AddWindow("Page 2", 20, "IEFrame");
  AddWindow("C:\\", 20, "CabinetWClass");
  AddWindow("Other", 20, "Dialog");
  AddWindow("Second other", 20, "Dialog");
  form->RefreshTaskList();
  EXPECT_THAT(Titles(), ElementsAre(L"Page 1", L"Page 2", L"C:\\", L"Other"));
  form->RefreshTaskList();
  EXPECT_THAT(Titles(), ElementsAre(L"Page 1", L"Page 2", L"C:\\", L"Other"));
}

TEST_F(TaskListTest, OneRowPerProcessStaysWithItsWindowWhateverTheOrder) {
  std::uintptr_t first = AddWindow("First", 30);
  AddWindow("Second", 30);
  AddWindow("Elsewhere", 31);
  form->RefreshTaskList();
  EXPECT_THAT(Titles(), ElementsAre(L"First", L"Elsewhere"));

  SendToBack(first);  // now Second, Elsewhere, First
  form->RefreshTaskList();
  EXPECT_THAT(Titles(), ElementsAre(L"First", L"Elsewhere"));
  EXPECT_EQ(WindowOfRow(0), first);
}

TEST_F(TaskListTest, HiddenRowWindowIsReplacedByItsSiblingOnlyOneRefreshLater) {
  std::uintptr_t main = AddWindow("Main", 40);
  AddWindow("Tool", 40);
  AddWindow("Other", 41);
  form->RefreshTaskList();
  EXPECT_THAT(Titles(), ElementsAre(L"Main", L"Other"));

  fake::FindWindow(main)->style = 0;  // hidden
  form->RefreshTaskList();
  EXPECT_THAT(Titles(), ElementsAre(L"Other"));
  form->RefreshTaskList();
  EXPECT_THAT(Titles(), ElementsAre(L"Other", L"Tool"));
}

TEST_F(TaskListTest, RetitledWindowKeepsItsRowAndOneShownAgainGoesToTheBottom) {
  std::uintptr_t a = AddWindow("Before", 50);
  AddWindow("Below", 51);
  form->RefreshTaskList();
  fake::FindWindow(a)->title = "After";
  form->RefreshTaskList();
  EXPECT_THAT(Titles(), ElementsAre(L"After", L"Below"));
  EXPECT_EQ(WindowOfRow(0), a);

  fake::FindWindow(a)->style = 0;  // hidden and shown again: to the bottom
  form->RefreshTaskList();
  fake::FindWindow(a)->style = plat::kWsVisible;
  form->RefreshTaskList();
  EXPECT_THAT(Titles(), ElementsAre(L"Below", L"After"));
}

TEST_F(TaskListTest, AdjacentVanishedWindowsAllGoInOneRefresh) {
  AddWindow("A", 70);
  std::uintptr_t b = AddWindow("B", 71);
  std::uintptr_t c = AddWindow("C", 72);
  std::uintptr_t d = AddWindow("D", 73);
  AddWindow("E", 74);
  form->RefreshTaskList();
  fake::DestroyWindow(b);
  fake::DestroyWindow(c);
  fake::FindWindow(d)->style = 0;
  AddWindow("Also A", 70);  // A's row claims the process first
  form->RefreshTaskList();
  EXPECT_THAT(Titles(), ElementsAre(L"A", L"E"));
  ExpectOwnRecords();
}

TEST_F(TaskListTest, WindowDestroyedBeforeItsIconQueryShowsNoIconThenGoes) {
  AddWindow("Keep", 82, "Notepad", 0x801);
  fake::AddWindow({.title = "Closing",
                   .pid = 83,
                   .smallIcon = 0x802,
                   .classIcon = 0x803,
                   .closesOnMessage = true});
  form->RefreshTaskList();
  EXPECT_THAT(Titles(), ElementsAre(L"Keep", L"Closing"));
  EXPECT_EQ(plat::ListGetImage(List(), 1), -1);
  EXPECT_THAT(fake::ImageListIcons(form->TaskRows.ImageList), ElementsAre(0x801u));
  form->RefreshTaskList();
  EXPECT_THAT(Titles(), ElementsAre(L"Keep"));
  ExpectOwnRecords();
}

TEST_F(TaskListTest, ImageListIsRebuiltEachRefreshInHandlingOrder) {
  std::uintptr_t a = AddWindow("A", 90, "Notepad", 0xA1);
  AddWindow("B", 91, "Notepad", 0);
  form->RefreshTaskList();
  fake::FindWindow(a)->smallIcon = 0;
  fake::FindWindow(a)->bigIcon = 0xA2;
  AddWindow("C", 92, "Notepad", 0xC1);
  form->RefreshTaskList();
  EXPECT_THAT(fake::ImageListIcons(form->TaskRows.ImageList), ElementsAre(0xA2u, 0xC1u));
  EXPECT_EQ(plat::ListGetImage(List(), 0), 0);
  EXPECT_EQ(plat::ListGetImage(List(), 1), -1);
  EXPECT_EQ(plat::ListGetImage(List(), 2), 1);
  EXPECT_EQ(fake::CallLog("ImageListClear").size(), 2u);
}

// Rows redrawn by the last refresh, as "ListRedrawRow TaskListView <row>" entries.
std::vector<std::string> Redraws() { return fake::CallLog("ListRedrawRow"); }

TEST_F(TaskListTest, RowWhoseIconChangedBehindTheSameIndexIsRedrawnOnce) {
  const std::uintptr_t a = AddWindow("A", 130, "Notepad", 0xA1);
  const std::uintptr_t b = AddWindow("B", 131, "Notepad", 0xB1);
  form->RefreshTaskList();
  fake::ClearCallLog();
  form->RefreshTaskList();
  EXPECT_THAT(Redraws(), IsEmpty());  // nothing changed: nothing repainted

  fake::FindWindow(b)->smallIcon = 0xB2;
  form->RefreshTaskList();
  EXPECT_THAT(Redraws(), ElementsAre("ListRedrawRow TaskListView 1"));
  EXPECT_EQ(plat::ListGetImage(List(), 1), 1);
  fake::ClearCallLog();
  form->RefreshTaskList();
  EXPECT_THAT(Redraws(), IsEmpty());

  fake::FindWindow(a)->smallIcon = 0;  // to the class icon, also 0: no image at all
  form->RefreshTaskList();
  EXPECT_THAT(Redraws(), ElementsAre("ListRedrawRow TaskListView 0"));
  EXPECT_THAT(fake::ImageListIcons(form->TaskRows.ImageList), ElementsAre(0xB2u));
}

TEST_F(TaskListTest, WindowTooBusyToAnswerKeepsTheIconItShowedLast) {
  const std::uintptr_t busy =
      fake::AddWindow({.title = "Busy", .pid = 140, .smallIcon = 0x141, .classIcon = 0x142});
  fake::AddWindow({.title = "Busy from the start",
                   .pid = 143,
                   .smallIcon = 0x141,
                   .classIcon = 0x142,
                   .answerDelayMs = 500});
  fake::ClearCallLog();
  form->RefreshTaskList();
  // A window without a row yet has nothing to keep: its class icon.
  EXPECT_THAT(fake::ImageListIcons(form->TaskRows.ImageList), ElementsAre(0x141u, 0x142u));

  const struct {
    std::uint32_t delayMs;
    bool hung;
  } moments[] = {{kIconQueryTimeoutMs + 1, false}, {0, true}, {kIconQueryTimeoutMs + 1, false}};
  for (const auto& moment : moments) {
    fake::FindWindow(busy)->answerDelayMs = moment.delayMs;
    fake::FindWindow(busy)->hung = moment.hung;
    fake::ClearCallLog();
    form->RefreshTaskList();
    EXPECT_THAT(fake::ImageListIcons(form->TaskRows.ImageList), ElementsAre(0x141u, 0x142u));
    EXPECT_THAT(Redraws(), IsEmpty());
    EXPECT_EQ(fake::CallLog("SendGetIcon").size(), 2u);  // one unanswered query each
  }
  fake::FindWindow(busy)->answerDelayMs = 0;
  fake::FindWindow(busy)->smallIcon = 0;  // answers again, now without an icon of its own
  form->RefreshTaskList();
  EXPECT_THAT(fake::ImageListIcons(form->TaskRows.ImageList), ElementsAre(0x142u, 0x142u));
}

TEST_F(TaskListTest, RowOfAWindowWithTheTopBitSetIsMatchedInPlace) {
  fake::AddWindow({.handle = 0x80001234, .title = "High", .pid = 150});
  AddWindow("Low", 151);
  form->RefreshTaskList();
  fake::ClearCallLog();
  fake::FindWindow(0x80001234)->title = "Higher";
  form->RefreshTaskList();
  EXPECT_THAT(Titles(), ElementsAre(L"Higher", L"Low"));  // matched, not deleted and re-added
  EXPECT_EQ(WindowOfRow(0), 0x80001234u);
  EXPECT_THAT(fake::CallLog(), Contains("ListSetText TaskListView 0 0"));
  EXPECT_EQ(std::string_view(WindowKey(plat::WindowHandle{0x80001234})), "2147488308");
}

TEST_F(TaskListTest, RowWhoseProcessIsAlreadyClaimedAboveIsLeftUntouched) {
  AddWindow("A", 160, "Notepad", 0xA1);
  const std::uintptr_t b = AddWindow("B", 161, "Notepad", 0xB1);
  form->RefreshTaskList();

  fake::Window* moved = fake::FindWindow(b);
  moved->pid = 160;  // now of A's process, which A's row claims first
  moved->title = "B renamed";
  moved->smallIcon = 0xB2;
  fake::ClearCallLog();
  form->RefreshTaskList();
  EXPECT_THAT(Redraws(), ElementsAre("ListRedrawRow TaskListView 1"));  // its slot moved
  EXPECT_THAT(Titles(), ElementsAre(L"A", L"B"));
  EXPECT_EQ(static_cast<TWinInfo*>(plat::ListGetData(List(), 1))->Title, "B");
  EXPECT_EQ(plat::ListGetImage(List(), 1), 1);  // an index past the rebuilt list's end
  EXPECT_THAT(fake::ImageListIcons(form->TaskRows.ImageList), ElementsAre(0xA1u));
  ExpectOwnRecords();
}

TEST_F(TaskListTest, BatchUpdateEndsOnceAlsoWhenARowChangeFails) {
  AddWindow("A", 110);
  AddWindow("B", 111);
  form->RefreshTaskList();
  EXPECT_EQ(fake::Inspect(List()).updatePairs, 1);
  AddWindow("C", 112);
  fake::FailRowChangesFrom(List(), 1);  // both matches change nothing: at the new row
  EXPECT_THROW(form->RefreshTaskList(), std::runtime_error);
  EXPECT_EQ(fake::Inspect(List()).updatePairs, 2);
  EXPECT_EQ(fake::Inspect(List()).updateDepth, 0);
  fake::FailRowChangesFrom(List(), 0);
  form->RefreshTaskList();
  EXPECT_THAT(Titles(), ElementsAre(L"A", L"B", L"C"));
  AddWindow("D", 113);
  fake::FailRowChangesFrom(List(), 1, true);  // refused quietly: D's record is not leaked
  form->RefreshTaskList();
  fake::FailRowChangesFrom(List(), 0);
  form->RefreshTaskList();
  EXPECT_THAT(Titles(), ElementsAre(L"A", L"B", L"C", L"D"));
  ExpectOwnRecords();
}

TEST_F(TaskListTest, DestroyedWindowsRowsGoAndRecordsAreFreedWithTheFormAndOnClose) {
  // Leaks and double frees are caught by the address sanitizer of the test build.
  for (int i = 0; i < 5; ++i) AddWindow("W" + std::to_string(i), 120 + i);
  form->RefreshTaskList();
  form->RefreshTaskList();
  fake::DestroyWindow(WindowOfRow(2));
  fake::DestroyWindow(WindowOfRow(4));  // the last row's: deleted although it has no owner
  form->RefreshTaskList();
  EXPECT_THAT(Titles(), ElementsAre(L"W0", L"W1", L"W3"));
  form->OnClose();
  EXPECT_EQ(plat::ListGetData(List(), 0), nullptr);
}

}  // namespace
