#pragma once
// The task list's rows and the icons they show.

#include <cstdint>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/drawing.h"
#include "platform/types.h"
#include "sampling/uProcInfo.h"

// The program's copy of an icon's image (platform/drawing.h), destroyed with its holder.
class TIconImage {
 public:
  TIconImage() = default;
  explicit TIconImage(plat::IconImageHandle image) : image_(image) {}
  TIconImage(TIconImage&& other) noexcept : image_(std::exchange(other.image_, {})) {}
  // The image replaced goes with `other`.
  TIconImage& operator=(TIconImage&& other) noexcept {
    std::swap(image_, other.image_);
    return *this;
  }
  ~TIconImage() {
    if (image_) plat::DestroyIconImage(image_);
  }
  plat::IconImageHandle get() const { return image_; }
  explicit operator bool() const { return static_cast<bool>(image_); }

 private:
  plat::IconImageHandle image_;
};

// What stands behind one image-list index: the icon and the copy of its image that was added.
struct TIconSlot {
  plat::IconHandle icon;
  TIconImage image;
};

// The task list: one row per application window, brought in step with a fresh window
// snapshot on every tick. It owns the list's image list, what stands behind each of its
// indexes, and the TWinInfo attached to each row.
class TTaskRows {
 public:
  TTaskRows() = default;
  ~TTaskRows();
  TTaskRows(const TTaskRows&) = delete;
  TTaskRows& operator=(const TTaskRows&) = delete;

  // Takes the list, and gives it an image list of icons `iconSize` pixels square.
  void Attach(plat::ListViewHandle list, int iconSize);
  void Refresh();
  // A new image list of icons `iconSize` pixels square, holding the icons the rows show; the
  // old list is destroyed.
  void RenewImageList(int iconSize);
  // Frees the rows' records.
  void ReleaseRecords();

  plat::ImageListHandle ImageList;

 private:
  plat::ListViewHandle list_;
  TWinList windows_;  // the snapshot's storage, kept from one refresh to the next
  std::unordered_set<std::uint32_t> seenPids_;  // emptied by each refresh, its buckets kept
  // What stands behind each image-list index after the last refresh, and during this one.
  std::vector<TIconSlot> slots_;
  std::vector<TIconSlot> nextSlots_;
  std::vector<std::pair<int, int>> untouched_;  // (position, image index) of rows left alone
};
