// The shell on Win32.

#include <windows.h>

#include <shellapi.h>

#include "platform/shell.h"

namespace plat {

std::intptr_t ShellExecuteA(WindowHandle owner, const char* verb, const char* file,
                            const char* parameters, const char* directory, int showCommand) {
  return reinterpret_cast<std::intptr_t>(::ShellExecuteA(reinterpret_cast<HWND>(owner.value), verb,
                                                         file, parameters, directory, showCommand));
}

}  // namespace plat
