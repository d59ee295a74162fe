// The shell on Win32.

#include <windows.h>

#include "platform/shell.h"
#include "platform/win32/win32_util.h"

namespace plat {

// Taken from shell32.dll at run time rather than imported: shell32 pulls in a chain of DLLs
// (shlwapi, whose exports forward to shcore) while the exe itself loads, before the program
// can restrict the DLL search, and then Windows looks for them in the exe's folder first.
std::intptr_t ShellExecuteA(WindowHandle owner, const char* verb, const char* file,
                            const char* parameters, const char* directory, int showCommand) {
  using ShellExecuteFn =
      HINSTANCE(WINAPI*)(HWND, const char*, const char*, const char*, const char*, INT);
  static HMODULE shell32 = win32::LoadSystemLibrary(L"shell32.dll");  // kept loaded
  static auto routine = reinterpret_cast<ShellExecuteFn>(
      reinterpret_cast<void*>(shell32 ? ::GetProcAddress(shell32, "ShellExecuteA") : nullptr));
  if (routine == nullptr) return 0;  // ShellExecute's "out of memory or resources"
  return reinterpret_cast<std::intptr_t>(
      routine(win32::ToHwnd(owner), verb, file, parameters, directory, showCommand));
}

}  // namespace plat
