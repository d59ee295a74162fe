// The fake's processes, tokens and privileges, behind platform/process.h.

#include <cstring>
#include <map>
#include <mutex>
#include <stdexcept>
#include <unordered_map>

#include "platform/constants.h"
#include "platform/fake/control/os.h"
#include "platform/fake/fake_lookup.h"
#include "platform/fake/os_state.h"
#include "platform/process.h"

namespace fake {
namespace {

constexpr std::uintptr_t kCurrentProcessPseudoHandle = ~std::uintptr_t{0};

struct OpenHandle {
  std::uint32_t pid = 0;
  std::uint32_t access = 0;
  bool token = false;
};

struct State {
  std::vector<Process> processes;
  std::vector<OpenCall> openCalls;
  std::unordered_map<std::uintptr_t, OpenHandle> handles;
  std::uintptr_t nextHandle = 0x1000;
  int closeCount = 0;
  int apiCalls = 0;
  std::vector<Termination> terminations;
  bool memoryInfoFails = false;
  std::map<std::string, bool> tokenHolds;  // privilege -> enabled
  bool openTokenFails = false;
  std::optional<AdjustCall> lastAdjust;
};

std::recursive_mutex stateMutex;
State state;
thread_local std::uint32_t lastError = 0;

struct KnownPrivilege {
  const char* name;
  std::uint32_t luid;
};
constexpr KnownPrivilege kPrivileges[] = {
    {"SeDebugPrivilege", 20},
};

void DefaultState() {
  state = State{};
  state.processes = {
      Process{.pid = 0, .name = std::nullopt},
      Process{.pid = 4, .name = u"System", .workingSet = 245760},
      Process{.pid = kOwnPid, .name = u"varnex_tests", .workingSet = 8 * 1024 * 1024},
  };
  state.tokenHolds = {{"SeDebugPrivilege", false}, {"SeShutdownPrivilege", false}};
}

Process* FindLocked(std::uint32_t pid) {
  static std::size_t hint = 0;
  return FindFromHint(state.processes, hint, [pid](const Process& p) { return p.pid == pid; });
}

// The process a handle stands for, if it is open with all of `access`.
Process* ProcessOf(plat::ProcessHandle handle, std::uint32_t access) {
  if (handle.value == kCurrentProcessPseudoHandle) return FindLocked(kOwnPid);
  auto it = state.handles.find(handle.value);
  if (it == state.handles.end() || it->second.token) {
    lastError = plat::kErrorInvalidHandle;
    return nullptr;
  }
  if ((it->second.access & access) != access) {
    lastError = plat::kErrorAccessDenied;
    return nullptr;
  }
  return FindLocked(it->second.pid);
}

bool CloseAny(std::uintptr_t value, bool token) {
  std::lock_guard lock(stateMutex);
  ++state.apiCalls;
  if (!token && value == kCurrentProcessPseudoHandle) return true;
  auto it = state.handles.find(value);
  if (it == state.handles.end() || it->second.token != token) {
    lastError = plat::kErrorInvalidHandle;
    return false;
  }
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

}  // namespace detail

void ResetOs() {
  {
    std::lock_guard lock(stateMutex);
    DefaultState();
  }
  lastError = 0;
  detail::ResetSystemState();
  detail::ResetWindowsState();
  detail::ResetShellState();
}

void AddProcess(const Process& process) {
  std::lock_guard lock(stateMutex);
  if (Process* existing = FindLocked(process.pid)) {
    *existing = process;
  } else {
    state.processes.push_back(process);
  }
}

void RemoveProcess(std::uint32_t pid) {
  std::lock_guard lock(stateMutex);
  std::erase_if(state.processes, [pid](const Process& p) { return p.pid == pid; });
}

void ClearProcesses() {
  std::lock_guard lock(stateMutex);
  state.processes.clear();
}

bool ProcessExists(std::uint32_t pid) {
  std::lock_guard lock(stateMutex);
  return FindLocked(pid) != nullptr;
}

Process* FindProcess(std::uint32_t pid) {
  std::lock_guard lock(stateMutex);
  return FindLocked(pid);
}

std::vector<OpenCall> OpenProcessCalls() {
  std::lock_guard lock(stateMutex);
  return state.openCalls;
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

void SetTokenHolds(const std::string& privilege, bool holds) {
  std::lock_guard lock(stateMutex);
  if (holds) {
    state.tokenHolds.try_emplace(privilege, false);
  } else {
    state.tokenHolds.erase(privilege);
  }
}

bool PrivilegeEnabled(const std::string& privilege) {
  std::lock_guard lock(stateMutex);
  auto it = state.tokenHolds.find(privilege);
  return it != state.tokenHolds.end() && it->second;
}

void SetOpenTokenFails(bool fails) {
  std::lock_guard lock(stateMutex);
  state.openTokenFails = fails;
}

std::optional<AdjustCall> LastAdjust() {
  std::lock_guard lock(stateMutex);
  return state.lastAdjust;
}

}  // namespace fake

namespace plat {

using fake::state;
using fake::stateMutex;

ProcessHandle OpenProcess(std::uint32_t desiredAccess, bool inheritHandle,
                          std::uint32_t processId) {
  std::lock_guard lock(stateMutex);
  ++state.apiCalls;
  state.openCalls.push_back({desiredAccess, inheritHandle, processId});
  fake::Process* process = fake::FindLocked(processId);
  if (process == nullptr) {
    fake::lastError = plat::kErrorInvalidParameter;
    return {};
  }
  if (process->throwOnOpen) throw std::runtime_error("injected failure opening a process");
  if (!process->canOpen) {
    fake::lastError = plat::kErrorAccessDenied;
    return {};
  }
  const std::uintptr_t value = state.nextHandle;
  state.nextHandle += 4;
  state.handles[value] = {processId, desiredAccess, false};
  return ProcessHandle{value};
}

bool CloseHandle(ProcessHandle handle) { return fake::CloseAny(handle.value, false); }
bool CloseHandle(TokenHandle handle) { return fake::CloseAny(handle.value, true); }

bool TerminateProcess(ProcessHandle handle, std::uint32_t exitCode) {
  std::lock_guard lock(stateMutex);
  ++state.apiCalls;
  fake::Process* process = fake::ProcessOf(handle, kProcessTerminate);
  if (process == nullptr) return false;
  if (!process->canTerminate) {
    fake::lastError = plat::kErrorAccessDenied;
    return false;
  }
  const std::uint32_t pid = process->pid;
  state.terminations.push_back({pid, exitCode});
  std::erase_if(state.processes, [pid](const fake::Process& p) { return p.pid == pid; });
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
  if (size < kNativeLayout.pmcSize || cb < kNativeLayout.pmcSize) {
    fake::lastError = plat::kErrorInsufficientBuffer;
    return false;
  }
  auto* bytes = static_cast<std::uint8_t*>(counters);
  std::memset(bytes + 4, 0, kNativeLayout.pmcSize - 4);
  const auto workingSet = static_cast<std::size_t>(target->workingSet);
  std::memcpy(bytes + kNativeLayout.pmcWorkingSetSize, &workingSet, sizeof workingSet);
  return true;
}

bool OpenProcessToken(ProcessHandle process, std::uint32_t desiredAccess, TokenHandle* token) {
  std::lock_guard lock(stateMutex);
  ++state.apiCalls;
  if (state.openTokenFails || fake::ProcessOf(process, kProcessQueryInformation) == nullptr) {
    fake::lastError = plat::kErrorAccessDenied;
    return false;
  }
  const std::uintptr_t value = state.nextHandle;
  state.nextHandle += 4;
  state.handles[value] = {0, desiredAccess, true};
  *token = TokenHandle{value};
  return true;
}

bool LookupPrivilegeValueA(const char* systemName, const char* name, Luid* luid) {
  std::lock_guard lock(stateMutex);
  ++state.apiCalls;
  if (systemName != nullptr || name == nullptr) {
    fake::lastError = plat::kErrorInvalidParameter;
    return false;
  }
  for (const fake::KnownPrivilege& known : fake::kPrivileges) {
    if (std::strcmp(known.name, name) == 0) {
      luid->lowPart = known.luid;
      luid->highPart = 0;
      return true;
    }
  }
  fake::lastError = plat::kErrorNoSuchPrivilege;
  return false;
}

bool AdjustTokenPrivileges(TokenHandle token, bool disableAllPrivileges, const void* newState,
                           std::uint32_t bufferLength, void* previousState,
                           std::uint32_t* returnLength) {
  std::lock_guard lock(stateMutex);
  ++state.apiCalls;
  fake::AdjustCall call;
  call.disableAll = disableAllPrivileges;
  call.bufferLength = bufferLength;
  call.previousStateGiven = previousState != nullptr;
  call.returnLengthGiven = returnLength != nullptr;
  if (newState != nullptr) {
    const auto* bytes = static_cast<const std::uint8_t*>(newState);
    call.newState.assign(bytes, bytes + bufferLength);
  }
  state.lastAdjust = call;
  auto it = state.handles.find(token.value);
  if (it == state.handles.end() || !it->second.token) {
    fake::lastError = plat::kErrorInvalidHandle;
    return false;
  }
  if ((it->second.access & kTokenAdjustPrivileges) == 0) {
    fake::lastError = plat::kErrorAccessDenied;
    return false;
  }
  if (newState == nullptr || bufferLength < 4) {
    fake::lastError = plat::kErrorInvalidParameter;
    return false;
  }
  std::uint32_t count = 0;
  std::memcpy(&count, newState, 4);
  if (bufferLength < 4 + std::uint64_t{count} * 12) {
    fake::lastError = plat::kErrorInvalidParameter;
    return false;
  }
  if (returnLength) *returnLength = 0;
  bool allAssigned = true;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint32_t low = 0, attributes = 0;
    std::int32_t high = 0;
    const auto* entry = static_cast<const std::uint8_t*>(newState) + 4 + i * 12;
    std::memcpy(&low, entry, 4);
    std::memcpy(&high, entry + 4, 4);
    std::memcpy(&attributes, entry + 8, 4);
    const char* name = nullptr;
    for (const fake::KnownPrivilege& known : fake::kPrivileges) {
      if (known.luid == low && high == 0) name = known.name;
    }
    auto held = name ? state.tokenHolds.find(name) : state.tokenHolds.end();
    if (held == state.tokenHolds.end()) {
      allAssigned = false;
      continue;
    }
    held->second = (attributes & kSePrivilegeEnabled) != 0;
  }
  fake::lastError = allAssigned ? 0 : plat::kErrorNotAllAssigned;
  return true;
}

std::uint32_t GetLastError() { return fake::lastError; }

}  // namespace plat
