#pragma once
// The shell: starting documents and programs.

#include <cstdint>

#include "platform/types.h"

namespace plat {

// ShellExecuteA; any string but `file` may be null. The result is greater than 32 on
// success.
std::intptr_t ShellExecuteA(WindowHandle owner, const char* verb, const char* file,
                            const char* parameters, const char* directory, int showCommand);

}  // namespace plat
