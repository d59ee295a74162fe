// The fake's processes and debug privilege, behind platform/process.h.

#include <algorithm>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <string_view>
#include <unordered_set>

#include "platform/constants.h"
#include "platform/fake/call_record.h"
#include "platform/fake/control/os.h"
#include "platform/fake/fake_lookup.h"
#include "platform/fake/os_state.h"
#include "platform/process.h"

namespace fake {
namespace {

constexpr std::uintptr_t kCurrentProcessPseudoHandle = ~std::uintptr_t{0};

struct OpenHandle {
  std::uintptr_t value = 0;
  std::uint32_t pid = 0;
  std::uint32_t access = 0;
};

struct State {
  std::vector<Process> processes;
  // The PIDs in `processes`: adding a new one scans nothing.
  std::unordered_set<std::uint32_t> pids;
  // Kept in step with every change of the table. While a pointer that FindProcess handed out
  // may still rename a process, that is until the table next changes, every query reads the
  // names afresh.
  detail::ProcessNames names;
  bool namesStale = false;
  CallRecord<OpenCall> openCalls;
  // Handles still open: the program closes each one at once, so this stays short.
  std::vector<OpenHandle> handles;
  std::uintptr_t nextHandle = 0x1000;
  int closeCount = 0;
  int apiCalls = 0;
  std::vector<Termination> terminations;
  bool memoryInfoFails = false;
  bool debugPrivilegeHeld = true;
  bool debugPrivilegeEnabled = false;
};

std::recursive_mutex stateMutex;
State state;

void RebuildNames() {
  state.names.Assign(state.processes);
  state.namesStale = false;
}

void DefaultState() {
  state = State{};
  state.processes = {
      Process{.pid = 0, .name = std::nullopt},
      Process{.pid = 4, .name = u"System", .workingSet = 245760},
      Process{.pid = kOwnPid, .name = u"varnex_tests", .workingSet = 8 * 1024 * 1024},
  };
  state.pids = {0, 4, kOwnPid};
  RebuildNames();
}

// Removes the processes whose PIDs `gone` holds, in one pass over the table.
template <typename Gone>
void EraseProcesses(Gone&& gone) {
  std::erase_if(state.processes, [&](const Process& p) {
    if (!gone(p.pid)) return false;
    state.pids.erase(p.pid);
    return true;
  });
  RebuildNames();
}

std::vector<OpenHandle>::iterator FindHandle(std::uintptr_t value) {
  return std::find_if(state.handles.begin(), state.handles.end(),
                      [value](const OpenHandle& h) { return h.value == value; });
}

Process* FindLocked(std::uint32_t pid) {
  static std::size_t hint = 0;
  return FindFromHint(state.processes, hint, [pid](const Process& p) { return p.pid == pid; });
}

// The process a handle stands for, if it is open with all of `access`.
Process* ProcessOf(plat::ProcessHandle handle, std::uint32_t access) {
  if (handle.value == kCurrentProcessPseudoHandle) return FindLocked(kOwnPid);
  auto it = FindHandle(handle.value);
  if (it == state.handles.end() || (it->access & access) != access) return nullptr;
  return FindLocked(it->pid);
}

bool CloseAny(std::uintptr_t value) {
  std::lock_guard lock(stateMutex);
  ++state.apiCalls;
  if (value == kCurrentProcessPseudoHandle) return true;
  auto it = FindHandle(value);
  if (it == state.handles.end()) return false;
  state.handles.erase(it);
  ++state.closeCount;
  return true;
}

struct Init {
  Init() { DefaultState(); }
} init;

}  // namespace

namespace detail {

std::recursive_mutex& ProcessMutex() { return stateMutex; }
const std::vector<Process>& ProcessesLocked() { return state.processes; }

const ProcessNames& ProcessNamesLocked() {
  if (state.namesStale) state.names.Assign(state.processes);
  return state.names;
}

}  // namespace detail

void ResetOs() {
  {
    std::lock_guard lock(stateMutex);
    DefaultState();
  }
  detail::ResetSystemState();
  detail::ResetWindowsState();
  detail::ResetShellState();
}

void AddProcess(const Process& process) {
  std::lock_guard lock(stateMutex);
  if (state.pids.insert(process.pid).second) {
    state.processes.push_back(process);
    if (state.namesStale) {
      RebuildNames();
    } else {
      state.names.Append(process);
    }
  } else {
    *FindLocked(process.pid) = process;
    RebuildNames();
  }
}

void RemoveProcess(std::uint32_t pid) { RemoveProcesses({pid}); }

void RemoveProcesses(const std::vector<std::uint32_t>& pids) {
  std::lock_guard lock(stateMutex);
  const std::unordered_set<std::uint32_t> gone(pids.begin(), pids.end());
  EraseProcesses([&gone](std::uint32_t p) { return gone.count(p) != 0; });
}

void ClearProcesses() {
  std::lock_guard lock(stateMutex);
  state.processes.clear();
  state.pids.clear();
  RebuildNames();
}

bool ProcessExists(std::uint32_t pid) {
  std::lock_guard lock(stateMutex);
  return FindLocked(pid) != nullptr;
}

Process* FindProcess(std::uint32_t pid) {
  std::lock_guard lock(stateMutex);
  state.namesStale = true;  // the caller may change the name through the pointer
  return FindLocked(pid);
}

void ClearOpenProcessCalls() {
  std::lock_guard lock(stateMutex);
  state.openCalls.Start();
}

std::vector<OpenCall> OpenProcessCalls() {
  std::lock_guard lock(stateMutex);
  return state.openCalls.Calls();
}

int OpenHandleCount() {
  std::lock_guard lock(stateMutex);
  return static_cast<int>(state.handles.size());
}

int CloseHandleCount() {
  std::lock_guard lock(stateMutex);
  return state.closeCount;
}

std::vector<Termination> Terminations() {
  std::lock_guard lock(stateMutex);
  return state.terminations;
}

int ProcessApiCallCount() {
  std::lock_guard lock(stateMutex);
  return state.apiCalls;
}

void SetMemoryInfoFails(bool fails) {
  std::lock_guard lock(stateMutex);
  state.memoryInfoFails = fails;
}

void SetDebugPrivilegeHeld(bool held) {
  std::lock_guard lock(stateMutex);
  state.debugPrivilegeHeld = held;
}

bool DebugPrivilegeEnabled() {
  std::lock_guard lock(stateMutex);
  return state.debugPrivilegeEnabled;
}

}  // namespace fake

