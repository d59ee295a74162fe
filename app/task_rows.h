#pragma once
// What the task list keeps from one refresh to the next: the window snapshot's storage, the
// seen-PID set's and what stands behind each image-list index.

#include <cstddef>
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
  TIconImage& operator=(TIconImage&& other) noexcept {
    if (this != &other) {
      if (image_) plat::DestroyIconImage(image_);
      image_ = std::exchange(other.image_, {});
    }
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

// The icon behind image-list index `index` in `slots`; none for -1 or an index beyond it.
inline plat::IconHandle SlotIcon(const std::vector<TIconSlot>& slots, int index) {
  return index >= 0 && static_cast<std::size_t>(index) < slots.size() ? slots[index].icon
                                                                      : plat::IconHandle{};
}
// Takes the image copy behind `index` out of `slots` (its icon stays); none for -1.
inline TIconImage TakeSlotImage(std::vector<TIconSlot>& slots, int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= slots.size()) return {};
  return std::move(slots[index].image);
}
// Records `icon` and its image as what stands behind `index`; nothing for -1.
inline void SetSlot(std::vector<TIconSlot>& slots, int index, plat::IconHandle icon,
                    TIconImage image) {
  if (index < 0) return;
  if (slots.size() <= static_cast<std::size_t>(index)) slots.resize(index + 1);
  slots[index] = TIconSlot{icon, std::move(image)};
}

struct TTaskRows {
  TWinList windows;
  std::unordered_set<std::uint32_t> seenPids;  // emptied by each refresh, its buckets kept
  // What stands behind each image-list index after the last refresh, and during this one.
  std::vector<TIconSlot> slots;
  std::vector<TIconSlot> nextSlots;
  std::vector<std::pair<int, int>> untouched;  // (position, image index) of rows left alone
};
