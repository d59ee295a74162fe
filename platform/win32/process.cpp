// Processes and the debug privilege on Win32.

#include <windows.h>

#include <atomic>

#include "platform/process.h"
#include "platform/win32/win32_util.h"

namespace {

HANDLE ToHandle(std::uintptr_t value) { return reinterpret_cast<HANDLE>(value); }

using GetProcessMemoryInfoFn = BOOL(WINAPI*)(HANDLE, void*, DWORD);

// PSAPI.dll stays loaded once its routine was found; until then every call tries again.
std::atomic<GetProcessMemoryInfoFn> memoryInfoRoutine{nullptr};

GetProcessMemoryInfoFn MemoryInfoRoutine() {
  GetProcessMemoryInfoFn routine = memoryInfoRoutine.load();
  if (routine != nullptr) return routine;
  HMODULE psapi = win32::LoadSystemLibrary(L"psapi.dll");
  if (psapi == nullptr) return nullptr;
  routine = win32::Routine<GetProcessMemoryInfoFn>(psapi, "GetProcessMemoryInfo");
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

bool TerminateProcess(ProcessHandle handle, std::uint32_t exitCode) {
  return ::TerminateProcess(ToHandle(handle.value), exitCode) != FALSE;
}

bool GetProcessMemoryInfo(ProcessHandle process, void* counters, std::uint32_t size) {
  const GetProcessMemoryInfoFn routine = MemoryInfoRoutine();
  if (routine == nullptr) return false;
  return routine(ToHandle(process.value), counters, size) != FALSE;
}

void RestrictDllSearch() {
  // Both are looked up: SetDllDirectoryW (XP SP1) is hidden by the XP-level headers, and
  // SetDefaultDllDirectories exists only on Windows 8 and later and on 7 with KB2533623.
  HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
  using SetDllDirectoryFn = BOOL(WINAPI*)(const wchar_t*);
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  if (auto setDirectory = win32::Routine<SetDllDirectoryFn>(kernel32, "SetDllDirectoryW")) {
    setDirectory(L"");  // an empty string takes the current directory out of the search
  }
  if (auto setDefault =
          win32::Routine<SetDefaultDllDirectoriesFn>(kernel32, "SetDefaultDllDirectories")) {
    constexpr DWORD kSearchSystem32 = 0x800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
    setDefault(kSearchSystem32);
  }
}

TokenHandle OpenOwnProcessToken(std::uint32_t access) {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), access, &token)) return {};
  return TokenHandle{reinterpret_cast<std::uintptr_t>(token)};
}

bool CloseHandle(TokenHandle handle) { return ::CloseHandle(ToHandle(handle.value)) != FALSE; }

bool LookupPrivilegeValueA(const char* name, void* luid) {
  return ::LookupPrivilegeValueA(nullptr, name, static_cast<LUID*>(luid)) != FALSE;
}

std::uint32_t AdjustTokenPrivileges(TokenHandle token, void* record, std::uint32_t size) {
  DWORD returned = 0;
  ::AdjustTokenPrivileges(ToHandle(token.value), FALSE, static_cast<TOKEN_PRIVILEGES*>(record),
                          size, nullptr, &returned);
  return ::GetLastError();
}

}  // namespace plat
