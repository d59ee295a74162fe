// The task list: one row per application window, brought in step with a fresh window
// snapshot on every tick. A row owns the TWinInfo attached to it.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>

#include "app/CpuUseage.h"
#include "app/list_batch.h"
#include "platform/drawing.h"
#include "platform/sysinfo.h"
#include "platform/windows_input.h"
#include "sampling/uProcInfo.h"

namespace {

const wchar_t kRunning[] = L"正在运行";

// The snapshot key of a window: its handle as an unsigned 32-bit decimal number.
std::string WindowKey(plat::WindowHandle window) {
  return std::to_string(static_cast<std::uint32_t>(window.value));
}

}  // namespace

void TMainForm::RefreshTaskList() {
  TWinList windows;
  std::unordered_set<std::uint32_t> seenPids;  // shared by both walks of this refresh

  // One row per process, except that every browser and Explorer window gets its own and
  // the desktop gets none.
  auto IsTaskWindow = [&seenPids](plat::WindowHandle window, const std::string& className) {
    if (className == "Progman") return false;
    if (className == "IEFrame" || className == "CabinetWClass") return true;
    std::uint32_t pid = 0;
    // A window that no longer exists has no owner to compare. Letting it through sends its
    // row on to the snapshot lookup, where it is deleted because the window is gone; a
    // rejection here would keep the row of a dead window for good.
    if (plat::GetWindowThreadProcessId(window, &pid) == 0) return true;
    return seenPids.insert(pid).second;
  };

  GetWindowList(windows);
  plat::ImageListClear(ImageList);

  TListBatch batch(TaskListView);
  const int rows = plat::ListRowCount(TaskListView);
  int position = 0;
  for (int pass = 0; pass < rows; ++pass) {
    auto* old = static_cast<TWinInfo*>(plat::ListGetData(TaskListView, position));
    if (!old) {
      // A row whose record could not be attached: nothing to show for it.
      plat::ListDeleteRow(TaskListView, position);
      continue;
    }
    if (!IsTaskWindow(old->WindowHandle, old->ClassName)) {
      ++position;
      continue;
    }
    std::unique_ptr<TWinInfo> fresh = windows.TakeFirst(WindowKey(old->WindowHandle));
    if (!fresh) {
      plat::ListDeleteRow(TaskListView, position);
      delete old;
      continue;
    }
    int image = plat::ImageListAddIcon(ImageList, GetWindowIcon(fresh->WindowHandle));
    plat::ListSetImage(TaskListView, position, image);
    plat::ListSetText(TaskListView, position, 0, plat::AnsiToWide(fresh->Title));
    plat::ListSetText(TaskListView, position, 1, kRunning);
    plat::ListSetData(TaskListView, position, fresh.release());
    delete old;
    ++position;
  }

  for (auto& [key, info] : windows.TakeRemaining()) {
    if (!IsTaskWindow(info->WindowHandle, info->ClassName)) continue;  // freed with `info`
    int image = plat::ImageListAddIcon(ImageList, GetWindowIcon(info->WindowHandle));
    int row = plat::ListAddRow(TaskListView, plat::AnsiToWide(info->Title));
    plat::ListSetImage(TaskListView, row, image);
    plat::ListSetText(TaskListView, row, 1, kRunning);
    plat::ListSetData(TaskListView, row, info.release());
  }
}
