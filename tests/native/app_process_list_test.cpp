// The process list refresh: rows kept in step with the process table.

#include <algorithm>
#include <stdexcept>

#include "app/process_rows.h"
#include "tests/native/app_fixture.h"

using ::testing::ElementsAre;

namespace {

class ProcessListTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    fake::ClearProcesses();
  }
  plat::ListViewHandle List() const { return form->procListView; }
  std::vector<std::wstring> Names() const { return ColumnTexts(List(), 0); }
  std::vector<std::wstring> Pids() const { return ColumnTexts(List(), 1); }
  void SetWorkingSetK(std::uint32_t pid, std::uint64_t k) {
    fake::FindProcess(pid)->workingSet = k * 1024;
  }
};

TEST_F(ProcessListTest, FirstRefreshShowsEveryProcessInTableOrder) {
  AddProcess(0, nullptr, 0, 999 * 1024);
  AddProcess(700, u"b.exe", 3725, 2048 * 1024);
  AddProcess(12, u"a.exe", 59, 16 * 1024);
  form->RefreshProcessList();

  ASSERT_EQ(plat::ListRowCount(List()), 3);
  EXPECT_THAT(RowTexts(List(), 0), ElementsAre(L"System Idle", L"0", L"", L"00:00:00", L"16 K"));
  EXPECT_THAT(RowTexts(List(), 1), ElementsAre(L"b.exe", L"700", L"", L"01:02:05", L"2048 K"));
  EXPECT_THAT(RowTexts(List(), 2), ElementsAre(L"a.exe", L"12", L"", L"00:00:59", L"16 K"));
  EXPECT_EQ(plat::StatusGetText(form->StatusBar, 0), L"进程数：3");
}

TEST_F(ProcessListTest, CpuTimeShowsTimeOfDayWithTheLocaleSeparator) {
  AddProcess(1, u"day.exe", 90000);
  AddProcess(2, u"under.exe", 0);
  fake::FindProcess(2)->userTime = Seconds(60) - 1;  // just under a minute: 59 whole seconds
  form->RefreshProcessList();
  EXPECT_THAT(ColumnTexts(List(), 3), ElementsAre(L"01:00:00", L"00:00:59"));

  fake::Os()->timeSeparator = L".";
  fake::FindProcess(1)->userTime = Seconds(3725);
  form->RefreshProcessList();
  EXPECT_THAT(ColumnTexts(List(), 3), ElementsAre(L"01.02.05", L"00.00.59"));
}

TEST_F(ProcessListTest, FormatsRecoverWholeSecondsAndKilobytes) {
  const struct {
    int seconds;
    const wchar_t* text;
  } cases[] = {{0, L"00:00:00"},     {1, L"00:00:01"},     {59, L"00:00:59"},
               {60, L"00:01:00"},    {3599, L"00:59:59"},  {3725, L"01:02:05"},
               {86399, L"23:59:59"}, {86400, L"00:00:00"}, {90000, L"01:00:00"},
               {608461, L"01:01:01"}};  // 7 days, 1 h, 1 min, 1 s
  std::wstring text = L"left over";     // each format writes over what the buffer held
  for (const auto& c : cases) {
    FormatCpuTime(text, c.seconds / 86400.0, L":");
    EXPECT_EQ(text, c.text) << c.seconds;
  }
  FormatMemoryK(text, 0);
  EXPECT_EQ(text, L"0 K");
  FormatMemoryK(text, 4294967295u);
  EXPECT_EQ(text, L"4294967295 K");
}

TEST_F(ProcessListTest, EndedProcessesLoseTheirRowsAndTheRestAreUpdated) {
  for (std::uint32_t pid : {10, 20, 30, 40, 50, 60}) AddProcess(pid, u"p.exe", 0, 4 * 1024);
  form->RefreshProcessList();

  fake::RemoveProcess(20);  // in the middle
  fake::RemoveProcess(40);  // adjacent pair
  fake::RemoveProcess(50);
  for (std::uint32_t pid : {10, 30, 60}) SetWorkingSetK(pid, pid);
  form->RefreshProcessList();
  EXPECT_THAT(Pids(), ElementsAre(L"10", L"30", L"60"));
  EXPECT_THAT(ColumnTexts(List(), 4), ElementsAre(L"10 K", L"30 K", L"60 K"));

  fake::RemoveProcess(60);  // the last row
  form->RefreshProcessList();
  EXPECT_THAT(Pids(), ElementsAre(L"10", L"30"));
}

