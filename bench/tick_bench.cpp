// One refresh tick of the main window (process list, then task list) over the fake OS and
// the fake GUI, for desktops of 100, 1000 and 5000 processes with 20, 200 and 1000 windows,
// in three regimes: nothing changed, 10% of processes and windows replaced, table order
// shuffled, each with the caches as the previous tick left them and again with them emptied
// first (a tick comes once a second, after everything else the machine did). Also the two
// snapshots alone, to tell the lists' share from the snapshots'.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "app/CpuUseage.h"
#include "platform/fake/control/gui.h"
#include "sampling/uProcInfo.h"
#include "tests/support/os_population.h"

namespace {

enum class Regime { Steady, Replace10, Shuffled };

struct Desktop {
  Desktop(int processes, int windows) : population(processes, windows) {
    fake::ResetGui();
    form = std::make_unique<TMainForm>();
    form->TimerTimer();  // the first tick fills both lists
  }
  TOsPopulation population;
  std::unique_ptr<TMainForm> form;
};

// Pushes the caches' contents out: every line of a buffer larger than the last-level cache
// is written.
void EvictCaches() {
  static std::vector<std::uint8_t> buffer(64u << 20);
  for (std::size_t i = 0; i < buffer.size(); i += 64) ++buffer[i];
  benchmark::DoNotOptimize(buffer.data());
}

void Tick(benchmark::State& state, Regime regime, bool cold = false) {
  const int processes = static_cast<int>(state.range(0));
  const int windows = static_cast<int>(state.range(1));
  Desktop desktop(processes, windows);
  for (auto _ : state) {
    if (regime != Regime::Steady || cold) {
      state.PauseTiming();
      if (regime == Regime::Replace10) desktop.population.Replace(0.10);
      if (regime == Regime::Shuffled) desktop.population.Shuffle();
      if (cold) EvictCaches();
      state.ResumeTiming();
    }
    desktop.form->TimerTimer();
  }
  state.counters["rows"] = static_cast<double>(plat::ListRowCount(desktop.form->procListView) +
                                               plat::ListRowCount(desktop.form->TaskListView));
  state.SetItemsProcessed(state.iterations() * processes);
}

void BM_TickSteady(benchmark::State& state) { Tick(state, Regime::Steady); }
void BM_TickReplace10(benchmark::State& state) { Tick(state, Regime::Replace10); }
void BM_TickShuffled(benchmark::State& state) { Tick(state, Regime::Shuffled); }
void BM_TickSteadyCold(benchmark::State& state) { Tick(state, Regime::Steady, true); }
void BM_TickReplace10Cold(benchmark::State& state) { Tick(state, Regime::Replace10, true); }
void BM_TickShuffledCold(benchmark::State& state) { Tick(state, Regime::Shuffled, true); }

// Each list's refresh alone, nothing changed: where a steady tick's time goes.
template <void (TMainForm::*Refresh)()>
void RefreshOnly(benchmark::State& state) {
  Desktop desktop(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) (desktop.form.get()->*Refresh)();
}
void BM_ProcessRefreshSteady(benchmark::State& state) {
  RefreshOnly<&TMainForm::RefreshProcessList>(state);
}
void BM_TaskRefreshSteady(benchmark::State& state) {
  RefreshOnly<&TMainForm::RefreshTaskList>(state);
}

// Both snapshots and the freeing of their records, without any list work.
void BM_SnapshotsOnly(benchmark::State& state) {
  TOsPopulation population(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) {
    TProcList processes;
    GetProcessList(processes);
    TWinList windows;
    GetWindowList(windows);
    benchmark::DoNotOptimize(processes.Count() + windows.Count());
  }
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Args({100, 20})->Args({1000, 200})->Args({5000, 1000});
  b->ArgNames({"procs", "wins"});
  b->Unit(benchmark::kMicrosecond);
}

}  // namespace

BENCHMARK(BM_TickSteady)->Apply(Sizes);
BENCHMARK(BM_TickReplace10)->Apply(Sizes);
BENCHMARK(BM_TickShuffled)->Apply(Sizes);
// Emptying the caches costs milliseconds a tick: a fixed number of ticks keeps the run short.
BENCHMARK(BM_TickSteadyCold)->Apply(Sizes)->Iterations(200);
BENCHMARK(BM_TickReplace10Cold)->Apply(Sizes)->Iterations(200);
BENCHMARK(BM_TickShuffledCold)->Apply(Sizes)->Iterations(200);
BENCHMARK(BM_ProcessRefreshSteady)->Apply(Sizes);
BENCHMARK(BM_TaskRefreshSteady)->Apply(Sizes);
BENCHMARK(BM_SnapshotsOnly)->Apply(Sizes);
