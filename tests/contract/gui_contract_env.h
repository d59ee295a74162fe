#pragma once
// What the GUI contract tests need from the platform they run on: what the seam itself does
// not expose.

#include <cstdint>

#include "platform/gui.h"
#include "platform/types.h"

namespace contract {

void ResetGuiEnvironment();

// The control's own WS_VISIBLE style bit: hidden pages, and lists whose drawing a batch
// holds, read false.
bool IsVisible(plat::Control control);

// The colour (0xRRGGBB) that the picture shows at (x, y) of its client area.
std::uint32_t ShownPixel(plat::PictureBoxHandle picture, int x, int y);

// An icon that an image list can copy.
plat::IconHandle AnyIcon(plat::MainWindowHandle window);
// An icon made in memory (CreateIconIndirect): no resource lies behind it.
plat::IconHandle BuiltIcon();

// Has the next RunMessageLoop deliver the window's timer ticks until the window closes, as
// the system's loop does by itself.
void DeliverTimerTicks(plat::MainWindowHandle window);

}  // namespace contract
