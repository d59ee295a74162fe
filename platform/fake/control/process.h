#pragma once
// Control API of the simulated processes and debug privilege (platform/process.h); the
// process table of platform/sysinfo.h is built from the same processes. Any thread.
//
// After ResetOs (os.h): the process table holds the idle process (PID 0, no name), "System"
// (PID 4) and the own process (kOwnPid, "varnex_tests"); the token holds SeDebugPrivilege, not
// yet enabled.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fake {

inline constexpr std::uint32_t kOwnPid = 4321;

struct Process {
  std::uint32_t pid = 0;
  std::optional<std::u16string> name = {};  // none: the record's name pointer is null
  std::int64_t userTime = 0;                // 100 ns units
  std::int64_t kernelTime = 0;
  std::uint64_t workingSet = 0;  // bytes
  bool canOpen = true;           // false: OpenProcess gives 0 (access denied)
  bool canTerminate = true;
  bool throwOnOpen = false;  // OpenProcess throws: an injected failure inside a record
  int threads = 1;           // per-thread records that pad the process's table record
};

// Appends to the table (the table keeps insertion order). Replaces a process of that PID.
void AddProcess(const Process& process);
void RemoveProcess(std::uint32_t pid);
// Removes every process of `pids` in one pass over the table.
void RemoveProcesses(const std::vector<std::uint32_t>& pids);
void ClearProcesses();  // the own process included
bool ProcessExists(std::uint32_t pid);
Process* FindProcess(std::uint32_t pid);  // valid until the table next changes

// Handle bookkeeping: every OpenProcess call (also failed ones) since ClearOpenProcessCalls
// (nothing is recorded before a test asks for it), and handles still open.
struct OpenCall {
  std::uint32_t access = 0;
  bool inherit = false;
  std::uint32_t pid = 0;
};
void ClearOpenProcessCalls();  // empties the record and starts it
std::vector<OpenCall> OpenProcessCalls();
int OpenHandleCount();  // process handles not yet closed
int CloseHandleCount();

struct Termination {
  std::uint32_t pid = 0;
  std::uint32_t exitCode = 0;
};
std::vector<Termination> Terminations();
// Counts every call the fake answers for processes; KillProcess(0) must make none.
int ProcessApiCallCount();

// GetProcessMemoryInfo: while set, every query fails (as when PSAPI.dll cannot be loaded).
void SetMemoryInfoFails(bool fails);

// The debug privilege: held (EnableDebugPrivilege succeeds) unless set otherwise.
void SetDebugPrivilegeHeld(bool held);
bool DebugPrivilegeEnabled();

}  // namespace fake
