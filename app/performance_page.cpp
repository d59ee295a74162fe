// The performance page: the two history graphs and the sampler thread that draws them.

#include "app/performance_page.h"

#include <cmath>
#include <string>

#include "app/CpuUseage.h"
#include "graphs/TSetThread.h"
#include "graphs/TUseage.h"
#include "platform/gui.h"
#include "sampling/MemInfo.h"

TUseage* CpuGraph = nullptr;
TUseage* MemGraph = nullptr;
TSetThread* SetThread = nullptr;

namespace {

// value / 1024 in floating point, rounded to the nearest integer with ties to even.
long long Kilobytes(double bytes) { return std::llrint(std::nearbyint(bytes / 1024.0)); }

}  // namespace

void TMainForm::StartGraphs() {
  const plat::Rect cpuRect = plat::ControlRect(CpuImg);
  const plat::Rect memRect = plat::ControlRect(memImg);
  SetThread = CreateSampler(cpuRect.height, cpuRect.width, memRect.height, memRect.width);
  CpuGraph = SetThread->CpuGraph;
  MemGraph = SetThread->MemGraph;
  // The thread is still suspended: nothing draws on the images yet.
  plat::PictureSetImage(CpuImg, CpuGraph->View());
  plat::PictureSetImage(memImg, MemGraph->View());
  SetThread->Resume();
}

void TMainForm::UpdateGraphs() {
  if (CpuGraph == nullptr || SetThread == nullptr) return;
  // The copies are taken between two passes; once the thread has released its images the
  // pictures keep the last frame.
  SetThread->WithFrames([this](const TUseage& cpu, const TUseage& mem) {
    plat::PictureSetImage(CpuImg, cpu.View());
    plat::PictureSetImage(memImg, mem.View());
  });
  plat::RepaintNow(memPanel);
  plat::RepaintNow(CpuPanel);

  const TSetThread::Sample sample = SetThread->ReadSample();
  plat::StatusSetText(StatusBar, 1, L"CPU 使用：" + std::to_wstring(sample.cpuUsage) + L"%");
  const MemoryInUse memory = UsedMemory(sample.memStatus, sample.memStatusEx);
  plat::StatusSetText(StatusBar, 2,
                      L"内存使用：" + std::to_wstring(Kilobytes(static_cast<double>(memory.used))) +
                          L"/" + std::to_wstring(Kilobytes(static_cast<double>(memory.total))));
}

bool EndSampler(std::uint32_t timeoutMs) {
  if (SetThread == nullptr) return true;
  SetThread->Terminate();
  if (!SetThread->WaitFor(timeoutMs)) return false;
  delete SetThread;
  SetThread = nullptr;
  CpuGraph = nullptr;
  MemGraph = nullptr;
  return true;
}

void TMainForm::StopGraphs() {
  if (SetThread != nullptr) SetThread->Terminate();
}
