// What reusing the last tick's work could break: rows compared with what they show instead of
// rewritten, snapshots filled into the storage of the previous one, task-row pictures kept by
// image-list slot.

#include <string>
#include <utility>
#include <vector>

#include "platform/fake/control/drawing.h"
#include "sampling/uProcInfo.h"
#include "tests/native/app_fixture.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

class ReuseTest : public AppTest {
 protected:
  // Rows redrawn since the log was cleared.
  static std::vector<std::string> Redraws() {
    std::vector<std::string> out;
    for (const std::string& entry : fake::GuiLog()) {
      if (entry.rfind("ListRedrawRow", 0) == 0) out.push_back(entry);
    }
    return out;
  }
};

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
    for (int tick = 0; tick < 3; ++tick) form->RefreshProcessList();
    c.change(*fake::FindProcess(7));
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
  using Table = std::vector<std::pair<std::uint32_t, std::u16string>>;
  const Table larger = {{4, u"first-long-name.exe"}, {8, u"second.exe"}, {12, u"third.exe"}};
  const Table smaller = {{9, u"b.exe"}};
  const std::pair<Table, Table> cases[] = {{larger, smaller}, {smaller, larger}};
  for (const auto& [before, after] : cases) {
    TProcList list;
    for (const Table* table : {&before, &after}) {
      fake::ClearProcesses();
      for (const auto& [pid, name] : *table) AddProcess(pid, name.c_str(), pid, pid * 1024);
      list.Clear();
      GetProcessList(list);
    }
    std::vector<std::string> seen;
    list.ForEach([&seen](const std::string& key, const TProcInfo& info) {
      seen.push_back(key + " " + info.Name + " " + std::to_string(info.PID) + " " +
                     std::to_string(info.MemoryK) + " " +
                     std::to_string(static_cast<int>(info.CpuTime * 86400 + 0.5)));
    });
    std::vector<std::string> expected;
    for (const auto& [pid, name] : after) {
      const std::string n(name.begin(), name.end());
      const std::string p = std::to_string(pid);
      expected.push_back(p + " " + n + " " + p + " " + p + " " + p);
    }
    EXPECT_EQ(seen, expected);
    for (const auto& [pid, name] : before) EXPECT_EQ(list.Find(std::to_string(pid)), nullptr);
  }

  const std::vector<std::string> titles[] = {{"One long title", "Two", "Three"}, {"Four"}};
  TWinList windows;
  for (const auto& set : titles) {
    std::vector<std::uintptr_t> handles;
    for (const std::string& title : set) handles.push_back(AddWindow(title, 40, "Class " + title));
    windows.Clear();
    GetWindowList(windows);
    for (std::uintptr_t handle : handles) fake::DestroyWindow(handle);
  }
  std::vector<std::string> seen;
  windows.ForEach([&seen](const std::string&, const TWinInfo& info) {
    seen.push_back(info.Title + "/" + info.ClassName);
  });
  EXPECT_THAT(seen, ElementsAre("Four/Class Four"));
}

// Each step changes the desktop, then one refresh: the rows whose picture changed are redrawn
// once (a row whose image index changed is repainted by the list itself, and is redrawn too
// only when its picture changed), the others not at all.
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
  } steps[] = {
      {"nothing", [](std::uintptr_t, std::uintptr_t) {}, {}, {0xA1, 0xB1, 0xC1}},
      {"B's picture",
       [](std::uintptr_t, std::uintptr_t b) { fake::FindWindow(b)->smallIcon = 0xB2; },
       {"ListRedrawRow TaskListView 1"},
       {0xA1, 0xB2, 0xC1}},
      {"A's picture gone, B and C move up a slot",
       [](std::uintptr_t a, std::uintptr_t) { fake::FindWindow(a)->smallIcon = 0; },
       {"ListRedrawRow TaskListView 0"},
       {0xB2, 0xC1}},
      {"B's kept picture destroyed while B is busy: its class icon",
       [](std::uintptr_t, std::uintptr_t b) {
         fake::FindWindow(b)->classIcon = 0xB9;
         fake::FindWindow(b)->answerDelayMs = kIconQueryTimeoutMs + 1;
         fake::DestroyIcon(0xB2);
       },
       {"ListRedrawRow TaskListView 1"},
       {0xB9, 0xC1}},
      {"nothing, B still busy", [](std::uintptr_t, std::uintptr_t) {}, {}, {0xB9, 0xC1}},
  };
  for (const auto& step : steps) {
    step.change(a, b);
    fake::ClearGuiLog();
    form->RefreshTaskList();
    EXPECT_EQ(Redraws(), step.redraws) << step.what;
    EXPECT_EQ(fake::ImageListIcons(form->ImageList), step.icons) << step.what;
  }
}

}  // namespace
