// The performance page: the two history graphs and the sampler thread that draws them.

#include "app/performance_page.h"

#include <cmath>
#include <cstring>
#include <string>

#include "app/CpuUseage.h"
#include "app/layout.h"
#include "app/process_rows.h"
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

plat::RasterView ScaleNearest(const plat::RasterView& from, int width, int height,
                              std::vector<std::uint8_t>& pixels) {
  if ((from.width == width && from.height == height) || from.width <= 0 || from.height <= 0 ||
      width <= 0 || height <= 0) {
    return from;
  }
  const int stride = width * 3;
  pixels.resize(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* source =
        from.bits + static_cast<std::size_t>(y * from.height / height) * from.stride;
    std::uint8_t* row = pixels.data() + static_cast<std::size_t>(y) * stride;
    for (int x = 0; x < width; ++x) {
      std::memcpy(row + 3 * x, source + 3 * (x * from.width / width), 3);
    }
  }
  return plat::RasterView{pixels.data(), width, height, stride};
}

void TMainForm::StartGraphs() {
  // The images keep the table's size at every DPI; the pictures show them scaled.
  const plat::Rect cpuRect = DesignRect(CpuImg);
  const plat::Rect memRect = DesignRect(memImg);
  SetThread = CreateSampler(cpuRect.height, cpuRect.width, memRect.height, memRect.width);
  CpuGraph = SetThread->CpuGraph;
  MemGraph = SetThread->MemGraph;
  // The thread is still suspended: nothing draws on the images yet.
  ShowGraphFrames();
  SetThread->Resume();
}

void TMainForm::ShowGraphFrames() {
  if (CpuGraph == nullptr || SetThread == nullptr) return;
  const plat::Rect cpuBox = PlacedRect(CpuImg);
  const plat::Rect memBox = PlacedRect(memImg);
  // The copies are taken between two passes; once the thread has released its images the
  // pictures keep the last frame.
  SetThread->WithFrames([&](const TUseage& cpu, const TUseage& mem) {
    plat::PictureSetImage(CpuImg,
                          ScaleNearest(cpu.View(), cpuBox.width, cpuBox.height, cpuPixels_));
    plat::PictureSetImage(memImg,
                          ScaleNearest(mem.View(), memBox.width, memBox.height, memPixels_));
  });
}

void TMainForm::UpdateGraphs() {
  if (CpuGraph == nullptr || SetThread == nullptr) return;
  ShowGraphFrames();
  plat::RepaintNow(memPanel);
  plat::RepaintNow(CpuPanel);

  const TSetThread::Sample sample = SetThread->ReadSample();
  plat::StatusSetText(StatusBar, 1, L"CPU 使用：" + DecimalText(sample.cpuUsage) + L"%");
  const MemoryInUse memory = UsedMemory(sample.memStatus, sample.memStatusEx);
  plat::StatusSetText(StatusBar, 2,
                      L"内存使用：" + DecimalText(Kilobytes(static_cast<double>(memory.used))) +
                          L"/" + DecimalText(Kilobytes(static_cast<double>(memory.total))));
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
