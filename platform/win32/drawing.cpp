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

namespace {

// An icon image held as the bitmaps of a sized copy of the icon: adding them to a list is done
// by the list alone, where adding an icon makes the system copy and size the icon again (under
// Wine some forty server requests and a millisecond or two of CPU an icon). A monochrome icon
// has no colour bitmap; its sized copy is kept and added as an icon.
struct IconImage {
  HBITMAP color = nullptr;
  HBITMAP mask = nullptr;
  HICON monochrome = nullptr;
};

IconImage* ToImage(IconImageHandle image) { return reinterpret_cast<IconImage*>(image.value); }

}  // namespace

IconImageHandle CopyIconImage(ImageListHandle list, IconHandle icon) {
  int width = 0, height = 0;
  if (!list || !icon || !::ImageList_GetIconSize(win32::ToHimagelist(list), &width, &height)) {
    return {};
  }
  // The image list sizes an icon this way itself: the frame of the icon's resource nearest to
  // the size when the icon came from one, else the icon's image scaled. Windows copies from the
  // resource only for a shared icon (LoadIcon, LoadImage with LR_SHARED) and fails for any
  // other (CreateIconIndirect, LoadImage without LR_SHARED); Wine scales those instead.
  HICON sized = static_cast<HICON>(
      ::CopyImage(win32::ToHicon(icon), IMAGE_ICON, width, height, LR_COPYFROMRESOURCE));
  if (!sized) {
    sized = static_cast<HICON>(::CopyImage(win32::ToHicon(icon), IMAGE_ICON, width, height, 0));
  }
  if (!sized) return {};
  ICONINFO info{};
  if (!::GetIconInfo(sized, &info)) {
    ::DestroyIcon(sized);
    return {};
  }
  auto* image = new IconImage;
  if (info.hbmColor) {
    image->color = info.hbmColor;
    image->mask = info.hbmMask;
    ::DestroyIcon(sized);
  } else {
    ::DeleteObject(info.hbmMask);
    image->monochrome = sized;
  }
  return IconImageHandle{reinterpret_cast<std::uintptr_t>(image)};
}

void DestroyIconImage(IconImageHandle image) {
  IconImage* held = ToImage(image);
  if (!held) return;
  if (held->color) ::DeleteObject(held->color);
  if (held->mask) ::DeleteObject(held->mask);
  if (held->monochrome) ::DestroyIcon(held->monochrome);
  delete held;
}

int ImageListAddImage(ImageListHandle list, IconImageHandle image) {
  const IconImage* held = ToImage(image);
  if (!list || !held) return -1;
  if (held->monochrome) return ::ImageList_AddIcon(win32::ToHimagelist(list), held->monochrome);
  return ::ImageList_Add(win32::ToHimagelist(list), held->color, held->mask);
}

}  // namespace plat
