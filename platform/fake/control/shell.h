#pragma once
// Control API of the simulated shell (platform/shell.h): every ShellExecuteA call is recorded.
// Any thread.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fake {

struct ShellCall {
  std::uintptr_t owner = 0;
  std::optional<std::string> verb, file, parameters, directory;  // none: null was passed
  int showCommand = 0;
};
std::vector<ShellCall> ShellCalls();
void SetShellResult(std::intptr_t result);  // 42 by default

}  // namespace fake
