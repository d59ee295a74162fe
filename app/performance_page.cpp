// The performance page: the two history graphs and the sampler thread that draws them.

#include "app/performance_page.h"

#include <cmath>
#include <cstring>
#include <string>

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

void TPerformancePage::Place(const TGraphBox& cpu, const TGraphBox& mem) {
  cpu_.place = cpu;
  mem_.place = mem;
  Show();
}

void TPerformancePage::Start() {
  // The images keep the table's size at every DPI; the pictures show them scaled.
  const TSize cpu = cpu_.place.image;
  const TSize mem = mem_.place.image;
  SetThread = CreateSampler(cpu.height, cpu.width, mem.height, mem.width);
  CpuGraph = SetThread->CpuGraph;
  MemGraph = SetThread->MemGraph;
  // The thread is still suspended: nothing draws on the images yet.
  Show();
  SetThread->Resume();
}

void TPerformancePage::Show() {
  if (CpuGraph == nullptr || SetThread == nullptr) return;
  auto show = [](Graph& graph, const TUseage& image) {
    const TSize box = graph.place.box;
    plat::PictureSetImage(graph.place.picture,
                          ScaleNearest(image.View(), box.width, box.height, graph.pixels));
  };
  // The copies are taken between two passes; once the thread has released its images the
  // pictures keep the last frame.
  SetThread->WithFrames([&](const TUseage& cpu, const TUseage& mem) {
    show(cpu_, cpu);
    show(mem_, mem);
  });
}

void TPerformancePage::Update(plat::StatusBarHandle status) {
  if (CpuGraph == nullptr || SetThread == nullptr) return;
  Show();
  plat::RepaintNow(mem_.place.panel);
  plat::RepaintNow(cpu_.place.panel);

  const TSetThread::Sample sample = SetThread->ReadSample();
  SetReading(cpu_, status, 1, L"CPU 使用：" + DecimalText(sample.cpuUsage) + L"%");
  const MemoryInUse memory = UsedMemory(sample.memStatus, sample.memStatusEx);
  SetReading(mem_, status, 2,
             L"内存使用：" + DecimalText(Kilobytes(static_cast<double>(memory.used))) + L"/" +
                 DecimalText(Kilobytes(static_cast<double>(memory.total))));
}

void TPerformancePage::SetReading(Graph& graph, plat::StatusBarHandle status, int part,
                                  const std::wstring& text) {
  plat::StatusSetText(status, part, text);
  // A screen reader announces every new value: an unchanged one is not given again.
  if (text == graph.value) return;
  graph.value = text;
  plat::PictureSetValue(graph.place.picture, text);
}

bool TPerformancePage::Stop(std::uint32_t waitMs) {
  if (SetThread == nullptr) return true;
  SetThread->Terminate();
  if (waitMs == 0 || !SetThread->WaitFor(waitMs)) return false;
  delete SetThread;
  SetThread = nullptr;
  CpuGraph = MemGraph = nullptr;
  return true;
}
