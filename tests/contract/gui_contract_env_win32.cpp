#include <windows.h>

#include <vector>

#include "platform/constants.h"
#include "platform/windows_input.h"
#include "tests/contract/gui_contract_env.h"

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
  static const HICON icon = [] {
    const std::vector<std::uint32_t> red(32 * 32, 0xFFFF0000);
    const std::vector<std::uint8_t> opaque(32 * 32 / 8, 0);
    ICONINFO info{TRUE, 0, 0, ::CreateBitmap(32, 32, 1, 1, opaque.data()),
                  ::CreateBitmap(32, 32, 1, 32, red.data())};
    HICON made = ::CreateIconIndirect(&info);
    ::DeleteObject(info.hbmMask);
    ::DeleteObject(info.hbmColor);
    return made;
  }();
  return plat::IconHandle{reinterpret_cast<std::uintptr_t>(icon)};
}

void DeliverTimerTicks(plat::MainWindowHandle) {}

}  // namespace contract
