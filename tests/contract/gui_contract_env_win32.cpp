#include <windows.h>

#include "platform/constants.h"
#include "platform/windows_input.h"
#include "tests/contract/gui_contract_env.h"
#include "tests/support/win32/icon_helpers.h"

namespace contract {

void ResetGuiEnvironment() {}

bool IsVisible(plat::Control control) {
  return (plat::GetWindowLongA(control, plat::kGwlStyle) & plat::kWsVisible) != 0;
}

std::uint32_t ShownPixel(plat::PictureBoxHandle picture, int x, int y) {
  HWND window = reinterpret_cast<HWND>(picture.value);
  HDC dc = ::GetDC(window);
  const COLORREF colour = ::GetPixel(dc, x, y);
  ::ReleaseDC(window, dc);
  return GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
}

plat::IconHandle AnyIcon(plat::MainWindowHandle window) { return plat::GetClassIcon(window); }

plat::IconHandle BuiltIcon() {
  static const icontest::SolidIcon icon(0x0000FF);
  return icon.Handle();
}

void DeliverTimerTicks(plat::MainWindowHandle) {}

}  // namespace contract
