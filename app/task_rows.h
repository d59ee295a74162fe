#pragma once
// What the task list keeps from one refresh to the next: the window snapshot's storage, the
// seen-PID set's and what stands behind each image-list index.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/drawing.h"
#include "platform/types.h"
#include "sampling/uProcInfo.h"

// A set of PIDs by open addressing, emptied by a new tag rather than cleared.
class TPidSet {
 public:
  // Empties the set, with room for `count` PIDs.
  void Reset(std::size_t count) {
    std::size_t size = 16;
    while (size < 2 * count) size *= 2;
    if (size > slots_.size() || ++tag_ == 0) {
      slots_.assign(std::max(size, slots_.size()), 0);
      tag_ = 1;
    }
  }
  // True when the PID was not yet in the set; it is now.
  bool Insert(std::uint32_t pid) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = static_cast<std::size_t>((pid * 0x9E3779B97F4A7C15ull) >> 32) & mask;
    for (; slots_[i] >> 32 == tag_; i = (i + 1) & mask) {
      if (static_cast<std::uint32_t>(slots_[i]) == pid) return false;
    }
    slots_[i] = std::uint64_t{tag_} << 32 | pid;
    return true;
  }

 private:
  std::vector<std::uint64_t> slots_;  // tag << 32 | PID; a slot of another tag is free
  std::uint32_t tag_ = 0;
};

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
  TPidSet seenPids;
  // What stands behind each image-list index after the last refresh, and during this one.
  std::vector<TIconSlot> slots;
  std::vector<TIconSlot> nextSlots;
  std::vector<std::pair<int, int>> untouched;  // (position, image index) of rows left alone
};