namespace plat {

using fake::state;
using fake::stateMutex;

ProcessHandle OpenProcess(std::uint32_t desiredAccess, bool inheritHandle,
                          std::uint32_t processId) {
  std::lock_guard lock(stateMutex);
  ++state.apiCalls;
  state.openCalls.Add({desiredAccess, inheritHandle, processId});
  fake::Process* process = fake::FindLocked(processId);
  if (process == nullptr) return {};
  if (process->throwOnOpen) throw std::runtime_error("injected failure opening a process");
  if (!process->canOpen) return {};
  const std::uintptr_t value = state.nextHandle;
  state.nextHandle += 4;
  state.handles.push_back({value, processId, desiredAccess});
  return ProcessHandle{value};
}

bool CloseHandle(ProcessHandle handle) { return fake::CloseAny(handle.value); }

bool TerminateProcess(ProcessHandle handle, std::uint32_t exitCode) {
  std::lock_guard lock(stateMutex);
  ++state.apiCalls;
  fake::Process* process = fake::ProcessOf(handle, kProcessTerminate);
  if (process == nullptr) return false;
  if (!process->canTerminate) return false;
  const std::uint32_t pid = process->pid;
  state.terminations.push_back({pid, exitCode});
  fake::EraseProcesses([pid](std::uint32_t p) { return p == pid; });
  fake::detail::DestroyWindowsOfProcess(pid);
  return true;
}

ProcessHandle GetCurrentProcess() { return ProcessHandle{fake::kCurrentProcessPseudoHandle}; }

std::uint32_t GetCurrentProcessId() { return fake::kOwnPid; }

bool GetProcessMemoryInfo(ProcessHandle process, void* counters, std::uint32_t size) {
  std::lock_guard lock(stateMutex);
  ++state.apiCalls;
  if (state.memoryInfoFails) return false;
  fake::Process* target = fake::ProcessOf(process, kProcessQueryInformation | kProcessVmRead);
  if (target == nullptr) return false;
  std::uint32_t cb = 0;
  if (size >= 4) std::memcpy(&cb, counters, 4);
  if (size < kNativeLayout.pmcSize || cb < kNativeLayout.pmcSize) return false;
  auto* bytes = static_cast<std::uint8_t*>(counters);
  std::memset(bytes + 4, 0, kNativeLayout.pmcSize - 4);
  const auto workingSet = static_cast<std::size_t>(target->workingSet);
  std::memcpy(bytes + kNativeLayout.pmcWorkingSetSize, &workingSet, sizeof workingSet);
  return true;
}

// The simulated system loads no DLLs.
void RestrictDllSearch() {}

// One token, of the own process, holding SeDebugPrivilege only (LUID 20, as on Windows).
constexpr std::uintptr_t kOwnToken = 0x7070;
constexpr std::uint32_t kDebugPrivilegeLuid = 20;
constexpr std::uint32_t kErrorNotAllAssigned = 1300;

TokenHandle OpenOwnProcessToken(std::uint32_t) {
  std::lock_guard lock(stateMutex);
  ++state.apiCalls;
  return TokenHandle{kOwnToken};
}

bool CloseHandle(TokenHandle handle) { return handle.value == kOwnToken; }

bool LookupPrivilegeValueA(const char* name, void* luid) {
  const std::uint64_t value =
      std::string_view(name) == "SeDebugPrivilege" ? kDebugPrivilegeLuid : 0;
  std::memcpy(luid, &value, sizeof value);
  return value != 0;
}

std::uint32_t AdjustTokenPrivileges(TokenHandle token, void* record, std::uint32_t size) {
  std::lock_guard lock(stateMutex);
  ++state.apiCalls;
  const auto* bytes = static_cast<const std::uint8_t*>(record);
  std::uint32_t count = 0, attributes = 0;
  std::uint64_t luid = 0;
  constexpr std::uint32_t kErrorInvalidParameter = 87;
  if (token.value != kOwnToken || size < kNativeLayout.tokenPrivilegesSize) {
    return kErrorInvalidParameter;
  }
  std::memcpy(&count, bytes, 4);
  std::memcpy(&luid, bytes + kNativeLayout.tokenPrivilegeLuid, 8);
  std::memcpy(&attributes, bytes + kNativeLayout.tokenPrivilegeAttributes, 4);
  if (count != 1 || luid != kDebugPrivilegeLuid || !state.debugPrivilegeHeld) {
    return kErrorNotAllAssigned;
  }
  state.debugPrivilegeEnabled = (attributes & 2) != 0;
  return 0;
}

}  // namespace plat
