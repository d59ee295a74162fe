#include <limits>

#include "platform/fake/control/gui.h"
#include "platform/fake/control/os.h"
#include "tests/contract/contract_env.h"

namespace contract {

void Reset() {
  fake::ResetOs();
  fake::ResetGui();
  fake::ResetCounters();
  fake::Os()->advance = {1'000'000, 2'000'000};  // 50 % busy on 4 processors
}

std::uint32_t StartChildProcess() {
  static std::uint32_t nextPid = 7000;
  const std::uint32_t pid = nextPid += 4;
  fake::AddProcess({.pid = pid, .name = u"child.exe", .workingSet = 1 << 20});
  return pid;
}

bool WaitChildEnded(std::uint32_t pid, std::uint32_t) { return !fake::ProcessExists(pid); }

void CleanUpChild(std::uint32_t pid) { fake::RemoveProcess(pid); }

std::string OwnImageName() { return "varnex_tests"; }

bool DebugPrivilegeEnabled() { return fake::Os()->debugPrivilegeEnabled; }

UnresponsiveWindow::UnresponsiveWindow() {
  window_ = plat::WindowHandle{
      fake::AddWindow({.className = "VarnexStuck",
                       .title = "stuck",
                       .classIcon = 0x7F00,
                       .answerDelayMs = std::numeric_limits<std::uint32_t>::max()})};
}

UnresponsiveWindow::~UnresponsiveWindow() { fake::DestroyWindow(window_.value); }

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
