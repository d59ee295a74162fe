#pragma once
// Control API of the simulated image lists (platform/drawing.h). They belong to the simulated
// GUI: ResetGui (gui.h) forgets them, and their misuses are among its Violations.

#include <cstdint>
#include <vector>

#include "platform/types.h"

namespace fake {

// The icon handle values added since the last clear, in order (an icon image counts as the
// icon it was copied from).
std::vector<std::uintptr_t> ImageListIcons(plat::ImageListHandle list);
int LiveImageLists();   // created and not yet destroyed
int LiveIconImages();   // icon images copied and not yet destroyed
int IconImageCopies();  // icon images copied since the GUI was reset
int ImageListClearCount(plat::ImageListHandle list);
int ImageListSize(plat::ImageListHandle list);  // the width and height of its images
// An icon its owner has destroyed: copying its image fails from now on.
void DestroyIcon(std::uintptr_t icon);

}  // namespace fake
