#include "platform/fake/control/os.h"
#include "tests/contract/processes_contract_env.h"

namespace contract {

void ResetProcessEnvironment() { fake::ResetOs(); }

std::uint32_t StartChildProcess() {
  static std::uint32_t nextPid = 7000;
  const std::uint32_t pid = nextPid += 4;
  fake::AddProcess({.pid = pid, .name = u"child.exe", .workingSet = 1 << 20});
  return pid;
}

bool WaitChildEnded(std::uint32_t pid, std::uint32_t) { return !fake::ProcessExists(pid); }

void CleanUpChild(std::uint32_t pid) { fake::RemoveProcess(pid); }

std::string OwnImageName() { return "varnex_tests"; }

std::uint32_t UnusedPid() { return 0x7FFFFFF0u; }

bool DebugPrivilegeEnabled() { return fake::Os()->debugPrivilegeEnabled; }

}  // namespace contract
