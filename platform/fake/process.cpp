// The fake's processes and debug privilege, behind platform/process.h; the simulated system's
// state (control/os.h) and its call log (control/calls.h).

#include "platform/process.h"

#include <algorithm>
#include <cstring>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <unordered_set>

#include "platform/fake/call_log.h"
#include "platform/fake/control/os.h"

namespace fake {
namespace {

std::recursive_mutex systemMutex;

System* WithStartProcesses(System* system) {
  for (const Process& p :
       {Process{.pid = 0, .name = std::nullopt},
        Process{.pid = 4, .name = u"System", .workingSet = 245760},
        Process{.pid = kOwnPid, .name = u"varnex_tests", .workingSet = 8 << 20}}) {
    system->processAt[p.pid] = system->processes.size();
    system->processes.push_back(p);
  }
  return system;
}

// Never destroyed: a sampler thread may still query while the process exits.
System& TheSystem() {
  static System* system = WithStartProcesses(new System);
  return *system;
}

// The process a handle stands for, or null.
Process* ProcessOf(plat::ProcessHandle handle) {
  auto it = TheSystem().openHandles.find(handle.value);
  return it == TheSystem().openHandles.end() ? nullptr : FindProcess(it->second);
}

template <typename Gone>
void EraseProcesses(Gone&& gone) {
  auto os = Os();
  std::erase_if(os->processes, [&gone](const Process& p) { return gone(p.pid); });
  os->processAt.clear();
  for (std::size_t i = 0; i < os->processes.size(); ++i) os->processAt[os->processes[i].pid] = i;
}

}  // namespace

namespace detail {
void StopCallLog() {
  std::lock_guard lock(callLog.mutex);
  callLog.on = false;
  callLog.entries.clear();
}
}  // namespace detail

void ClearCallLog() {
  std::lock_guard lock(detail::callLog.mutex);
  detail::callLog.entries.clear();
  detail::callLog.on = true;
}

std::vector<std::string> CallLog(const std::string& op) {
  std::lock_guard lock(detail::callLog.mutex);
  std::vector<std::string> out;
  for (const std::string& entry : detail::callLog.entries) {
    if (op.empty() || entry.compare(0, entry.find(' '), op) == 0) out.push_back(entry);
  }
  return out;
}

std::vector<std::vector<std::uint64_t>> CallArgs(const std::string& op) {
  std::vector<std::vector<std::uint64_t>> out;
  for (const std::string& entry : CallLog(op)) {
    std::istringstream in(entry.substr(op.size()));
    out.emplace_back();
    for (std::int64_t value; in >> value;) out.back().push_back(static_cast<std::uint64_t>(value));
  }
  return out;
}

LockedSystem::LockedSystem() : lock_(systemMutex), system_(&TheSystem()) {}

LockedSystem Os() { return LockedSystem(); }

void ResetOs() {
  detail::StopCallLog();
  auto os = Os();
  System fresh;
  static_cast<Counters&>(fresh) = static_cast<Counters&>(*os);
  std::swap(*os, *WithStartProcesses(&fresh));
}

void ResetCounters() { static_cast<Counters&>(*Os()) = Counters{}; }

void AddProcess(const Process& process) {
  auto os = Os();
  auto [at, added] = os->processAt.emplace(process.pid, os->processes.size());
  if (added) os->processes.push_back(process);
  if (!added) os->processes[at->second] = process;
}

void RemoveProcess(std::uint32_t pid) { RemoveProcesses({pid}); }

void RemoveProcesses(const std::vector<std::uint32_t>& pids) {
  const std::unordered_set<std::uint32_t> gone(pids.begin(), pids.end());
  EraseProcesses([&gone](std::uint32_t pid) { return gone.count(pid) != 0; });
}

void ClearProcesses() {
  EraseProcesses([](std::uint32_t) { return true; });
}

bool ProcessExists(std::uint32_t pid) { return FindProcess(pid) != nullptr; }

Process* FindProcess(std::uint32_t pid) {
  auto os = Os();
  auto it = os->processAt.find(pid);
  return it == os->processAt.end() ? nullptr : &os->processes[it->second];
}

int OpenHandleCount() { return static_cast<int>(Os()->openHandles.size()); }

}  // namespace fake

namespace plat {

using fake::detail::Log;

ProcessHandle OpenProcess(std::uint32_t desiredAccess, bool inheritHandle,
                          std::uint32_t processId) {
  auto os = fake::Os();
  Log("OpenProcess", processId, desiredAccess, inheritHandle);
  const fake::Process* process = fake::FindProcess(processId);
  if (process == nullptr) return {};
  if (process->throwOnOpen) throw std::runtime_error("injected failure opening a process");
  if (!process->canOpen) return {};
  os->openHandles[os->nextHandle] = processId;
  return ProcessHandle{(os->nextHandle += 4) - 4};
}

bool CloseHandle(ProcessHandle handle) {
  auto os = fake::Os();
  Log("CloseHandle", handle.value);
  return os->openHandles.erase(handle.value) != 0;
}

bool TerminateProcess(ProcessHandle handle, std::uint32_t exitCode) {
  auto os = fake::Os();
  fake::Process* process = fake::ProcessOf(handle);
  if (process == nullptr) return false;
  const std::uint32_t pid = process->pid;
  Log("TerminateProcess", pid, exitCode);
  if (!process->canTerminate) return false;
  fake::RemoveProcess(pid);
  std::erase_if(os->zOrder, [&os, pid](std::uintptr_t w) { return os->windows[w].pid == pid; });
  std::erase_if(os->windows, [pid](const auto& w) { return w.second.pid == pid; });
  return true;
}

bool GetProcessMemoryInfo(ProcessHandle process, void* counters, std::uint32_t size) {
  auto os = fake::Os();
  Log("GetProcessMemoryInfo", process.value);
  const fake::Process* target = fake::ProcessOf(process);
  std::uint32_t cb = 0;
  if (size >= 4) std::memcpy(&cb, counters, 4);
  if (os->memoryInfoFails || !target || size < kNativeLayout.pmcSize || cb < kNativeLayout.pmcSize)
    return false;
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
constexpr std::uint64_t kDebugPrivilegeLuid = 20;

TokenHandle OpenOwnProcessToken(std::uint32_t access) {
  Log("OpenOwnProcessToken", access);
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
  Log("AdjustTokenPrivileges", size);
  const auto* bytes = static_cast<const std::uint8_t*>(record);
  std::uint32_t count = 0, attributes = 0;
  std::uint64_t luid = 0;
  if (token.value != kOwnToken || size < kNativeLayout.tokenPrivilegeAttributes + 4) return 87;
  std::memcpy(&count, bytes, 4);
  std::memcpy(&luid, bytes + kNativeLayout.tokenPrivilegeLuid, 8);
  std::memcpy(&attributes, bytes + kNativeLayout.tokenPrivilegeAttributes, 4);
  if (count != 1 || luid != kDebugPrivilegeLuid) return 1300;  // ERROR_NOT_ALL_ASSIGNED
  fake::Os()->debugPrivilegeEnabled = (attributes & 2) != 0;
  return 0;
}

}  // namespace plat
