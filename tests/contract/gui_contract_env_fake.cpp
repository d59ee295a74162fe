#include "platform/fake/control/gui.h"
#include "tests/contract/gui_contract_env.h"

namespace contract {

void ResetGuiEnvironment() { fake::ResetGui(); }

bool IsVisible(plat::Control control) { return fake::IsVisible(control); }

plat::IconHandle AnyIcon(plat::MainWindowHandle) { return plat::IconHandle{0x7F00}; }

void RaiseDpiChange(plat::MainWindowHandle window, int dpi, const plat::Rect& suggested) {
  fake::ChangeDpi(window, dpi, suggested);
}

void DeliverTimerTicks(plat::MainWindowHandle window) {
  // Bounded: a test whose window never closes fails instead of hanging.
  fake::SetMessageLoopBody([window] {
    for (int ticks = 0; ticks < 1000 && fake::FireTimer(window); ++ticks) {
    }
  });
}

}  // namespace contract
