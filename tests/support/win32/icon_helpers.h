#pragma once
// Test helpers for icons on Windows (or Wine): plain one-colour icons, and the pixels that a
// report list has drawn for a row's icon.

#include <cstdint>
#include <vector>

#include "platform/types.h"
#include "tests/support/win32/command_helpers.h"

namespace icontest {

// A 16 x 16 icon of one colour (0xBBGGRR), destroyed with the object.
class SolidIcon : cmdtest::NoCopy {
 public:
  explicit SolidIcon(std::uint32_t colour);
  ~SolidIcon();
  plat::IconHandle Handle() const { return icon_; }

 private:
  plat::IconHandle icon_;
};

// WM_SETICON with ICON_SMALL.
void SetSmallIcon(plat::WindowHandle window, plat::IconHandle icon);

// The colours (0xBBGGRR) of the row's icon area as the list has drawn it on its window, after
// the list has carried out any repaint it has pending, as the message loop would. Empty when
// the row has no icon area.
std::vector<std::uint32_t> DrawnIconPixels(plat::Control list, int row);

}  // namespace icontest
