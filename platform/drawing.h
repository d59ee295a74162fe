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
// A copy of the icon's image at the list's image size, as the list itself would make it; the
// icon is left untouched and the copy is the caller's. {} for a 0 handle or a failure (an
// icon its owner has destroyed).
IconImageHandle CopyIconImage(ImageListHandle list, IconHandle icon);
void DestroyIconImage(IconImageHandle image);
// Adds the image (copied again: it stays the caller's) and returns its index; -1 when nothing
// was added ({}, or a failure). Asks nothing of the icon it was copied from or of its owner.
int ImageListAddImage(ImageListHandle list, IconImageHandle image);

}  // namespace plat
