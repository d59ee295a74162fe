// The task list: one row per application window, brought in step with a fresh window
// snapshot on every tick. A row owns the TWinInfo attached to it.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
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
  TTaskRows& state = taskRows_;
  TWinList& windows = state.windows;

  // One row per process, except that every browser and Explorer window gets its own and
  // the desktop gets none.
  auto IsTaskWindow = [&state](plat::WindowHandle window, const std::string& className) {
    if (className == "Progman") return false;
    if (className == "IEFrame" || className == "CabinetWClass") return true;
    std::uint32_t pid = 0;
    // A window that no longer exists has no owner to compare. Letting it through sends its
    // row on to the snapshot lookup, where it is deleted because the window is gone; a
    // rejection here would keep the row of a dead window for good.
    if (plat::GetWindowThreadProcessId(window, &pid) == 0) return true;
    return state.seenPids.insert(pid).second;
  };

  // Adds the window's icon to the image list; `oldImage` is the index its row showed last.
  state.nextSlots.clear();
  auto addIcon = [&](plat::WindowHandle window, int oldImage) {
    const plat::IconHandle last = SlotIcon(state.slots, oldImage);
    bool kept = false;
    plat::IconHandle icon = GetWindowIcon(window, last, &kept);
    // The window hands out the icon its row showed: the copy made of it then goes in again.
    // A kept icon (the window did not answer) is copied afresh, as its owner may have
    // destroyed it since.
    TIconImage image;
    if (icon && icon == last && !kept) image = TakeSlotImage(state.slots, oldImage);
    if (!image) image = TIconImage(plat::CopyIconImage(ImageList, icon));
    if (!image && kept) {
      // The kept picture's owner has destroyed it since: the class icon, as for any other
      // failed query.
      icon = plat::GetClassIcon(window);
      image = TIconImage(plat::CopyIconImage(ImageList, icon));
    }
    const int index = plat::ImageListAddImage(ImageList, image.get());
    SetSlot(state.nextSlots, index, icon, std::move(image));
    return index;
  };
  // A row whose picture changed is redrawn: the list itself sees only index changes, and not
  // a new picture behind the same index.
  auto redrawIfChanged = [&](int position, int oldImage, int image) {
    if (SlotIcon(state.nextSlots, image) != SlotIcon(state.slots, oldImage)) {
      plat::ListRedrawRow(TaskListView, position);
    }
  };

  windows.Clear();
  GetWindowList(windows);
  plat::ImageListClear(ImageList);

  TListBatch batch(TaskListView);
  const int rows = plat::ListRowCount(TaskListView);
  state.seenPids.clear();
  std::vector<std::pair<int, int>>& untouched = state.untouched;
  untouched.clear();
  int position = 0;
  for (int pass = 0; pass < rows; ++pass) {
    auto* old = static_cast<TWinInfo*>(plat::ListGetData(TaskListView, position));
    if (!old) {
      // A row whose record could not be attached: nothing to show for it.
      if (!plat::ListDeleteRow(TaskListView, position)) ++position;
      continue;
    }
    const int oldImage = plat::ListGetImage(TaskListView, position);
    if (!IsTaskWindow(old->WindowHandle, old->ClassName)) {
      untouched.emplace_back(position, oldImage);
      ++position;
      continue;
    }
    const TWinInfo* fresh = windows.TakeFirst(WindowKey(old->WindowHandle));
    // A row the list refused to delete keeps its record, as though left alone.
    if (!fresh && plat::ListDeleteRow(TaskListView, position)) {
      delete old;
      continue;
    }
    if (!fresh) {
      untouched.emplace_back(position, oldImage);
      ++position;
      continue;
    }
    const int image = addIcon(fresh->WindowHandle, oldImage);
    if (image != oldImage) plat::ListSetImage(TaskListView, position, image);
    // The status was set with the row and never changes.
    if (fresh->Title != old->Title) {
      plat::ListSetText(TaskListView, position, 0, plat::AnsiToWide(fresh->Title));
    }
    // The row's record takes the fresh one's fields, rather than attaching a new object: a
    // list view may repaint a row whose attached data changes, and an unchanged row is not
    // to be repainted on every tick.
    *old = *fresh;
    redrawIfChanged(position, oldImage, image);
    ++position;
  }

  windows.ForEach([&](std::string_view, const TWinInfo& info) {
    if (!IsTaskWindow(info.WindowHandle, info.ClassName)) return;
    const int image = addIcon(info.WindowHandle, -1);
    auto record = std::make_unique<TWinInfo>(info);
    const int row = plat::ListAddRow(TaskListView, plat::AnsiToWide(info.Title));
    if (row < 0) return;
    plat::ListSetImage(TaskListView, row, image);
    plat::ListSetText(TaskListView, row, 1, kRunning);
    // The row owns its record once it holds it; a row without one goes at the next refresh.
    if (plat::ListSetData(TaskListView, row, record.get())) record.release();
  });

  // A row left untouched keeps its image index, which now points into the rebuilt list.
  for (const auto& [row, image] : untouched) redrawIfChanged(row, image, image);
  std::swap(state.slots, state.nextSlots);
  state.nextSlots.clear();  // the copies of pictures no row shows any more
}
