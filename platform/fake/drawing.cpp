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

int ImageListAddIcon(ImageListHandle list, IconHandle icon) {
  ImageListState* l = GetImages(list, "ImageListAddIcon");
  if (!l || !icon || DestroyedIcons().count(icon.value) != 0) return -1;
  l->icons.push_back(icon.value);
  return static_cast<int>(l->icons.size()) - 1;
}

}  // namespace plat

namespace fake {

namespace gui {
void ResetImageLists() {
  ImageLists().clear();
  DestroyedIcons().clear();
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

int ImageListClearCount(plat::ImageListHandle list) {
  auto it = ImageLists().find(list.value);
  return it == ImageLists().end() ? 0 : it->second.clears;
}

int ImageListSize(plat::ImageListHandle list) {
  auto it = ImageLists().find(list.value);
  return it == ImageLists().end() ? 0 : it->second.size;
}

}  // namespace fake
