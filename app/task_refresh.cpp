// The task list (app/task_rows.h).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/task_rows.h"

#include "app/list_batch.h"
#include "platform/drawing.h"
#include "platform/sysinfo.h"
#include "platform/windows_input.h"
#include "sampling/uProcInfo.h"

namespace {

const wchar_t kRunning[] = L"正在运行";

// The icon behind image-list index `index` in `slots`; none for -1 or an index beyond it.
plat::IconHandle SlotIcon(const std::vector<TIconSlot>& slots, int index) {
  return index >= 0 && static_cast<std::size_t>(index) < slots.size() ? slots[index].icon
                                                                      : plat::IconHandle{};
}
// Records `icon` and its image as what stands behind `index`; nothing for -1.
void SetSlot(std::vector<TIconSlot>& slots, int index, plat::IconHandle icon, TIconImage image) {
  if (index < 0) return;
  if (slots.size() <= static_cast<std::size_t>(index)) slots.resize(index + 1);
  slots[index] = TIconSlot{icon, std::move(image)};
}

}  // namespace

TTaskRows::~TTaskRows() {
  if (!list_) return;
  ReleaseRecords();
  if (ImageList) plat::DestroyImageList(ImageList);
}

void TTaskRows::Attach(plat::ListViewHandle list, int iconSize) {
  list_ = list;
  RenewImageList(iconSize);
}

void TTaskRows::ReleaseRecords() {
  const int rows = plat::ListRowCount(list_);
  for (int row = 0; row < rows; ++row) {
    delete static_cast<TWinInfo*>(plat::ListGetData(list_, row));
    plat::ListSetData(list_, row, nullptr);
  }
}

void TTaskRows::RenewImageList(int iconSize) {
  const plat::ImageListHandle fresh = plat::CreateSmallImageList(iconSize);
  // Each row gets the copy of the icon it showed, at the new size.
  const int rows = plat::ListRowCount(list_);
  std::vector<TIconSlot> slots;
  for (int row = 0; row < rows; ++row) {
    const plat::IconHandle icon = SlotIcon(slots_, plat::ListGetImage(list_, row));
    TIconImage image(plat::CopyIconImage(fresh, icon));
    const int index = plat::ImageListAddImage(fresh, image.get());
    SetSlot(slots, index, icon, std::move(image));
    plat::ListSetImage(list_, row, index);
  }
  slots_ = std::move(slots);
  plat::ListSetImageList(list_, fresh);
  if (ImageList) plat::DestroyImageList(ImageList);
  ImageList = fresh;
}

void TTaskRows::Refresh() {
  // One row per process, except that every browser and Explorer window gets its own and
  // the desktop gets none.
  auto IsTaskWindow = [this](plat::WindowHandle window, const std::string& className) {
    if (className == "Progman") return false;
    if (className == "IEFrame" || className == "CabinetWClass") return true;
    std::uint32_t pid = 0;
    // A window that no longer exists has no owner to compare. Letting it through sends its
    // row on to the snapshot lookup, where it is deleted because the window is gone; a
    // rejection here would keep the row of a dead window for good.
    if (plat::GetWindowThreadProcessId(window, &pid) == 0) return true;
    return seenPids_.insert(pid).second;
  };

  // Adds the window's icon to the image list; `oldImage` is the index its row showed last.
  nextSlots_.clear();
  auto addIcon = [&](plat::WindowHandle window, int oldImage) {
    const plat::IconHandle last = SlotIcon(slots_, oldImage);
    bool kept = false;
    plat::IconHandle icon = GetWindowIcon(window, last, &kept);
    // The window hands out the icon its row showed (so its index is in range): the copy made
    // of it then goes in again. A kept icon (the window did not answer) is copied afresh, as
    // its owner may have destroyed it since.
    TIconImage image;
    if (icon && icon == last && !kept) image = std::move(slots_[oldImage].image);
    if (!image) image = TIconImage(plat::CopyIconImage(ImageList, icon));
    if (!image && kept) {
      // The kept picture's owner has destroyed it since: the class icon, as for any other
      // failed query.
      icon = plat::GetClassIcon(window);
      image = TIconImage(plat::CopyIconImage(ImageList, icon));
    }
    const int index = plat::ImageListAddImage(ImageList, image.get());
    SetSlot(nextSlots_, index, icon, std::move(image));
    return index;
  };
  // A row whose picture changed is redrawn: the list itself sees only index changes, and not
  // a new picture behind the same index.
  auto redrawIfChanged = [&](int position, int oldImage, int image) {
    if (SlotIcon(nextSlots_, image) != SlotIcon(slots_, oldImage)) {
      plat::ListRedrawRow(list_, position);
    }
  };

  windows_.Clear();
  GetWindowList(windows_);
  plat::ImageListClear(ImageList);

  TListBatch batch(list_);
  const int rows = plat::ListRowCount(list_);
  seenPids_.clear();
  untouched_.clear();
  int position = 0;
  for (int pass = 0; pass < rows; ++pass) {
    auto* old = static_cast<TWinInfo*>(plat::ListGetData(list_, position));
    if (!old) {
      // A row whose record could not be attached: nothing to show for it.
      if (!plat::ListDeleteRow(list_, position)) ++position;
      continue;
    }
    const int oldImage = plat::ListGetImage(list_, position);
    const TWinInfo* fresh = nullptr;
    if (IsTaskWindow(old->WindowHandle, old->ClassName)) {
      fresh = windows_.TakeFirst(WindowKey(old->WindowHandle));
      // A row the list refused to delete keeps its record, as though left alone.
      if (!fresh && plat::ListDeleteRow(list_, position)) {
        delete old;
        continue;
      }
    }
    if (!fresh) {
      untouched_.emplace_back(position, oldImage);
      ++position;
      continue;
    }
    const int image = addIcon(fresh->WindowHandle, oldImage);
    if (image != oldImage) plat::ListSetImage(list_, position, image);
    // The status was set with the row and never changes.
    if (fresh->Title != old->Title) {
      plat::ListSetText(list_, position, 0, plat::AnsiToWide(fresh->Title));
    }
    // The row's record takes the fresh one's fields, rather than attaching a new object: a
    // list view may repaint a row whose attached data changes, and an unchanged row is not
    // to be repainted on every tick.
    *old = *fresh;
    redrawIfChanged(position, oldImage, image);
    ++position;
  }

  windows_.ForEach([&](std::string_view, const TWinInfo& info) {
    if (!IsTaskWindow(info.WindowHandle, info.ClassName)) return;
    const int image = addIcon(info.WindowHandle, -1);
    auto record = std::make_unique<TWinInfo>(info);
    const int row = plat::ListAddRow(list_, plat::AnsiToWide(info.Title));
    if (row < 0) return;
    plat::ListSetImage(list_, row, image);
    plat::ListSetText(list_, row, 1, kRunning);
    // The row owns its record once it holds it; a row without one goes at the next refresh.
    if (plat::ListSetData(list_, row, record.get())) record.release();
  });

  // A row left untouched keeps its image index, which now points into the rebuilt list.
  for (const auto& [row, image] : untouched_) redrawIfChanged(row, image, image);
  std::swap(slots_, nextSlots_);
  nextSlots_.clear();  // the copies of pictures no row shows any more
}
