// Fuzz target: the window snapshot and the task list refresh over windows with arbitrary
// titles and class names (any bytes, NULs, lone lead bytes of the double-byte code page,
// texts longer than the 100-character buffers). Input: per window, a flags byte (bit 0
// visible, bits 1-3 icons, bits 4-7 the owner), a length byte and the class name, a length
// byte and the title. Every entry must keep to the buffers' limits and the filter's rules,
// and the refresh must keep one row per accepted window.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/CpuUseage.h"
#include "platform/constants.h"
#include "platform/fake/control/gui.h"
#include "platform/fake/control/os.h"
#include "platform/gui.h"
#include "sampling/uProcInfo.h"

namespace {

bool Blank(const std::string& title) {
  for (char c : title) {
    if (static_cast<unsigned char>(c) > 32) return false;
  }
  return true;
}

std::string TakeText(const std::uint8_t*& data, std::size_t& size) {
  if (size == 0) return {};
  std::size_t length = data[0];
  ++data;
  --size;
  if (length > size) length = size;
  std::string text(reinterpret_cast<const char*>(data), length);
  data += length;
  size -= length;
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fake::ResetOs();
  fake::ResetGui();
  int added = 0;
  while (size > 0 && added < 64) {
    const std::uint8_t flags = data[0];
    ++data;
    --size;
    fake::Window window;
    window.style = (flags & 1) ? plat::kWsVisible : 0;
    window.className = TakeText(data, size);
    window.title = TakeText(data, size);
    window.smallIcon = (flags & 2) ? 0x1000u + added : 0;
    window.bigIcon = (flags & 4) ? 0x2000u + added : 0;
    window.classIcon = (flags & 8) ? 0x3000u + added : 0;
    window.pid = 100 + (flags >> 4);
    fake::AddWindow(window);
    ++added;
  }

  TWinList list;
  GetWindowList(list);
  list.ForEach([](std::string_view key, const TWinInfo& info) {
    if (info.Title.size() > 99 || info.ClassName.size() > 99) std::abort();
    if (Blank(info.Title)) std::abort();
    if (info.Title.find('\0') != std::string::npos) std::abort();
    if (key != std::to_string(static_cast<std::uint32_t>(info.WindowHandle.value))) std::abort();
  });
  const std::size_t accepted = list.Count();

  {
    TMainForm form;
    form.RefreshTaskList();
    form.RefreshTaskList();  // the second refresh matches the rows the first one added
    const int rows = plat::ListRowCount(form.TaskListView);
    if (rows < 0 || static_cast<std::size_t>(rows) > accepted) std::abort();
    for (int r = 0; r < rows; ++r) {
      if (plat::ListGetData(form.TaskListView, r) == nullptr) std::abort();
      plat::ListGetText(form.TaskListView, r, 0);
    }
  }
  if (!fake::Violations().empty()) std::abort();
  return 0;
}
