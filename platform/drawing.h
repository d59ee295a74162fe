#pragma once
// Drawing: image lists of small icons and views of 24-bit rasters for the screen.

#include <cstdint>

#include "platform/types.h"

namespace plat {

// A 24-bit raster (blue, green, red per pixel), row 0 at the top, `stride` bytes per row.
struct RasterView {
  const std::uint8_t* bits = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;
};

// An image list of `size` x `size` images (the small-icon size: 16 at 96 dpi).
ImageListHandle CreateSmallImageList(int size);
void DestroyImageList(ImageListHandle list);
void ImageListClear(ImageListHandle list);
int ImageListCount(ImageListHandle list);
// Adds a copy of the icon's image scaled to the list's size and returns its index; the icon itself
// is left untouched. -1 when nothing was added (a 0 handle, or a failure).
int ImageListAddIcon(ImageListHandle list, IconHandle icon);

}  // namespace plat
