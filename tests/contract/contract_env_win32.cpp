#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/constants.h"
#include "platform/windows_input.h"
#include "tests/contract/contract_env.h"
#include "tests/support/win32/command_helpers.h"
#include "tests/support/win32/icon_helpers.h"

namespace {

std::map<std::uint32_t, std::unique_ptr<cmdtest::ChildProcess>>& Children() {
  static std::map<std::uint32_t, std::unique_ptr<cmdtest::ChildProcess>> children;
  return children;
}

}  // namespace

namespace contract {

void Reset() {}

std::uint32_t StartChildProcess() {
  auto child = std::make_unique<cmdtest::ChildProcess>(cmdtest::ChildProcess::Kind::Idle);
  const std::uint32_t pid = child->Pid();
  if (pid != 0) Children()[pid] = std::move(child);
  return pid;
}

bool WaitChildEnded(std::uint32_t pid, std::uint32_t timeoutMs) {
  const auto it = Children().find(pid);
  return it != Children().end() && it->second->WaitEnded(timeoutMs);
}

// The child's destructor ends it if it still runs.
void CleanUpChild(std::uint32_t pid) { Children().erase(pid); }

std::string OwnImageName() {
  char path[MAX_PATH] = {};
  const std::string full(path, ::GetModuleFileNameA(nullptr, path, MAX_PATH));
  return full.substr(full.find_last_of("\\/") + 1);  // npos + 1: the whole
}

bool DebugPrivilegeEnabled() {
  HANDLE token = nullptr;
  LUID debug{};
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  ::LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &debug);
  DWORD size = 0;
  ::GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
  std::vector<std::uint8_t> bytes(size);
  bool enabled = false;
  if (::GetTokenInformation(token, TokenPrivileges, bytes.data(), size, &size)) {
    const auto* held = reinterpret_cast<const TOKEN_PRIVILEGES*>(bytes.data());
    for (DWORD i = 0; i < held->PrivilegeCount; ++i) {
      const LUID_AND_ATTRIBUTES& p = held->Privileges[i];
      if (p.Luid.LowPart == debug.LowPart && p.Luid.HighPart == debug.HighPart) {
        enabled = (p.Attributes & SE_PRIVILEGE_ENABLED) != 0;
      }
    }
  }
  ::CloseHandle(token);
  return enabled;
}

// A window of another thread kept busy in WM_GETICON for a minute; its destructor lets go.
UnresponsiveWindow::UnresponsiveWindow() {
  auto busy = std::make_shared<cmdtest::BusyWindow>(L"stuck");
  if (cmdtest::MakeWindowBusy(busy->Window(), 60000)) window_ = busy->Window();
  busy_ = busy;
}

UnresponsiveWindow::~UnresponsiveWindow() = default;

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
