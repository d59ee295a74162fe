// The own process's GDI and USER object counts and private bytes.

#include "platform/resources.h"

#include <windows.h>
// After <windows.h>, whose types it uses.
#include <psapi.h>

namespace plat {

OwnResources QueryOwnResources() {
  OwnResources out;
  HANDLE self = ::GetCurrentProcess();
  out.gdiObjects = ::GetGuiResources(self, GR_GDIOBJECTS);
  out.userObjects = ::GetGuiResources(self, GR_USEROBJECTS);
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof counters;
  // K32GetProcessMemoryInfo lives in kernel32 itself: no PSAPI.dll import.
  if (::K32GetProcessMemoryInfo(self, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                sizeof counters)) {
    out.privateBytes = counters.PrivateUsage;
  }
  return out;
}

}  // namespace plat
