#pragma once
// Processes: open, query, terminate; the debug privilege.

#include <cstdint>
#include <utility>

#include "platform/types.h"

namespace plat {

ProcessHandle OpenProcess(std::uint32_t desiredAccess, bool inheritHandle, std::uint32_t processId);
bool CloseHandle(ProcessHandle handle);
bool TerminateProcess(ProcessHandle handle, std::uint32_t exitCode);

// GetProcessMemoryInfo from PSAPI.dll, which is loaded on the first call and stays loaded.
// `counters` is a PROCESS_MEMORY_COUNTERS record of `size` bytes whose cb field the caller
// filled. False when PSAPI.dll cannot be loaded (the next call tries again) or the query
// fails.
bool GetProcessMemoryInfo(ProcessHandle process, void* counters, std::uint32_t size);

// Takes the current directory out of the own process's DLL search and, where the system can
// (Windows 8 and later, 7 with its update), limits the search to the system folder, also for
// the DLLs the system loads on the program's behalf. Called first, before any window exists.
void RestrictDllSearch();

// Owns a process handle and closes it once, when it goes out of scope or is given
// another. Copies are refused; a move hands the handle over.
template <typename HandleType>
class Owned {
 public:
  Owned() = default;
  explicit Owned(HandleType handle) : handle_(handle) {}
  ~Owned() { Reset(); }
  Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, HandleType{})) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.handle_, HandleType{}));
    return *this;
  }

  HandleType Get() const { return handle_; }
  explicit operator bool() const { return static_cast<bool>(handle_); }
  void Reset(HandleType next = {}) {
    if (handle_) CloseHandle(handle_);
    handle_ = next;
  }

 private:
  HandleType handle_{};
};

using OwnedProcess = Owned<ProcessHandle>;
using OwnedToken = Owned<TokenHandle>;

// The own process's access token opened for `access`; {} when it cannot be.
TokenHandle OpenOwnProcessToken(std::uint32_t access);
bool CloseHandle(TokenHandle handle);
// LookupPrivilegeValueA on the local system: the privilege's LUID, 8 bytes, written at `luid`.
bool LookupPrivilegeValueA(const char* name, void* luid);
// AdjustTokenPrivileges with a TOKEN_PRIVILEGES record of `size` bytes (all privileges not
// disabled, no previous state); returns GetLastError as it stands after the call, which is
// not 0 also when the call succeeded for a token without the privilege.
std::uint32_t AdjustTokenPrivileges(TokenHandle token, void* record, std::uint32_t size);

}  // namespace plat
