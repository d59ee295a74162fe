// The task list: one row per application window, brought in step with a fresh window
// snapshot on every tick. A row owns the TWinInfo attached to it.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "app/CpuUseage.h"
#include "app/list_batch.h"
#include "platform/drawing.h"
#include "platform/sysinfo.h"
#include "platform/windows_input.h"
#include "sampling/uProcInfo.h"

namespace {

const wchar_t kRunning[] = L"正在运行";

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

  // The icon behind each image-list index of this refresh, and what each row shows once the
  // refresh is done (keyed like the rows). A row whose image index stays the same but whose
  // picture behind it changed is redrawn; the list sees only index changes by itself.
  std::vector<plat::IconHandle> images;
  std::unordered_map<std::string, plat::IconHandle> shown;
  struct UntouchedRow {
    int position;
    std::string key;
    int image;
  };
  std::vector<UntouchedRow> untouched;
  auto addIcon = [&](plat::WindowHandle window, const std::string& key) {
    const auto last = shownIcons_.find(key);
    const plat::IconHandle icon =
        GetWindowIcon(window, last != shownIcons_.end() ? last->second : plat::IconHandle{});
    const int index = plat::ImageListAddIcon(ImageList, icon);
    if (index >= 0) {
      if (images.size() <= static_cast<std::size_t>(index)) images.resize(index + 1);
      images[index] = icon;
    }
    shown[key] = index >= 0 ? icon : plat::IconHandle{};
    return index;
  };
  auto redrawIfChanged = [&](int position, const std::string& key) {
    const auto last = shownIcons_.find(key);
    if (last != shownIcons_.end() && last->second != shown[key]) {
      plat::ListRedrawRow(TaskListView, position);
    }
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
    const std::string key = WindowKey(old->WindowHandle);
    if (!IsTaskWindow(old->WindowHandle, old->ClassName)) {
      untouched.push_back({position, key, plat::ListGetImage(TaskListView, position)});
      ++position;
      continue;
    }
    std::unique_ptr<TWinInfo> fresh = windows.TakeFirst(key);
    if (!fresh) {
      plat::ListDeleteRow(TaskListView, position);
      delete old;
      continue;
    }
    const int image = addIcon(fresh->WindowHandle, key);
    plat::ListSetImage(TaskListView, position, image);
    plat::ListSetText(TaskListView, position, 0, plat::AnsiToWide(fresh->Title));
    plat::ListSetText(TaskListView, position, 1, kRunning);
    // The row's record takes the fresh one's fields and the fresh one goes, rather than
    // attaching a new object: a list view may repaint a row whose attached data changes, and
    // an unchanged row is not to be repainted on every tick.
    *old = std::move(*fresh);
    redrawIfChanged(position, key);
    ++position;
  }

  for (auto& [key, info] : windows.TakeRemaining()) {
    if (!IsTaskWindow(info->WindowHandle, info->ClassName)) continue;  // freed with `info`
    const int image = addIcon(info->WindowHandle, key);
    const int row = plat::ListAddRow(TaskListView, plat::AnsiToWide(info->Title));
    plat::ListSetImage(TaskListView, row, image);
    plat::ListSetText(TaskListView, row, 1, kRunning);
    plat::ListSetData(TaskListView, row, info.release());
  }

  // A row left untouched keeps its image index, which now points into the rebuilt list.
  for (const UntouchedRow& row : untouched) {
    const bool inList = row.image >= 0 && static_cast<std::size_t>(row.image) < images.size();
    shown[row.key] = inList ? images[row.image] : plat::IconHandle{};
    redrawIfChanged(row.position, row.key);
  }
  shownIcons_ = std::move(shown);
}
