#pragma once
// Processes and security: open, query, terminate, access tokens and privileges.

#include <cstdint>
#include <utility>

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

// Owns a process or token handle and closes it once, when it goes out of scope or is given
// another. Copies are refused; a move hands the handle over.
template <typename HandleType>
class Owned {
 public:
  Owned() = default;
  explicit Owned(HandleType handle) : handle_(handle) {}
  ~Owned() { Reset(); }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, HandleType{})) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, HandleType{});
    }
    return *this;
  }

  HandleType Get() const { return handle_; }
  explicit operator bool() const { return static_cast<bool>(handle_); }
  // Closes the handle held, if any, and returns the empty slot for a call that opens one.
  HandleType* Receive() {
    Reset();
    return &handle_;
  }
  void Reset() {
    if (handle_) CloseHandle(std::exchange(handle_, HandleType{}));
  }

 private:
  HandleType handle_{};
};

using OwnedProcess = Owned<ProcessHandle>;
using OwnedToken = Owned<TokenHandle>;

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
