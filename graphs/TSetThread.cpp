#include "graphs/TSetThread.h"

#include <cmath>
#include <utility>

#include "platform/os_layouts.h"
#include "sampling/MemInfo.h"
#include "sampling/unitUseage.h"

namespace {

std::int32_t RowOf(std::int32_t baseline, std::int32_t value) {
  return SaturateToInt32(static_cast<double>(static_cast<std::int64_t>(baseline) - value));
}

void StoreNewest(std::vector<std::int32_t>& history, std::int32_t value) {
  if (!history.empty()) history.back() = value;
}

}  // namespace

std::int32_t CpuScale(int height) { return SaturateToInt32(std::nearbyint(height / 100.0)); }

std::int32_t CpuSampleHeight(std::int32_t usage, std::int32_t scale) {
  // An int64 beyond 2^53 that the conversion rounds lies far outside the 32-bit range.
  return SaturateToInt32(static_cast<double>(static_cast<std::int64_t>(usage) * scale));
}

std::int32_t MemorySampleHeight(const plat::MemoryStatus& status,
                                const plat::MemoryStatusEx& extended, std::int32_t scale) {
  const MemoryInUse memory = UsedMemory(status, extended);
  if (memory.total == 0) return 0;
  const double share = static_cast<double>(memory.used) / static_cast<double>(memory.total);
  return SaturateToInt32(std::nearbyint(share * scale));
}

void DrawHistory(TUseage& image, std::vector<std::int32_t>& history, std::int32_t baseline) {
  for (std::size_t i = 0; i + 1 < history.size(); ++i) {
    image.DrawSegment(static_cast<std::int32_t>(i), RowOf(baseline, history[i]),
                      static_cast<std::int32_t>(i + 1), RowOf(baseline, history[i + 1]));
    history[i] = history[i + 1];
  }
}

TSetThread* CreateSampler(int cpuHeight, int cpuWidth, int memHeight, int memWidth) {
  auto* cpu = new TUseage(cpuHeight, cpuWidth);
  auto* mem = new TUseage(memHeight, memWidth);
  cpu->DrawGrid();
  mem->DrawGrid();
  auto* thread = new TSetThread;
  thread->CpuGraph = cpu;
  thread->MemGraph = mem;
  MemStatus.dwLength = kNativeLayout.memoryStatusSize;
  return thread;
}

TSetThread::TSetThread() { handle_ = plat::CreateSuspendedThread(&TSetThread::Entry, this); }

TSetThread::~TSetThread() { plat::CloseThread(handle_); }

void TSetThread::Resume() { plat::ResumeThread(handle_); }

void TSetThread::Terminate() {
  terminated_.store(true);
  wake_.Set();
}

bool TSetThread::WaitFor(std::uint32_t timeoutMs) {
  return plat::WaitForThread(handle_, timeoutMs);
}

TSetThread::Sample TSetThread::ReadSample() {
  plat::LockGuard guard(lock_);
  Sample sample;
  sample.cpuUsage = CpuUsage.load();
  sample.memStatus = MemStatus;
  sample.memStatusEx = MemStatusEx;
  return sample;
}

void TSetThread::Entry(void* self) {
  // An error ends the thread quietly: the histories go, the images stay as last drawn.
  try {
    static_cast<TSetThread*>(self)->Execute();
  } catch (...) {
  }
}

void TSetThread::Execute() {
  CpuSampleState cpuState;
  std::vector<std::int32_t> cpuHistory, memHistory;
  std::int32_t cpuScale = 0, memScale = 0, cpuBaseline = 0, memBaseline = 0;
  {
    plat::LockGuard guard(lock_);
    if (CpuGraph == nullptr || MemGraph == nullptr) return;  // started without its images
    cpuHistory.assign(static_cast<std::size_t>(CpuGraph->Width()), 0);
    memHistory.assign(static_cast<std::size_t>(MemGraph->Width()), 0);
    cpuScale = CpuScale(CpuGraph->Height());
    memScale = MemGraph->Height();
    StoreNewest(cpuHistory, CpuSampleHeight(GetCpuUsage(cpuState), cpuScale));
    ReadMemoryStatus(MemStatus, MemStatusEx);
    StoreNewest(memHistory, MemorySampleHeight(MemStatus, MemStatusEx, memScale));
    cpuBaseline = CpuGraph->Height() + 1;
    memBaseline = MemGraph->Height() + 1;
  }

  while (!terminated_.load()) {
    {
      plat::LockGuard guard(lock_);
      CpuGraph->ClearImage();
      CpuGraph->DrawGrid();
      MemGraph->ClearImage();
      MemGraph->DrawGrid();
      CpuGraph->SetPenColor(kCpuLineColor);
      MemGraph->SetPenColor(kMemLineColor);
      DrawHistory(*CpuGraph, cpuHistory, cpuBaseline);
      DrawHistory(*MemGraph, memHistory, memBaseline);
      StoreNewest(cpuHistory, CpuSampleHeight(GetCpuUsage(cpuState), cpuScale));
      ReadMemoryStatus(MemStatus, MemStatusEx);
      StoreNewest(memHistory, MemorySampleHeight(MemStatus, MemStatusEx, memScale));
    }
    passes_.fetch_add(1);
    wake_.Wait(SleepMs);
  }

  plat::LockGuard guard(lock_);
  delete std::exchange(CpuGraph, nullptr);
  delete std::exchange(MemGraph, nullptr);
}
