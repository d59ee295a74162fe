// A DLL that only leaves a mark: loaded into a process, it creates the empty file of its own
// path with ".loaded" appended (the DLL-search test looks for it). It exports nothing.

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  wchar_t path[MAX_PATH + 8];
  const DWORD length = ::GetModuleFileNameW(self, path, MAX_PATH);
  if (reason != DLL_PROCESS_ATTACH || length == 0 || length >= MAX_PATH) return TRUE;
  ::lstrcpyW(path + length, L".loaded");
  ::CloseHandle(::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  return TRUE;
}
