#pragma once
// Processes and security: open, query, terminate, access tokens and privileges.

#include <cstdint>

#include "platform/types.h"

namespace plat {

ProcessHandle OpenProcess(std::uint32_t desiredAccess, bool inheritHandle, std::uint32_t processId);
bool CloseHandle(ProcessHandle handle);
bool CloseHandle(TokenHandle handle);
bool TerminateProcess(ProcessHandle handle, std::uint32_t exitCode);
ProcessHandle GetCurrentProcess();  // the pseudo handle; closing it is harmless
std::uint32_t GetCurrentProcessId();

// GetProcessMemoryInfo from PSAPI.dll, which is loaded on the first call and stays loaded.
// `counters` is a PROCESS_MEMORY_COUNTERS record of `size` bytes whose cb field the caller
// filled. False when PSAPI.dll cannot be loaded (the next call tries again) or the query
// fails.
bool GetProcessMemoryInfo(ProcessHandle process, void* counters, std::uint32_t size);

struct Luid {
  std::uint32_t lowPart = 0;
  std::int32_t highPart = 0;
};

bool OpenProcessToken(ProcessHandle process, std::uint32_t desiredAccess, TokenHandle* token);
// `systemName` may be null (the local system).
bool LookupPrivilegeValueA(const char* systemName, const char* name, Luid* luid);
// `newState` is a TOKEN_PRIVILEGES record of `bufferLength` bytes; `previousState` may be null.
bool AdjustTokenPrivileges(TokenHandle token, bool disableAllPrivileges, const void* newState,
                           std::uint32_t bufferLength, void* previousState,
                           std::uint32_t* returnLength);
std::uint32_t GetLastError();

}  // namespace plat
