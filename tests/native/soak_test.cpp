// Soak: 10,000 refresh ticks of the main window over a desktop that never stops changing
// (processes starting and ending, PIDs reused, windows appearing, hiding, retitled, their
// icons changing, the Z order reshuffled), with the sampler thread drawing 10,000 passes
// beside them. After every tick both lists must hold the processes and windows that the
// desktop itself says they should, in the order they should. Run under AddressSanitizer and
// UndefinedBehaviorSanitizer, it also proves that nothing leaks and nothing is touched after its
// release.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <memory>
#include <random>
#include <set>
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
#include "platform/sysinfo.h"
#include "platform/threads.h"
#include "platform/windows_input.h"
#include "sampling/uProcInfo.h"
#include "sampling/unitUseage.h"
#include "tests/native/app_fixture.h"
#include "tests/support/os_population.h"
#include "tests/support/probe.h"

namespace {

constexpr int kTicks = 10000;
constexpr int kPasses = 10000;

// What the lists must hold, read from the simulated desktop itself rather than through the
// program's snapshots: the PIDs of the process list (rows stay while their process lives, new
// processes follow in table order) and the windows of the task list.
struct Expected {
  std::vector<std::uint32_t> pids;
  std::vector<std::uintptr_t> windows;

  void Refresh(const TOsPopulation& desktop) {
    std::vector<std::uint32_t> pids2;
    for (std::uint32_t pid : pids) {
      if (fake::ProcessExists(pid)) pids2.push_back(pid);
    }
    for (std::uint32_t pid : desktop.Pids()) {
      if (std::find(pids2.begin(), pids2.end(), pid) == pids2.end()) pids2.push_back(pid);
    }
    pids = std::move(pids2);
    // A window is listed while it is shown with a title that is not all blanks. One row per
    // process (a row keeps its process's place: a process's other windows get no row while
    // it has one), but every browser and Explorer window has its own and the desktop none.
    auto listed = [](const fake::Window* w) {
      return w && (w->style & plat::kWsVisible) &&
             std::any_of(w->title.begin(), w->title.end(), [](char c) { return c > ' '; });
    };
    auto ownRow = [](const fake::Window* w) {
      return w->className == "IEFrame" || w->className == "CabinetWClass";
    };
    std::set<std::uint32_t> claimed;
    std::vector<std::uintptr_t> kept;
    for (std::uintptr_t handle : windows) {
      const fake::Window* w = fake::FindWindow(handle);
      if (!w) continue;
      const bool first = ownRow(w) || claimed.insert(w->pid).second;
      if (!first || listed(w)) kept.push_back(handle);
    }
    for (std::uintptr_t handle : desktop.Windows()) {
      const fake::Window* w = fake::FindWindow(handle);
      if (!listed(w) || w->className == "Progman" ||
          std::find(kept.begin(), kept.end(), handle) != kept.end()) {
        continue;
      }
      if (ownRow(w) || claimed.insert(w->pid).second) kept.push_back(handle);
    }
    windows = std::move(kept);
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

// What a process row must show, worked out from the simulated process itself.
std::vector<std::wstring> ProcessRowTexts(std::uint32_t pid) {
  const fake::Process& p = *fake::FindProcess(pid);
  const std::int64_t s = (p.userTime + p.kernelTime) / 10'000'000;
  std::uint64_t k = p.workingSet / 1024;
  const std::uint64_t rest = p.workingSet % 1024;
  if (rest > 512 || (rest == 512 && k % 2 == 1)) ++k;  // to the nearest, ties to even
  const bool named = p.name && !p.name->empty();
  wchar_t time[32];
  std::swprintf(time, 32, L"%02lld:%02lld:%02lld", static_cast<long long>(s / 3600 % 24),
                static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
  return {named ? std::wstring(p.name->begin(), p.name->end()) : L"System Idle",
          std::to_wstring(static_cast<std::int32_t>(pid)), L"", time,
          std::to_wstring(!named      ? 16
                          : p.canOpen ? k
                                      : 0) +
              L" K"};
}

// Callers add the tick's trace.
void ExpectRows(const TMainForm& form, const Expected& expected) {
  ASSERT_EQ(plat::ListRowCount(form.procListView), static_cast<int>(expected.pids.size()));
  for (std::size_t r = 0; r < expected.pids.size(); ++r) {
    ASSERT_EQ(RowTexts(form.procListView, static_cast<int>(r)), ProcessRowTexts(expected.pids[r]))
        << "process row " << r;
  }
  const plat::ListViewHandle list = form.TaskListView;
  ASSERT_EQ(plat::ListRowCount(list), static_cast<int>(expected.windows.size()));
  const std::vector<std::uintptr_t> icons = fake::ImageListIcons(form.TaskRows.ImageList);
  for (int r = 0; r < plat::ListRowCount(list); ++r) {
    SCOPED_TRACE(::testing::Message() << "task row " << r);
    ASSERT_EQ(WindowOfRow(list, r), expected.windows[static_cast<std::size_t>(r)]);
    // Its title as far as the snapshot reads it (99 characters), and its status.
    const fake::Window* w = fake::FindWindow(WindowOfRow(list, r));
    const std::string title = w->title.substr(0, 99);
    ASSERT_EQ(RowTexts(list, r),
              (std::vector<std::wstring>{{title.begin(), title.end()}, L"正在运行"}));
    // Its small icon, else its big one, else its class's.
    const std::uintptr_t icon = w->smallIcon ? w->smallIcon
                                : w->bigIcon ? w->bigIcon
                                             : w->classIcon;
    const int image = plat::ListGetImage(list, r);
    ASSERT_EQ(image < 0 ? 0 : icons.at(static_cast<std::size_t>(image)), icon);
  }
}

TEST(Soak, TenThousandTicksWithChurnStayInStepWithTheDesktop) {
  fake::ResetGui();
  ResetSampling();
  fake::Os()->advance = {10'000'000, 15'000'000};
  TOsPopulation desktop(24, 10, 20240601);
  desktop.StartProcess(0xFFFFFFF0u);  // read as a signed PID: shown as -16
  auto form = std::make_unique<TMainForm>();
  Expected expected;

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
    fake::ClearCallLog();
    form->TimerTimer();
    sampler->WithFrames([&form](const TUseage& cpu, const TUseage& mem) {
      plat::PictureSetImage(form->CpuImg, cpu.View());
      plat::PictureSetImage(form->memImg, mem.View());
    });
    expected.Refresh(desktop);
    SCOPED_TRACE(::testing::Message() << "tick " << tick);
    ExpectRows(*form, expected);
    if (HasFatalFailure()) break;
    ASSERT_EQ(fake::OpenHandleCount(), 0);
    if (probe::PassCount(*sampler) >= kPasses) sampler->Terminate();
  }

  const std::uint64_t deadline = probe::MonotonicMilliseconds() + 120000;
  while (probe::PassCount(*sampler) < kPasses && probe::MonotonicMilliseconds() < deadline) {
    probe::Sleep(1);
  }
  EXPECT_GE(probe::PassCount(*sampler), kPasses);
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
