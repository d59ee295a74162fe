// Processes, tokens and privileges on Win32.

#include <windows.h>

#include <atomic>

#include "platform/process.h"

namespace {

HANDLE ToHandle(std::uintptr_t value) { return reinterpret_cast<HANDLE>(value); }

using GetProcessMemoryInfoFn = BOOL(WINAPI*)(HANDLE, void*, DWORD);

// PSAPI.dll stays loaded once its routine was found; until then every call tries again.
std::atomic<GetProcessMemoryInfoFn> memoryInfoRoutine{nullptr};

GetProcessMemoryInfoFn MemoryInfoRoutine() {
  GetProcessMemoryInfoFn routine = memoryInfoRoutine.load();
  if (routine != nullptr) return routine;
  HMODULE psapi = ::LoadLibraryA("PSAPI.DLL");
  if (psapi == nullptr) return nullptr;
  routine = reinterpret_cast<GetProcessMemoryInfoFn>(
      reinterpret_cast<void*>(::GetProcAddress(psapi, "GetProcessMemoryInfo")));
  if (routine == nullptr) {
    ::FreeLibrary(psapi);
    return nullptr;
  }
  GetProcessMemoryInfoFn expected = nullptr;
  // Another thread may have won the race; its module reference is the one kept.
  if (!memoryInfoRoutine.compare_exchange_strong(expected, routine)) ::FreeLibrary(psapi);
  return routine;
}

}  // namespace

namespace plat {

ProcessHandle OpenProcess(std::uint32_t desiredAccess, bool inheritHandle,
                          std::uint32_t processId) {
  return ProcessHandle{
      reinterpret_cast<std::uintptr_t>(::OpenProcess(desiredAccess, inheritHandle, processId))};
}

bool CloseHandle(ProcessHandle handle) { return ::CloseHandle(ToHandle(handle.value)) != FALSE; }

bool CloseHandle(TokenHandle handle) { return ::CloseHandle(ToHandle(handle.value)) != FALSE; }

bool TerminateProcess(ProcessHandle handle, std::uint32_t exitCode) {
  return ::TerminateProcess(ToHandle(handle.value), exitCode) != FALSE;
}

ProcessHandle GetCurrentProcess() {
  return ProcessHandle{reinterpret_cast<std::uintptr_t>(::GetCurrentProcess())};
}

std::uint32_t GetCurrentProcessId() { return ::GetCurrentProcessId(); }

bool GetProcessMemoryInfo(ProcessHandle process, void* counters, std::uint32_t size) {
  const GetProcessMemoryInfoFn routine = MemoryInfoRoutine();
  if (routine == nullptr) return false;
  return routine(ToHandle(process.value), counters, size) != FALSE;
}

bool OpenProcessToken(ProcessHandle process, std::uint32_t desiredAccess, TokenHandle* token) {
  HANDLE opened = nullptr;
  if (!::OpenProcessToken(ToHandle(process.value), desiredAccess, &opened)) return false;
  *token = TokenHandle{reinterpret_cast<std::uintptr_t>(opened)};
  return true;
}

bool LookupPrivilegeValueA(const char* systemName, const char* name, Luid* luid) {
  LUID found{};
  if (!::LookupPrivilegeValueA(systemName, name, &found)) return false;
  luid->lowPart = found.LowPart;
  luid->highPart = found.HighPart;
  return true;
}

bool AdjustTokenPrivileges(TokenHandle token, bool disableAllPrivileges, const void* newState,
                           std::uint32_t bufferLength, void* previousState,
                           std::uint32_t* returnLength) {
  DWORD returned = 0;
  const BOOL ok = ::AdjustTokenPrivileges(
      ToHandle(token.value), disableAllPrivileges,
      static_cast<PTOKEN_PRIVILEGES>(const_cast<void*>(newState)), bufferLength,
      static_cast<PTOKEN_PRIVILEGES>(previousState), returnLength ? &returned : nullptr);
  // The error code is what callers look at: keep it across the copy-out.
  const DWORD error = ::GetLastError();
  if (returnLength) *returnLength = returned;
  ::SetLastError(error);
  return ok != FALSE;
}

std::uint32_t GetLastError() { return ::GetLastError(); }

}  // namespace plat
