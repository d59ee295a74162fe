// What reusing the last tick's work could break: rows compared with what they show instead of
// rewritten, snapshots filled into the storage of the previous one, task-row pictures kept by
// image-list slot.

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "platform/fake/control/gui.h"
#include "sampling/uProcInfo.h"
#include "tests/native/app_fixture.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

using ReuseTest = AppTest;

// After three ticks that change nothing, one value changes: the row shows it. The names and
// titles differ from the old ones only in their last characters.
TEST_F(ReuseTest, RowShowsAValueThatChangesAfterUnchangedTicks) {
  const struct {
    const char* what;
    void (*change)(fake::Process&);
    std::vector<std::wstring> row;
  } cases[] = {
      {"name",
       [](fake::Process& p) { p.name = u"a-rather-long-image-name-2.exe"; },
       {L"a-rather-long-image-name-2.exe", L"7", L"", L"00:01:01", L"8 K"}},
      {"cpu time",
       [](fake::Process& p) { p.userTime = Seconds(62); },
       {L"a-rather-long-image-name-1.exe", L"7", L"", L"00:01:02", L"8 K"}},
      {"memory",
       [](fake::Process& p) { p.workingSet = 9 * 1024; },
       {L"a-rather-long-image-name-1.exe", L"7", L"", L"00:01:01", L"9 K"}},
  };
  for (const auto& c : cases) {
    fake::ClearProcesses();
    AddProcess(7, u"a-rather-long-image-name-1.exe", 61, 8 * 1024);
    fake::Process* process = fake::FindProcess(7);  // held across the unchanged ticks
    for (int tick = 0; tick < 3; ++tick) form->RefreshProcessList();
    c.change(*process);
    form->RefreshProcessList();
    EXPECT_THAT(RowTexts(form->procListView, 0), ElementsAreArray(c.row)) << c.what;
  }

  const std::uintptr_t window = AddWindow("A document with a long title - 1", 30);
  for (int tick = 0; tick < 3; ++tick) form->RefreshTaskList();
  fake::FindWindow(window)->title = "A document with a long title - 2";
  form->RefreshTaskList();
  EXPECT_THAT(RowTexts(form->TaskListView, 0),
              ElementsAre(L"A document with a long title - 2", L"正在运行"));
}

// A snapshot taken into a list that held a larger or a smaller one holds exactly its own
// records, every field its own.
TEST_F(ReuseTest, SnapshotHoldsExactlyTheRecordsOfItsOwnTick) {
  // Each process: PID p, p seconds of CPU time, p kilobytes; each window: class "C" + title.
  using Desktop = std::vector<std::pair<std::uint32_t, std::u16string>>;
  const Desktop larger = {{4, u"first-long-name.exe"}, {8, u"second.exe"}, {12, u"third.exe"}};
  const Desktop smaller = {{9, u"b.exe"}};
  const struct {
    Desktop before, after;
    std::vector<std::string> records;
  } cases[] = {{larger, smaller, {"9 b.exe 9 9 9", "b.exe Cb.exe"}},
               {smaller,
                larger,
                {"4 first-long-name.exe 4 4 4", "8 second.exe 8 8 8", "12 third.exe 12 12 12",
                 "first-long-name.exe Cfirst-long-name.exe", "second.exe Csecond.exe",
                 "third.exe Cthird.exe"}}};
  for (const auto& c : cases) {
    TProcList processes;
    TWinList windows;
    for (const Desktop* desktop : {&c.before, &c.after}) {
      fake::ResetOs();
      fake::ClearProcesses();
      for (const auto& [pid, name] : *desktop) {
        AddProcess(pid, name.c_str(), pid, pid * 1024);
        AddWindow(std::string(name.begin(), name.end()), pid,
                  "C" + std::string(name.begin(), name.end()));
      }
      processes.Clear();
      GetProcessList(processes);
      windows.Clear();
      GetWindowList(windows);
    }
    std::vector<std::string> records;
    processes.ForEach([&](std::string_view key, const TProcInfo& p) {
      records.push_back(std::string(key) + " " + p.Name + " " + std::to_string(p.PID) + " " +
                        std::to_string(p.MemoryK) + " " +
                        std::to_string(std::lround(p.CpuTime * 86400)));
    });
    windows.ForEach([&](std::string_view, const TWinInfo& w) {
      records.push_back(w.Title + " " + w.ClassName);
    });
    EXPECT_EQ(records, c.records);
  }
}

// Each step changes the desktop, then one refresh: the rows whose picture changed are redrawn
// once (a row whose image index changed is repainted by the list itself, and is redrawn too
// only when its picture changed), the others not at all. An icon's image is copied when a row
// first shows it and when its window does not answer, and the copies live as long as a row
// shows them.
TEST_F(ReuseTest, RowsAreRedrawnWhereThePictureBehindTheirSlotChanged) {
  const std::uintptr_t a = AddWindow("A", 50, "Notepad", 0xA1);
  const std::uintptr_t b = AddWindow("B", 51, "Notepad", 0xB1);
  AddWindow("C", 52, "Notepad", 0xC1);
  form->RefreshTaskList();
  const struct {
    const char* what;
    void (*change)(std::uintptr_t a, std::uintptr_t b);
    std::vector<std::string> redraws;
    std::vector<std::uintptr_t> icons;
    std::size_t copies;
  } steps[] = {
      {"nothing", [](std::uintptr_t, std::uintptr_t) {}, {}, {0xA1, 0xB1, 0xC1}, 0},
      {"B's picture",
       [](std::uintptr_t, std::uintptr_t b) { fake::FindWindow(b)->smallIcon = 0xB2; },
       {"ListRedrawRow TaskListView 1"},
       {0xA1, 0xB2, 0xC1},
       1},
      {"A's picture gone, B and C move up a slot",
       [](std::uintptr_t a, std::uintptr_t) { fake::FindWindow(a)->smallIcon = 0; },
       {"ListRedrawRow TaskListView 0"},
       {0xB2, 0xC1},
       0},
      {"B's kept picture destroyed while B is busy: its class icon",
       [](std::uintptr_t, std::uintptr_t b) {
         fake::FindWindow(b)->classIcon = 0xB9;
         fake::FindWindow(b)->answerDelayMs = kIconQueryTimeoutMs + 1;
         fake::DestroyIcon(0xB2);
       },
       {"ListRedrawRow TaskListView 1"},
       {0xB9, 0xC1},
       1},
      {"nothing, B still busy", [](std::uintptr_t, std::uintptr_t) {}, {}, {0xB9, 0xC1}, 1},
  };
  for (const auto& step : steps) {
    step.change(a, b);
    fake::ClearCallLog();
    form->RefreshTaskList();
    EXPECT_EQ(fake::CallLog("ListRedrawRow"), step.redraws) << step.what;
    EXPECT_EQ(fake::ImageListIcons(form->TaskRows.ImageList), step.icons) << step.what;
    EXPECT_EQ(fake::CallLog("CopyIconImage").size(), step.copies) << step.what;
    EXPECT_EQ(fake::LiveIconImages(), static_cast<int>(step.icons.size())) << step.what;
  }
}

}  // namespace
