// Soak: 10,000 refresh ticks of the main window over a desktop that never stops changing
// (processes starting and ending, PIDs reused, windows appearing, hiding, retitled, their
// icons changing, the Z order reshuffled), with the sampler thread drawing 10,000 passes
// beside them. After every tick both lists must equal what a plain, independent reconcile of
// the same snapshots gives. Run under AddressSanitizer and UndefinedBehaviorSanitizer, it
// also proves that nothing leaks and nothing is touched after its release.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/CpuUseage.h"
#include "app/performance_page.h"
#include "app/process_rows.h"
#include "graphs/TSetThread.h"
#include "graphs/TUseage.h"
#include "platform/constants.h"
#include "platform/drawing.h"
#include "platform/fake/control/gui.h"
#include "platform/fake/control/os.h"
#include "platform/fake/control/sysinfo.h"
#include "platform/sysinfo.h"
#include "platform/threads.h"
#include "platform/windows_input.h"
#include "sampling/uProcInfo.h"
#include "sampling/unitUseage.h"
#include "tests/support/os_population.h"

namespace {

constexpr int kTicks = 10000;
constexpr int kPasses = 10000;

// The process list as the plain algorithm keeps it: rows of texts, matched by a scan of the
// snapshot from its start.
class ReferenceProcessList {
 public:
  struct Row {
    std::wstring name, pid, cpuTime, memory;
  };

  void Refresh() {
    TProcList list;
    GetProcessList(list);
    auto snapshot = list.TakeRemaining();
    const std::wstring separator = plat::LocaleTimeSeparator();
    auto texts = [&separator](const TProcInfo& info) {
      return Row{plat::AnsiToWide(info.Name), std::to_wstring(info.PID),
                 FormatCpuTime(info.CpuTime, separator), FormatMemoryK(info.MemoryK)};
    };
    std::vector<Row> kept;
    for (const Row& row : rows) {
      // A row whose PID is not in the snapshot is dropped.
      for (auto& [key, info] : snapshot) {
        if (info && std::wstring(key.begin(), key.end()) == row.pid) {
          kept.push_back(texts(*info));
          info.reset();
          break;
        }
      }
    }
    for (auto& [key, info] : snapshot) {
      if (info) kept.push_back(texts(*info));
    }
    rows = std::move(kept);
  }

  std::vector<Row> rows;
};

// The task list as the plain algorithm keeps it.
class ReferenceTaskList {
 public:
  struct Row {
    std::wstring title;
    std::uintptr_t icon = 0;
    std::uintptr_t window = 0;
    std::string className;
  };

  void Refresh() {
    TWinList list;
    GetWindowList(list);
    auto snapshot = list.TakeRemaining();
    std::vector<std::uint32_t> seen;
    auto isTaskWindow = [&seen](std::uintptr_t window, const std::string& className) {
      if (className == "Progman") return false;
      if (className == "IEFrame" || className == "CabinetWClass") return true;
      std::uint32_t pid = 0;
      if (plat::GetWindowThreadProcessId(plat::WindowHandle{window}, &pid) == 0) return true;
      for (std::uint32_t s : seen) {
        if (s == pid) return false;
      }
      seen.push_back(pid);
      return true;
    };
    std::vector<Row> kept;
    for (const Row& row : rows) {
      if (!isTaskWindow(row.window, row.className)) {
        kept.push_back(row);
        continue;
      }
      for (auto& [key, info] : snapshot) {
        if (info && key == std::to_string(static_cast<std::uint32_t>(row.window))) {
          kept.push_back(Make(*info));
          info.reset();
          break;
        }
      }
    }
    for (auto& [key, info] : snapshot) {
      if (info && isTaskWindow(info->WindowHandle.value, info->ClassName)) {
        kept.push_back(Make(*info));
      }
    }
    rows = std::move(kept);
  }

  std::vector<Row> rows;

