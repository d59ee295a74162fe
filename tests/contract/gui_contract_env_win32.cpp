#include "platform/constants.h"
#include "platform/windows_input.h"
#include "tests/contract/gui_contract_env.h"
#include "tests/windows/command_helpers_win32.h"

namespace contract {

void ResetGuiEnvironment() {}

bool IsVisible(plat::Control control) {
  return (plat::GetWindowLongA(control, plat::kGwlStyle) & plat::kWsVisible) != 0;
}

plat::IconHandle AnyIcon(plat::MainWindowHandle window) { return plat::GetClassIcon(window); }

void RaiseDpiChange(plat::MainWindowHandle window, int dpi, const plat::Rect& suggested) {
  cmdtest::SendDpiChanged(window, dpi, suggested);
}

void DeliverTimerTicks(plat::MainWindowHandle) {}

}  // namespace contract
