#include "platform/fake/control/gui.h"
#include "tests/contract/gui_contract_env.h"

namespace contract {

void ResetGuiEnvironment() { fake::ResetGui(); }

bool IsVisible(plat::Control control) { return fake::IsVisible(control); }

std::uint32_t ShownPixel(plat::PictureBoxHandle picture, int x, int y) {
  const fake::Picture shown = fake::Inspect(picture).picture;
  if (x < 0 || y < 0 || x >= shown.width || y >= shown.height) return 0;
  const std::uint8_t* bgr = shown.bits.data() + y * shown.stride + x * 3;
  return static_cast<std::uint32_t>(bgr[2] << 16 | bgr[1] << 8 | bgr[0]);
}

plat::IconHandle AnyIcon(plat::MainWindowHandle) { return plat::IconHandle{0x7F00}; }

plat::IconHandle BuiltIcon() { return plat::IconHandle{0x7F01}; }

void DeliverTimerTicks(plat::MainWindowHandle window) {
  // Bounded: a test whose window never closes fails instead of hanging.
  fake::TheGui().loopBody = [window] {
    for (int ticks = 0; ticks < 1000 && fake::FireTimer(window); ++ticks) {
    }
  };
}

}  // namespace contract