 private:
  static Row Make(const TWinInfo& info) {
    return Row{plat::AnsiToWide(info.Title), GetWindowIcon(info.WindowHandle).value,
               info.WindowHandle.value, info.ClassName};
  }
};

// One tick's worth of change on the desktop.
void Churn(TOsPopulation& desktop, std::vector<std::uint32_t>& ended) {
  std::mt19937& random = desktop.Random();
  const auto pick = [&random](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  const auto& pids = desktop.Pids();
  const auto& windows = desktop.Windows();
  switch (random() % 12) {
    case 0:
    case 1:
      if (pids.size() > 12) {
        const std::uint32_t pid = pids[1 + pick(pids.size() - 1)];
        desktop.EndProcess(pid);
        ended.push_back(pid);
      }
      break;
    case 2:
      desktop.StartProcess();
      break;
    case 3:
      // A PID the system hands out again, to a different program.
      if (!ended.empty()) {
        const std::uint32_t pid = ended[pick(ended.size())];
        std::erase(ended, pid);
        if (!fake::ProcessExists(pid)) desktop.StartProcess(pid);
      }
      break;
    case 4:
      if (windows.size() < 20) desktop.OpenWindow();
      break;
    case 5:
      if (windows.size() > 5) desktop.CloseWindow(windows[1 + pick(windows.size() - 1)]);
      break;
    default:
      break;
  }
  // Every tick: a few windows change in place.
  for (int k = 0; k < 3 && windows.size() > 1; ++k) {
    fake::Window* w = fake::FindWindow(windows[1 + pick(windows.size() - 1)]);
    if (w == nullptr) continue;
    switch (random() % 6) {
      case 0:
        w->style ^= plat::kWsVisible;  // hidden, or shown again
        break;
      case 1:
        w->title = "Title " + std::to_string(random() % 1000);
        break;
      case 2:
        w->title = random() % 2 ? "   " : " padded ";
        break;
      case 3:
        w->smallIcon = random() % 3 ? 0 : 0x6000 + random() % 512;
        break;
      case 4:
        w->bigIcon = random() % 3 ? 0 : 0xA000 + random() % 512;
        break;
      default:
        w->title = std::string(150, static_cast<char>('a' + random() % 26));
        break;
    }
  }
  // Now and then the whole table and the Z order come back in another order.
  if (random() % 97 == 0) desktop.Shuffle();
}

// Callers add the tick's trace.
void ExpectSameProcessRows(plat::ListViewHandle list, const ReferenceProcessList& reference) {
  ASSERT_EQ(plat::ListRowCount(list), static_cast<int>(reference.rows.size()));
  for (int r = 0; r < plat::ListRowCount(list); ++r) {
    SCOPED_TRACE(::testing::Message() << "row " << r);
    const auto& want = reference.rows[static_cast<std::size_t>(r)];
    ASSERT_EQ(plat::ListGetText(list, r, 0), want.name);
    ASSERT_EQ(plat::ListGetText(list, r, 1), want.pid);
    ASSERT_EQ(plat::ListGetText(list, r, 2), L"");
    ASSERT_EQ(plat::ListGetText(list, r, 3), want.cpuTime);
    ASSERT_EQ(plat::ListGetText(list, r, 4), want.memory);
  }
}

void ExpectSameTaskRows(const TMainForm& form, const ReferenceTaskList& reference) {
  const plat::ListViewHandle list = form.TaskListView;
  ASSERT_EQ(plat::ListRowCount(list), static_cast<int>(reference.rows.size()));
  const std::vector<std::uintptr_t> icons = fake::ImageListIcons(form.ImageList);
  for (int r = 0; r < plat::ListRowCount(list); ++r) {
    SCOPED_TRACE(::testing::Message() << "row " << r);
    const auto& want = reference.rows[static_cast<std::size_t>(r)];
    ASSERT_EQ(plat::ListGetText(list, r, 0), want.title);
    ASSERT_EQ(plat::ListGetText(list, r, 1), L"正在运行");
    const auto* info = static_cast<const TWinInfo*>(plat::ListGetData(list, r));
    ASSERT_NE(info, nullptr);
    ASSERT_EQ(info->WindowHandle.value, want.window);
    const int image = plat::ListGetImage(list, r);
    if (want.icon == 0) {
      ASSERT_EQ(image, -1);
    } else {
      ASSERT_GE(image, 0);
      ASSERT_LT(image, static_cast<int>(icons.size()));
      ASSERT_EQ(icons[static_cast<std::size_t>(image)], want.icon);
    }
  }
}

TEST(Soak, TenThousandTicksWithChurnStayInStepWithAPlainReconcile) {
  fake::ResetGui();
  fake::ResetCounters();
  fake::SetAdvancePerQuery(10'000'000, 15'000'000);
  ResetCpuUsageState();
  TOsPopulation desktop(24, 10, 20240601);
  desktop.StartProcess(0xFFFFFFF0u);  // read as a signed PID: shown as -16
  auto form = std::make_unique<TMainForm>();
  ReferenceProcessList processes;
  ReferenceTaskList tasks;

  // The sampler thread runs its passes back to back beside the ticks until it has made
  // 10,000; every tick shows a copy of its latest frames, as the window does.
  auto* sampler = new TSetThread;
  sampler->CpuGraph = new TUseage(86, 256);
  sampler->MemGraph = new TUseage(86, 256);
  sampler->SleepMs = 0;
  sampler->Resume();

  std::vector<std::uint32_t> ended;
  for (int tick = 0; tick < kTicks; ++tick) {
    if (tick > 0) Churn(desktop, ended);
    fake::ClearGuiLog();
    form->TimerTimer();
    sampler->WithFrames([&form](const TUseage& cpu, const TUseage& mem) {
      plat::PictureSetImage(form->CpuImg, cpu.View());
      plat::PictureSetImage(form->memImg, mem.View());
    });
    processes.Refresh();
    tasks.Refresh();
    SCOPED_TRACE(::testing::Message() << "tick " << tick);
    ExpectSameProcessRows(form->procListView, processes);
    ExpectSameTaskRows(*form, tasks);
    if (HasFatalFailure()) break;
    ASSERT_EQ(fake::OpenHandleCount(), 0);
    if (tick % 1000 == 999) fake::ClearQueryCalls();
    if (sampler->PassCount() >= kPasses) sampler->Terminate();
  }

  const std::uint64_t deadline = plat::MonotonicMilliseconds() + 120000;
  while (sampler->PassCount() < kPasses && plat::MonotonicMilliseconds() < deadline) {
    plat::Sleep(1);
  }
  EXPECT_GE(sampler->PassCount(), kPasses);
  sampler->Terminate();
  ASSERT_TRUE(sampler->WaitFor(10000));
  EXPECT_EQ(sampler->CpuGraph, nullptr);  // released by the thread at its end
  EXPECT_EQ(sampler->MemGraph, nullptr);
  EXPECT_FALSE(sampler->WithFrames([](const TUseage&, const TUseage&) {}));
  delete sampler;

  form.reset();
  EXPECT_TRUE(fake::Violations().empty());
  EXPECT_EQ(fake::LiveImageLists(), 0);
  EXPECT_EQ(fake::OpenHandleCount(), 0);
}

}  // namespace
