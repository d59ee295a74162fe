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

// The icon images held by the program: an image's handle is its place here plus one, and
// holds the icon it was copied from (0 once destroyed). A tick adds an image per task row, so
// a look-up is an index, not a search.
struct IconImageStore {
  std::vector<std::uintptr_t> icons;
  std::vector<std::uintptr_t> unused;  // handles of destroyed images, to hand out again
  int live = 0;
  int copies = 0;
};

IconImageStore& IconImages() {
  static IconImageStore store;
  return store;
}

// The icon an image was copied from; 0 for an unknown or destroyed image.
std::uintptr_t ImageIcon(plat::IconImageHandle image) {
  const auto& icons = IconImages().icons;
  return image.value >= 1 && image.value <= icons.size() ? icons[image.value - 1] : 0;
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
  IconImageStore& store = IconImages();
  IconImageHandle image;
  if (store.unused.empty()) {
    store.icons.push_back(icon.value);
    image.value = store.icons.size();
  } else {
    image.value = store.unused.back();
    store.unused.pop_back();
    store.icons[image.value - 1] = icon.value;
  }
  ++store.live;
  ++store.copies;
  return image;
}

void DestroyIconImage(IconImageHandle image) {
  if (!ImageIcon(image)) return;
  IconImageStore& store = IconImages();
  store.icons[image.value - 1] = 0;
  store.unused.push_back(image.value);
  --store.live;
}

int ImageListAddImage(ImageListHandle list, IconImageHandle image) {
  ImageListState* l = GetImages(list, "ImageListAddImage");
  const std::uintptr_t icon = ImageIcon(image);
  if (!l || !icon) return -1;
  l->icons.push_back(icon);
  return static_cast<int>(l->icons.size()) - 1;
}

}  // namespace plat

namespace fake {

namespace gui {
void ResetImageLists() {
  ImageLists().clear();
  DestroyedIcons().clear();
  IconImages() = {};
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

int LiveIconImages() { return IconImages().live; }

int IconImageCopies() { return IconImages().copies; }

int ImageListClearCount(plat::ImageListHandle list) {
  auto it = ImageLists().find(list.value);
  return it == ImageLists().end() ? 0 : it->second.clears;
}

int ImageListSize(plat::ImageListHandle list) {
  auto it = ImageLists().find(list.value);
  return it == ImageLists().end() ? 0 : it->second.size;
}

}  // namespace fake
