#include <windows.h>

#include <map>
#include <string>

#include "tests/contract/processes_contract_env.h"

namespace {

constexpr wchar_t kChildFlag[] = L"--varnex-idle-child";

// The child is this test program started again with the flag: it idles before any test runs.
struct ChildEntry {
  ChildEntry() {
    const std::wstring commandLine = ::GetCommandLineW();
    if (commandLine.find(kChildFlag) != std::wstring::npos) {
      ::Sleep(60000);
      ::ExitProcess(0);
    }
  }
} childEntry;

std::map<std::uint32_t, HANDLE>& Children() {
  static std::map<std::uint32_t, HANDLE> children;
  return children;
}

}  // namespace

namespace contract {

void ResetProcessEnvironment() {}

std::uint32_t StartChildProcess() {
  wchar_t path[MAX_PATH] = {};
  if (::GetModuleFileNameW(nullptr, path, MAX_PATH) == 0) return 0;
  std::wstring commandLine = L"\"" + std::wstring(path) + L"\" " + kChildFlag;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(path, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &info)) {
    return 0;
  }
  ::CloseHandle(info.hThread);
  Children()[info.dwProcessId] = info.hProcess;
  return info.dwProcessId;
}

bool WaitChildEnded(std::uint32_t pid, std::uint32_t timeoutMs) {
  auto it = Children().find(pid);
  if (it == Children().end()) return false;
  return ::WaitForSingleObject(it->second, timeoutMs) == WAIT_OBJECT_0;
}

void CleanUpChild(std::uint32_t pid) {
  auto it = Children().find(pid);
  if (it == Children().end()) return;
  if (::WaitForSingleObject(it->second, 0) != WAIT_OBJECT_0) {
    ::TerminateProcess(it->second, 1);
    ::WaitForSingleObject(it->second, 5000);
  }
  ::CloseHandle(it->second);
  Children().erase(it);
}

std::string OwnImageName() {
  char path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string full(path, length);
  const auto slash = full.find_last_of("\\/");
  return slash == std::string::npos ? full : full.substr(slash + 1);
}

std::uint32_t UnusedPid() { return 0x7FFFFFF0u; }

}  // namespace contract
