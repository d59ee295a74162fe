#include "platform/constants.h"
#include "platform/windows_input.h"
#include "tests/contract/gui_contract_env.h"

namespace contract {

void ResetGuiEnvironment() {}

bool IsVisible(plat::Control control) {
  return (plat::GetWindowLongA(control, plat::kGwlStyle) & plat::kWsVisible) != 0;
}

plat::IconHandle AnyIcon(plat::MainWindowHandle window) { return plat::GetClassIcon(window); }

void DeliverTimerTicks(plat::MainWindowHandle) {}

}  // namespace contract
