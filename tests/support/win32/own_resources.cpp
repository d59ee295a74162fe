// The own process's GDI and USER object counts and private bytes.

#include "tests/support/win32/own_resources.h"

#include <windows.h>
// After <windows.h>, whose types it uses.
#include <psapi.h>

#include "platform/process.h"

namespace wintest {

OwnResources QueryOwnResources() {
  OwnResources out;
  HANDLE self = ::GetCurrentProcess();
  out.gdiObjects = ::GetGuiResources(self, GR_GDIOBJECTS);
  out.userObjects = ::GetGuiResources(self, GR_USEROBJECTS);
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof counters;
  // PSAPI's GetProcessMemoryInfo (loaded at run time, as for the process list). A system that
  // knows only the short record fails the long one: ask again with that.
  const plat::ProcessHandle own{reinterpret_cast<std::uintptr_t>(self)};
  auto* plain = reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters);
  if (plat::GetProcessMemoryInfo(own, plain, sizeof counters)) {
    out.privateBytes = counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
  } else {
    plain->cb = sizeof *plain;
    if (plat::GetProcessMemoryInfo(own, plain, sizeof *plain)) {
      out.privateBytes = plain->PagefileUsage;
    }
  }
  DWORD handles = 0;
  if (::GetProcessHandleCount(self, &handles)) out.kernelHandles = handles;
  return out;
}

}  // namespace wintest
