// The fake's shell, behind platform/shell.h: every call is recorded and answers the scripted
// result.

#include "platform/shell.h"

#include <mutex>

#include "platform/fake/control/shell.h"
#include "platform/fake/os_state.h"

namespace {

struct ShellState {
  std::vector<fake::ShellCall> shellCalls;
  std::intptr_t shellResult = 42;
};

std::mutex shellMutex;
ShellState shellState;

std::optional<std::string> Copy(const char* text) {
  if (text == nullptr) return std::nullopt;
  return std::string(text);
}

}  // namespace

namespace fake {

namespace detail {
void ResetShellState() {
  std::lock_guard lock(shellMutex);
  shellState = ShellState{};
}
}  // namespace detail

std::vector<ShellCall> ShellCalls() {
  std::lock_guard lock(shellMutex);
  return shellState.shellCalls;
}

void SetShellResult(std::intptr_t result) {
  std::lock_guard lock(shellMutex);
  shellState.shellResult = result;
}

}  // namespace fake

namespace plat {

std::intptr_t ShellExecuteA(WindowHandle owner, const char* verb, const char* file,
                            const char* parameters, const char* directory, int showCommand) {
  std::lock_guard lock(shellMutex);
  shellState.shellCalls.push_back(
      {owner.value, Copy(verb), Copy(file), Copy(parameters), Copy(directory), showCommand});
  return shellState.shellResult;
}

}  // namespace plat
