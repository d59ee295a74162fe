// The simulated image lists behind platform/drawing.h. Their handles, misuse records and log
// entries are the fake GUI's (gui.cpp).

#include "platform/drawing.h"

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/fake/control/drawing.h"
#include "platform/fake/gui_state.h"

namespace {

struct ImageListState {
  std::vector<std::uintptr_t> icons;
  bool destroyed = false;
  int clears = 0;
  int size = 0;
};

std::map<std::uintptr_t, ImageListState>& ImageLists() {
  static std::map<std::uintptr_t, ImageListState> lists;
  return lists;
}

std::set<std::uintptr_t>& DestroyedIcons() {
  static std::set<std::uintptr_t> icons;
  return icons;
}

// The icon images held by the program: each one's icon.
std::map<std::uintptr_t, std::uintptr_t>& IconImages() {
  static std::map<std::uintptr_t, std::uintptr_t> images;
  return images;
}

int& CopyCount() {
  static int copies = 0;
  return copies;
}

ImageListState* GetImages(plat::ImageListHandle list, const char* op) {
  auto it = ImageLists().find(list.value);
  if (it == ImageLists().end() || it->second.destroyed) {
    fake::gui::Violation(std::string(op) + ": no such image list");
    return nullptr;
  }
  return &it->second;
}

}  // namespace

namespace plat {

ImageListHandle CreateSmallImageList(int size) {
  ImageListHandle list{fake::gui::NewHandle()};
  ImageLists()[list.value].size = size;
  return list;
}

void DestroyImageList(ImageListHandle list) {
  ImageListState* l = GetImages(list, "DestroyImageList");
  if (l) l->destroyed = true;
}

void ImageListClear(ImageListHandle list) {
  ImageListState* l = GetImages(list, "ImageListClear");
  if (!l) return;
  l->icons.clear();
  ++l->clears;
  fake::gui::S().log.Add("ImageListClear");
}

int ImageListCount(ImageListHandle list) {
  ImageListState* l = GetImages(list, "ImageListCount");
  return l ? static_cast<int>(l->icons.size()) : 0;
}

IconImageHandle CopyIconImage(ImageListHandle list, IconHandle icon) {
  if (!GetImages(list, "CopyIconImage") || !icon || DestroyedIcons().count(icon.value) != 0) {
    return {};
  }
  IconImageHandle image{fake::gui::NewHandle()};
  IconImages()[image.value] = icon.value;
  ++CopyCount();
  return image;
}

void DestroyIconImage(IconImageHandle image) { IconImages().erase(image.value); }

int ImageListAddImage(ImageListHandle list, IconImageHandle image) {
  ImageListState* l = GetImages(list, "ImageListAddImage");
  const auto it = IconImages().find(image.value);
  if (!l || it == IconImages().end()) return -1;
  l->icons.push_back(it->second);
  return static_cast<int>(l->icons.size()) - 1;
}

}  // namespace plat

namespace fake {

namespace gui {
void ResetImageLists() {
  ImageLists().clear();
  DestroyedIcons().clear();
  IconImages().clear();
  CopyCount() = 0;
}
}  // namespace gui

void DestroyIcon(std::uintptr_t icon) { DestroyedIcons().insert(icon); }

std::vector<std::uintptr_t> ImageListIcons(plat::ImageListHandle list) {
  auto it = ImageLists().find(list.value);
  return it == ImageLists().end() ? std::vector<std::uintptr_t>{} : it->second.icons;
}

int LiveImageLists() {
  int live = 0;
  for (const auto& [handle, list] : ImageLists()) live += list.destroyed ? 0 : 1;
  return live;
}

int LiveIconImages() { return static_cast<int>(IconImages().size()); }

int IconImageCopies() { return CopyCount(); }

int ImageListClearCount(plat::ImageListHandle list) {
  auto it = ImageLists().find(list.value);
  return it == ImageLists().end() ? 0 : it->second.clears;
}

int ImageListSize(plat::ImageListHandle list) {
  auto it = ImageLists().find(list.value);
  return it == ImageLists().end() ? 0 : it->second.size;
}

}  // namespace fake