TEST_F(ProcessListTest, ReusedPidKeepsItsRowUnderTheNewNameAndNewOnesAreAppended) {
  AddProcess(500, u"old.exe");
  AddProcess(600, u"b.exe");
  form->RefreshProcessList();
  fake::RemoveProcess(500);
  AddProcess(500, u"new.exe");  // now below 600 in the table
  form->RefreshProcessList();
  EXPECT_THAT(Names(), ElementsAre(L"new.exe", L"b.exe"));
  EXPECT_THAT(Pids(), ElementsAre(L"500", L"600"));
  AddProcess(600, u"c.exe");  // the PID's process replaced in place
  form->RefreshProcessList();
  EXPECT_THAT(Names(), ElementsAre(L"new.exe", L"c.exe"));
  AddProcess(50, u"small.exe");  // a new process is appended, even with a smaller PID
  form->RefreshProcessList();
  EXPECT_THAT(Pids(), ElementsAre(L"500", L"600", L"50"));
}

TEST_F(ProcessListTest, SelectedRowStaysSelectedWhileRowsAboveGo) {
  for (std::uint32_t pid : {1, 2, 3}) AddProcess(pid, u"p.exe");
  form->RefreshProcessList();
  probe::ListSelectRow(List(), 2);
  fake::RemoveProcess(1);
  form->RefreshProcessList();
  ASSERT_EQ(plat::ListSelectedRow(List()), 1);
  EXPECT_EQ(plat::ListGetText(List(), 1, 1), L"3");
}

TEST_F(ProcessListTest, CountIncludesTheIdleEntryAndIsWrittenBeforeRowsChange) {
  AddProcess(0, nullptr);
  for (std::uint32_t pid = 1; pid < 30; ++pid) AddProcess(pid * 4, u"p.exe");
  form->RefreshProcessList();
  EXPECT_EQ(plat::StatusGetText(form->StatusBar, 0), L"进程数：30");

  fake::RemoveProcess(8);
  fake::ClearCallLog();
  form->RefreshProcessList();
  const auto& log = fake::CallLog();
  auto status = std::find(log.begin(), log.end(), "StatusSetText StatusBar 0");
  auto begin = std::find(log.begin(), log.end(), "ListBeginUpdate procListView");
  auto del = std::find(log.begin(), log.end(), "ListDeleteRow procListView 2");
  ASSERT_NE(status, log.end());
  ASSERT_NE(del, log.end());
  EXPECT_LT(status, begin);
  EXPECT_LT(begin, del);
  EXPECT_EQ(plat::StatusGetText(form->StatusBar, 0), L"进程数：29");
}

TEST_F(ProcessListTest, FailedSnapshotLeavesRowsAndBatchUntouched) {
  AddProcess(1, u"p.exe");
  form->RefreshProcessList();
  AddProcessThatFailsToOpen(2);  // the last record: its failure reaches the caller
  EXPECT_ANY_THROW(form->RefreshProcessList());
  EXPECT_EQ(fake::Inspect(List()).updateDepth, 0);
  EXPECT_EQ(fake::Inspect(List()).updatePairs, 1);
  EXPECT_THAT(Pids(), ElementsAre(L"1"));
}

TEST_F(ProcessListTest, FailedRowChangeStillEndsTheBatch) {
  for (std::uint32_t pid : {1, 2, 3}) AddProcess(pid, u"p.exe");
  form->RefreshProcessList();
  fake::RemoveProcess(2);
  fake::FailRowChangesFrom(List(), 1);  // the unchanged rows change nothing: at the deletion
  EXPECT_THROW(form->RefreshProcessList(), std::runtime_error);
  EXPECT_EQ(fake::Inspect(List()).updateDepth, 0);
  EXPECT_EQ(fake::Inspect(List()).updatePairs, 2);

  fake::FailRowChangesFrom(List(), 0);
  form->RefreshProcessList();
  EXPECT_THAT(Pids(), ElementsAre(L"1", L"3"));

  // Changes the list refuses (Windows, out of memory) leave the refresh going, and the next
  // one writes every row afresh: here the rows all in the new time format.
  fake::Os()->timeSeparator = L".";
  fake::FailRowChangesFrom(List(), 2, true);  // the first row's caption, then nothing more
  form->RefreshProcessList();
  fake::FailRowChangesFrom(List(), 0);
  form->RefreshProcessList();
  EXPECT_THAT(ColumnTexts(List(), 3), ElementsAre(L"00.00.00", L"00.00.00"));
}

}  // namespace
