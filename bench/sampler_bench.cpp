// One pass of the sampler thread over two 256 x 86 graphs: both images cleared, gridded and
// drawn from their histories, then a CPU and a memory sample taken (fake counters).

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "graphs/TSetThread.h"
#include "graphs/TUseage.h"
#include "platform/fake/control/os.h"
#include "platform/threads.h"
#include "sampling/MemInfo.h"
#include "sampling/unitUseage.h"
#include "tests/support/probe.h"

namespace {

// The steps of one pass, as the thread body runs them, with histories that fill the graphs.
void BM_SamplerPass(benchmark::State& state) {
  fake::ResetCounters();
  fake::Os()->advance = {10'000'000, 20'000'000};
  CpuSampleState cpuState;
  TUseage cpu(86, 256);
  TUseage mem(86, 256);
  std::vector<std::int32_t> cpuHistory(256), memHistory(256);
  for (std::size_t i = 0; i < 256; ++i) {
    cpuHistory[i] = static_cast<std::int32_t>((i * 37) % 100);
    memHistory[i] = static_cast<std::int32_t>(40 + (i * 11) % 30);
  }
  const std::int32_t cpuScale = CpuScale(cpu.Height());
  for (auto _ : state) {
    cpu.ClearImage();
    cpu.DrawGrid();
    mem.ClearImage();
    mem.DrawGrid();
    cpu.SetPenColor(TSetThread::kCpuLineColor);
    mem.SetPenColor(TSetThread::kMemLineColor);
    DrawHistory(cpu, cpuHistory, cpu.Height() + 1);
    DrawHistory(mem, memHistory, mem.Height() + 1);
    cpuHistory.back() = CpuSampleHeight(GetCpuUsage(cpuState), cpuScale);
    ReadMemoryStatus(MemStatus, MemStatusEx);
    memHistory.back() = MemorySampleHeight(MemStatus, MemStatusEx, mem.Height());
  }
  benchmark::DoNotOptimize(cpu.ScanLine(0)[255 * 3]);
}

// The real thread with no sleep between passes: the wall time of one pass, lock included.
void BM_SamplerThreadPasses(benchmark::State& state) {
  fake::ResetCounters();
  fake::Os()->advance = {10'000'000, 20'000'000};
  auto* thread = new TSetThread;
  thread->CpuGraph = new TUseage(86, 256);
  thread->MemGraph = new TUseage(86, 256);
  thread->SleepMs = 0;
  thread->Resume();
  for (auto _ : state) {
    const int before = probe::PassCount(*thread);
    const std::uint64_t deadline = probe::MonotonicMilliseconds() + 5000;
    while (probe::PassCount(*thread) == before) {
      if (probe::MonotonicMilliseconds() > deadline) {
        state.SkipWithError("the sampler thread made no pass within 5 s");
        break;
      }
    }
  }
  thread->Terminate();
  thread->WaitFor(5000);
  delete thread;
}

}  // namespace

BENCHMARK(BM_SamplerPass)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SamplerThreadPasses)->Unit(benchmark::kMicrosecond)->UseRealTime();

BENCHMARK_MAIN();
