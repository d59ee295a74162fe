// A DLL that only leaves a mark: loaded into a process, it sets the event that the test made
// for its path (tests/support/win32/planted_dll.h). It exports nothing.

#include <windows.h>

#include "tests/support/win32/planted_dll.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(self, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return TRUE;
  const std::wstring name = wintest::PlantedDllEventName(std::wstring_view(path, length));
  if (HANDLE event = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str())) {
    ::SetEvent(event);
    ::CloseHandle(event);
  }
  return TRUE;
}
