#pragma once
// Process and window snapshots, working sets, termination and the debug privilege.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/types.h"
#include "sampling/snapshot_list.h"

// One process as seen by one snapshot.
class TProcInfo {
 public:
  std::string Name;         // ANSI; "System Idle" for the record without a name
  std::int32_t PID = 0;
  std::uint32_t MemoryK = 0;  // working set, kilobytes; 16 for the idle record
  double CpuTime = 0;         // whole seconds of user + kernel time / 86400 (days)
};

// One top-level window as seen by one snapshot.
class TWinInfo {
 public:
  plat::IconHandle ClassIcon;
  std::string Title;      // as read, untrimmed, at most 99 ANSI characters
  std::string ClassName;  // at most 99 ANSI characters
  plat::WindowHandle WindowHandle;
};

using TProcList = TSnapshotList<TProcInfo>;  // keyed by PID, signed decimal
using TWinList = TSnapshotList<TWinInfo>;    // keyed by window handle, unsigned 32-bit decimal

// Appends one entry per process of the system's table, in table order.
void GetProcessList(TProcList& list);
// Working set in bytes (32 bits wide on 32-bit Windows), or 0 when the process cannot be opened or queried.
std::size_t GetProcessWorkingSet(std::uint32_t pid);
// Terminates the process; PID 0 is ignored. Failures are silent.
void KillProcess(std::uint32_t pid);
// Enables or disables a privilege on a token open for adjusting privileges; true exactly
// when the system reports no error afterwards.
bool SetPrivilege(plat::TokenHandle token, const char* privilege, bool enable);
bool EnableDebugPrivilege();

// Appends one entry per visible, titled top-level window, in Z order.
void GetWindowList(TWinList& list);
bool EnumWindowsCallback(plat::WindowHandle window, void* list);
// The icon to show for a window: small icon, else big icon, else class icon; 0 when none.
plat::IconHandle GetWindowIcon(plat::WindowHandle window);
