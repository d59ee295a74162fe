// The simulated image lists behind platform/drawing.h. Their handles, misuse records and log
// entries are the fake GUI's (gui.cpp).

#include "platform/drawing.h"

#include "platform/fake/gui_state.h"

namespace {

fake::ImageList* GetImages(plat::ImageListHandle list, const char* op) {
  auto it = fake::TheGui().imageLists.find(list.value);
  if (it != fake::TheGui().imageLists.end() && !it->second.destroyed) return &it->second;
  fake::gui::Violation(std::string(op) + ": no such image list");
  return nullptr;
}

// The icon an image was copied from; 0 for an unknown or destroyed image.
std::uintptr_t ImageIcon(plat::IconImageHandle image) {
  auto it = fake::TheGui().iconImages.find(image.value);
  return it == fake::TheGui().iconImages.end() ? 0 : it->second;
}

}  // namespace

namespace plat {

ImageListHandle CreateSmallImageList(int size) {
  const ImageListHandle list{fake::gui::NewHandle()};
  fake::TheGui().imageLists[list.value].size = size;
  return list;
}

void DestroyImageList(ImageListHandle list) {
  if (fake::ImageList* l = GetImages(list, "DestroyImageList")) l->destroyed = true;
}

void ImageListClear(ImageListHandle list) {
  fake::ImageList* l = GetImages(list, "ImageListClear");
  if (!l) return;
  l->icons.clear();
  fake::detail::Log("ImageListClear");
}


IconImageHandle CopyIconImage(ImageListHandle list, IconHandle icon) {
  if (!GetImages(list, "CopyIconImage") || !icon || fake::TheGui().destroyedIcons.count(icon.value))
    return {};
  fake::detail::Log("CopyIconImage", icon.value);
  const IconImageHandle image{fake::gui::NewHandle()};
  fake::TheGui().iconImages[image.value] = icon.value;
  return image;
}

void DestroyIconImage(IconImageHandle image) { fake::TheGui().iconImages.erase(image.value); }

int ImageListAddImage(ImageListHandle list, IconImageHandle image) {
  fake::ImageList* l = GetImages(list, "ImageListAddImage");
  const std::uintptr_t icon = ImageIcon(image);
  if (!l || !icon) return -1;
  l->icons.push_back(icon);
  return static_cast<int>(l->icons.size()) - 1;
}

}  // namespace plat

namespace fake {

std::vector<std::uintptr_t> ImageListIcons(plat::ImageListHandle list) {
  auto it = TheGui().imageLists.find(list.value);
  return it == TheGui().imageLists.end() ? std::vector<std::uintptr_t>{} : it->second.icons;
}

int LiveImageLists() {
  int live = 0;
  for (const auto& [handle, list] : TheGui().imageLists) live += list.destroyed ? 0 : 1;
  return live;
}

}  // namespace fake
