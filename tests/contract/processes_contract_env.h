#pragma once
// What the process contract tests need from the platform they run on: the real system under
// Wine or Windows, or the fake.

#include <cstdint>
#include <string>

namespace contract {

// Brings the platform to a known state before each test (the fake is reset; the real
// system is left alone).
void ResetProcessEnvironment();

// Starts a harmless child process that idles for a minute; returns its PID, 0 on failure.
std::uint32_t StartChildProcess();
// True once the child has ended, waiting at most `timeoutMs`.
bool WaitChildEnded(std::uint32_t pid, std::uint32_t timeoutMs);
// Ends the child if it still runs and forgets it.
void CleanUpChild(std::uint32_t pid);

// The image name of the running test program, as the process table shows it.
std::string OwnImageName();
// A PID that no process has.
std::uint32_t UnusedPid();
// Whether SeDebugPrivilege is enabled in the own process's token, as the token itself says.
bool DebugPrivilegeEnabled();

}  // namespace contract
