// Image lists of small icons.

#include <windows.h>

#include <commctrl.h>

#include "platform/drawing.h"
#include "platform/win32/win32_util.h"

namespace plat {

ImageListHandle CreateSmallImageList(int size) {
  return win32::FromHimagelist(::ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 16, 16));
}

void DestroyImageList(ImageListHandle list) {
  if (list) ::ImageList_Destroy(win32::ToHimagelist(list));
}

void ImageListClear(ImageListHandle list) {
  if (list) ::ImageList_RemoveAll(win32::ToHimagelist(list));
}

int ImageListCount(ImageListHandle list) {
  return list ? ::ImageList_GetImageCount(win32::ToHimagelist(list)) : 0;
}

int ImageListAddIcon(ImageListHandle list, IconHandle icon) {
  if (!list || !icon) return -1;
  // The list draws its own copy of the icon's image; the icon stays its owner's.
  return ::ImageList_AddIcon(win32::ToHimagelist(list), win32::ToHicon(icon));
}

}  // namespace plat
