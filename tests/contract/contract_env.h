#pragma once
// What the contract tests need of the platform they run on beyond the seam: the fake is set
// up and reset (contract_env_fake.cpp); the real system under Wine or Windows is left alone
// (contract_env_win32.cpp).

#include <cstdint>
#include <memory>
#include <string>

#include "platform/types.h"
#include "tests/support/probe.h"

namespace contract {

// Before each test: the fake starts afresh, on a machine whose counters move with every query.
void Reset();

// Processes.
// Starts a harmless child process that idles for a minute; returns its PID, 0 on failure.
std::uint32_t StartChildProcess();
// True once the child has ended, waiting at most `timeoutMs`.
bool WaitChildEnded(std::uint32_t pid, std::uint32_t timeoutMs);
// Ends the child if it still runs and forgets it.
void CleanUpChild(std::uint32_t pid);
// The image name of the running test program, as the process table shows it.
std::string OwnImageName();
inline constexpr std::uint32_t kUnusedPid = 0x7FFFFFF0u;  // no process has it
// Whether SeDebugPrivilege is enabled in the own process's token, as the token itself says.
bool DebugPrivilegeEnabled();

// A visible titled window whose thread does not answer WM_GETICON until this is destroyed.
class UnresponsiveWindow {
 public:
  UnresponsiveWindow();
  ~UnresponsiveWindow();
  UnresponsiveWindow(const UnresponsiveWindow&) = delete;
  UnresponsiveWindow& operator=(const UnresponsiveWindow&) = delete;
  plat::WindowHandle Handle() const { return window_; }

 private:
  plat::WindowHandle window_;
  std::shared_ptr<void> busy_;  // what keeps the window busy, on Windows
};

// GUI.
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
