#include <limits>

#include "platform/fake/control/os.h"
#include "tests/contract/windows_contract_env.h"

namespace contract {

void ResetWindowEnvironment() { fake::ResetOs(); }

plat::WindowHandle CreateTestWindow(const char* className, const char* title, bool visible) {
  return plat::WindowHandle{fake::AddWindow({.className = className,
                                             .title = title,
                                             .style = visible ? 0x10CF0000 : 0x00CF0000,
                                             .classIcon = 0x7F00})};
}

void DestroyTestWindow(plat::WindowHandle window) { fake::DestroyWindow(window.value); }

std::uintptr_t SetTestWindowSmallIcon(plat::WindowHandle window) {
  fake::FindWindow(window.value)->smallIcon = 0x7F05;
  return 0x7F05;
}

UnresponsiveWindow::UnresponsiveWindow() {
  window_ = plat::WindowHandle{
      fake::AddWindow({.className = "VarnexStuck",
                       .title = "stuck",
                       .classIcon = 0x7F00,
                       .answerDelayMs = std::numeric_limits<std::uint32_t>::max()})};
}

UnresponsiveWindow::~UnresponsiveWindow() { fake::DestroyWindow(window_.value); }

}  // namespace contract
